#pragma once

#include "measure/log_font.h"

#include <QDialog>

#include <cstdint>

class QLineEdit;
class QWidget;

namespace lumivex {

// The text dialog (template 246): up to 254 characters, the text font button (writes "fontcolor" and
// logfont.ini at once) and a preview of the text in its font and colour.
class TextDialog : public QDialog {
 public:
  static constexpr int kMaxLength = 254;

  explicit TextDialog(QWidget* parent = nullptr);

  QString text() const;
  const LogFont& font() const { return font_; }
  std::uint32_t color() const { return color_; }

 private:
  void chooseFont();

  LogFont font_ = LogFont::defaultFont();
  std::uint32_t color_ = 255;
  QLineEdit* edit_ = nullptr;
  QWidget* preview_ = nullptr;
};

}  // namespace lumivex
