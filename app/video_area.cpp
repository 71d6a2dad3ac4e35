#include "app/video_area.h"

#include "widgets/skin_renderer.h"

#include <QFontMetrics>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>

namespace lumivex {

VideoArea::VideoArea(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("1000"));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setContextMenuPolicy(Qt::PreventContextMenu);
}

void VideoArea::setConnectMessage(QString text) {
  connectMessage_ = std::move(text);
  update();
}

void VideoArea::setHint(QString text) {
  hint_ = std::move(text);
  update();
}

void VideoArea::requestRepaint() {
  if (repaintPending_.exchange(true)) return;
  // Queued to the GUI thread; dropped if the area is gone by then.
  QMetaObject::invokeMethod(
      this,
      [this] {
        repaintPending_.store(false);
        update();
      },
      Qt::QueuedConnection);
}

QFont VideoArea::messageFont() {
  QFont font(QStringLiteral("Liberation Mono"));
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(20);
  font.setWeight(QFont::Normal);
  return font;
}

void VideoArea::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QImage frame = connectMessage_.isEmpty() && frameSource_ ? frameSource_() : QImage();
  if (frame.isNull()) {
    painter.fillRect(rect(), QColor(SkinRenderer::kWell));
  } else {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), frame.size().scaled(size(), Qt::KeepAspectRatioByExpanding)), frame);
  }
  painter.setFont(messageFont());
  const QFontMetrics metrics(painter.font());
  if (!connectMessage_.isEmpty()) {
    // Centred; a message wider than the area starts at its left edge.
    const int textWidth = metrics.horizontalAdvance(connectMessage_);
    const int x = textWidth > width() ? 0 : (width() - textWidth) / 2;
    const int y = (height() - metrics.height()) / 2 + metrics.ascent();
    painter.setPen(QColor(0, 255, 0));
    painter.drawText(x, y, connectMessage_);
  }
  if (!hint_.isEmpty()) {
    // Right edge 4 pixels in from the right, 2 pixels from the top.
    const int textWidth = metrics.horizontalAdvance(hint_);
    const int x = textWidth + 4 > width() ? 0 : width() - 4 - textWidth;
    painter.setPen(QColor(255, 0, 0));
    painter.drawText(x, 2 + metrics.ascent(), hint_);
  }
}

void VideoArea::forward(QMouseEvent* event) {
  if (mouseHandler_) mouseHandler_(event);
}

void VideoArea::mousePressEvent(QMouseEvent* event) { forward(event); }
void VideoArea::mouseReleaseEvent(QMouseEvent* event) { forward(event); }
void VideoArea::mouseMoveEvent(QMouseEvent* event) { forward(event); }
void VideoArea::mouseDoubleClickEvent(QMouseEvent* event) { forward(event); }

void VideoArea::enterEvent(QEnterEvent* event) {
  if (hoverHandler_) hoverHandler_(true);
  QWidget::enterEvent(event);
}

void VideoArea::leaveEvent(QEvent* event) {
  if (hoverHandler_) hoverHandler_(false);
  QWidget::leaveEvent(event);
}

}  // namespace lumivex
