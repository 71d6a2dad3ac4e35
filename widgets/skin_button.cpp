#include "widgets/skin_button.h"

#include <QPainter>

namespace lumivex {

SkinButton::SkinButton(int id, QString iconFile, QSize size, QWidget* parent)
    : QAbstractButton(parent), id_(id), iconFile_(std::move(iconFile)), size_(size) {
  setObjectName(QString::number(id));
  setFixedSize(size);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_Hover);
}

void SkinButton::setIconFile(QString iconFile) {
  iconFile_ = std::move(iconFile);
  update();
}

void SkinButton::setIconScale(qreal scale) {
  iconScale_ = scale;
  update();
}

ButtonLook SkinButton::look() const {
  if (!isEnabled()) return ButtonLook::Disabled;
  if (isDown()) return ButtonLook::Pressed;
  if (hovered_) return ButtonLook::Hover;
  return ButtonLook::Normal;
}

void SkinButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const ButtonLook current = look();
  SkinRenderer::paintButtonFace(painter, rect(), current);
  const qreal side = std::min(width(), height()) * iconScale_;
  QRectF iconRect(0, 0, side, side);
  iconRect.moveCenter(QRectF(rect()).center());
  if (current == ButtonLook::Pressed) iconRect.translate(0, 1);
  SkinRenderer::paintIcon(painter, iconRect, currentIconFile(), current == ButtonLook::Disabled ? 0.35 : 1.0);
}

void SkinButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void SkinButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

}  // namespace lumivex
