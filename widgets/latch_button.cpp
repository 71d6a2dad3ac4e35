#include "widgets/latch_button.h"

namespace lumivex {

LatchButton::LatchButton(int id, QString iconFile, QSize size, QWidget* parent)
    : SkinButton(id, std::move(iconFile), size, parent) {}

void LatchButton::setLatched(bool latched) {
  if (latched_ == latched) return;
  latched_ = latched;
  update();
}

void LatchButton::setLatchedIconFile(QString iconFile) {
  latchedIconFile_ = std::move(iconFile);
  update();
}

ButtonLook LatchButton::look() const {
  const ButtonLook base = SkinButton::look();
  if (base == ButtonLook::Disabled || base == ButtonLook::Pressed) return base;
  // A switch with its own latched icon keeps the plain face: the icon already tells the state.
  if (latched_ && latchedIconFile_.isEmpty()) return ButtonLook::Latched;
  return base;
}

QString LatchButton::currentIconFile() const {
  return latched_ && !latchedIconFile_.isEmpty() ? latchedIconFile_ : SkinButton::currentIconFile();
}

}  // namespace lumivex
