#include "widgets/magnifier_box.h"

#include "widgets/skin_renderer.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace lumivex {

MagnifierBox::MagnifierBox(int id, QWidget* parent) : QWidget(parent) {
  setObjectName(QString::number(id));
  setContextMenuPolicy(Qt::PreventContextMenu);
}

void MagnifierBox::setZoom(int zoom) {
  zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
  update();
}

void MagnifierBox::setSource(QImage frame, QPointF centre) {
  frame_ = std::move(frame);
  centre_ = centre;
  update();
}

void MagnifierBox::setCentre(QPointF centre) {
  centre_ = centre;
  update();
}

void MagnifierBox::clearSource() {
  frame_ = QImage();
  update();
}

void MagnifierBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  SkinRenderer::paintWell(painter, rect());
  const QRectF inner = QRectF(rect()).adjusted(1, 1, -1, -1);
  if (!frame_.isNull()) {
    // The box's size divided by the zoom level is the block of frame pixels shown.
    const QSizeF block(inner.width() / zoom_, inner.height() / zoom_);
    const QRectF source(centre_ - QPointF(block.width() / 2, block.height() / 2), block);
    painter.drawImage(inner, frame_, source);
  } else {
    // No frame yet: a faint reticle says what the box is for.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 50), 1.0));
    const QPointF c = inner.center();
    painter.drawEllipse(c, 26, 26);
    painter.drawLine(QPointF(c.x() - 36, c.y()), QPointF(c.x() + 36, c.y()));
    painter.drawLine(QPointF(c.x(), c.y() - 36), QPointF(c.x(), c.y() + 36));
  }
  QFont font = painter.font();
  font.setPixelSize(11);
  painter.setFont(font);
  painter.setPen(QColor(255, 255, 255, 170));
  painter.drawText(inner.adjusted(4, 2, -4, -2), Qt::AlignRight | Qt::AlignBottom,
                   QStringLiteral("\u00D7%1").arg(zoom_));
}

void MagnifierBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    setZoom(zoom_ + 1);
  else if (event->button() == Qt::RightButton)
    setZoom(zoom_ - 1);
  event->accept();
}

}  // namespace lumivex
