#include "workspace/micrometer_drag.h"

#include "measure/measure_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

#include <cmath>

namespace lumivex {

// Paints the marks over the canvas's viewport; lets the mouse through to the drag.
class MicrometerDrag::Overlay : public QWidget {
 public:
  Overlay(MicrometerDrag* owner, QWidget* viewport) : QWidget(viewport), owner_(owner) {
    setObjectName(QStringLiteral("micrometerMarks"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(viewport->rect());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!owner_->region_.isEmpty()) {
      painter.setPen(QPen(QColor(255, 200, 0), 1, Qt::DashLine));
      const QPointF a = owner_->toViewport(owner_->region_.topLeft() - QPointF(0.5, 0.5));
      const QPointF b = owner_->toViewport(owner_->region_.bottomRight() + QPointF(0.5, 0.5));
      painter.drawRect(QRectF(a, b));
    }
    for (const Mark& mark : owner_->marks_) {
      painter.setPen(QPen(mark.used ? QColor(0, 200, 0) : QColor(230, 0, 0), 1));
      painter.drawLine(QLineF(owner_->toViewport(mark.line.p1()), owner_->toViewport(mark.line.p2())));
    }
  }

 private:
  MicrometerDrag* owner_;
};

MicrometerDrag::MicrometerDrag(MeasureCanvas* canvas, std::function<void(QRect)> dragged)
    : canvas_(canvas), dragged_(std::move(dragged)) {
  canvas->viewport()->installEventFilter(this);
  band_ = new QRubberBand(QRubberBand::Rectangle, canvas->viewport());
  band_->setObjectName(QStringLiteral("micrometerRegion"));
  overlay_ = new Overlay(this, canvas->viewport());
  overlay_->show();
}

MicrometerDrag::~MicrometerDrag() {
  if (!canvas_) return;
  canvas_->viewport()->removeEventFilter(this);
  delete band_.data();
  delete overlay_.data();
  canvas_->viewport()->update();
}

QPointF MicrometerDrag::toPicture(QPoint viewportPoint) const {
  // Content point = view point + scroll offset; the content is the picture shrunk by the zoom.
  const QPointF content = QPointF(viewportPoint + canvas_->scrollOffset()) + QPointF(0.5, 0.5);
  return content * canvas_->zoom() - QPointF(0.5, 0.5);
}

QPointF MicrometerDrag::toViewport(QPointF picturePoint) const {
  return (picturePoint + QPointF(0.5, 0.5)) / canvas_->zoom() - QPointF(canvas_->scrollOffset());
}

void MicrometerDrag::showMarks(QRect region, std::vector<Mark> marks) {
  region_ = region;
  marks_ = std::move(marks);
  if (overlay_) overlay_->update();
}

bool MicrometerDrag::eventFilter(QObject* watched, QEvent* event) {
  if (!canvas_ || watched != canvas_->viewport()) return false;
  switch (event->type()) {
    case QEvent::Resize:
      if (overlay_) overlay_->setGeometry(canvas_->viewport()->rect());
      return false;
    case QEvent::Paint:
      if (overlay_) overlay_->update();
      return false;
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return true;
      dragging_ = true;
      origin_ = mouse->position().toPoint();
      band_->setGeometry(QRect(origin_, QSize()));
      band_->show();
      return true;
    }
    case QEvent::MouseMove: {
      if (dragging_)
        band_->setGeometry(QRect(origin_, static_cast<QMouseEvent*>(event)->position().toPoint()).normalized());
      return true;
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (!dragging_ || mouse->button() != Qt::LeftButton) return true;
      dragging_ = false;
      band_->hide();
      const QPointF a = toPicture(origin_);
      const QPointF b = toPicture(mouse->position().toPoint());
      const QRect picture(0, 0, canvas_->picture().GetWidth(), canvas_->picture().GetHeight());
      const QRect region = QRect(QPoint(static_cast<int>(std::lround(std::min(a.x(), b.x()))),
                                        static_cast<int>(std::lround(std::min(a.y(), b.y())))),
                                 QPoint(static_cast<int>(std::lround(std::max(a.x(), b.x()))),
                                        static_cast<int>(std::lround(std::max(a.y(), b.y()))))) &
                           picture;
      // Told last: the answer may end this drag.
      if (dragged_) dragged_(region);
      return true;
    }
    case QEvent::MouseButtonDblClick:
      return true;
    default:
      return false;
  }
}

}  // namespace lumivex
