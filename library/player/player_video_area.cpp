#include "library/player/player_video_area.h"

#include "library/player/player_ids.h"
#include "widgets/skin_renderer.h"

#include <QPainter>

namespace lumivex {

PlayerVideoArea::PlayerVideoArea(QWidget* parent) : QWidget(parent) {
  setObjectName(QString::number(ids::kPlayerVideoArea));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlayerVideoArea::present(QImage frame) {
  {
    std::lock_guard guard(lock_);
    frame_ = std::move(frame);
  }
  presented_.fetch_add(1);
  // One queued repaint at a time: a slow GUI thread skips frames instead of queueing them.
  if (!repaintPending_.exchange(true)) {
    QMetaObject::invokeMethod(
        this,
        [this] {
          repaintPending_.store(false);
          update();
        },
        Qt::QueuedConnection);
  }
}

void PlayerVideoArea::clear() {
  {
    std::lock_guard guard(lock_);
    frame_ = QImage();
  }
  presented_.store(0);
  update();
}

QImage PlayerVideoArea::frame() const {
  std::lock_guard guard(lock_);
  return frame_;
}

void PlayerVideoArea::paintEvent(QPaintEvent*) {
  const QImage shown = frame();
  QPainter painter(this);
  if (shown.isNull()) {
    painter.fillRect(rect(), QColor(SkinRenderer::kWell));
    return;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRect(QPoint(0, 0), size()), shown);
}

}  // namespace lumivex
