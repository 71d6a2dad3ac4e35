#pragma once

#include "widgets/skin_button.h"

namespace lumivex {

// A SkinButton with a latched flag. While latched it shows its second look (the accent face, and the
// second icon where one is given); the disabled look takes precedence. Clicking does not change the flag:
// the owner decides, as the latch rules differ per button.
class LatchButton : public SkinButton {
 public:
  LatchButton(int id, QString iconFile, QSize size, QWidget* parent = nullptr);

  bool isLatched() const { return latched_; }
  void setLatched(bool latched);
  // The icon shown while latched; empty keeps the normal icon on the latched face.
  void setLatchedIconFile(QString iconFile);

  ButtonLook look() const override;

 protected:
  QString currentIconFile() const override;

 private:
  bool latched_ = false;
  QString latchedIconFile_;
};

}  // namespace lumivex
