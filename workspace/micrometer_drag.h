#pragma once

#include <QLineF>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>
#include <vector>

class QRubberBand;

namespace lumivex {

class MeasureCanvas;

// The rectangle a user drags over a micrometer's graduations on a still canvas, and the marks found,
// drawn over the picture until the calibration is answered. Takes the canvas's mouse while it lives (no
// shape tool sees the drag); the rectangle goes to `dragged` in picture pixels.
class MicrometerDrag : public QObject {
 public:
  struct Mark {
    QLineF line;  // picture pixels
    bool used = true;
  };

  MicrometerDrag(MeasureCanvas* canvas, std::function<void(QRect)> dragged);
  ~MicrometerDrag() override;

  // Draws these marks and the region over the canvas (green used, red dropped as outliers).
  void showMarks(QRect region, std::vector<Mark> marks);
  const std::vector<Mark>& marks() const { return marks_; }

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Overlay;

  QPointF toPicture(QPoint viewportPoint) const;
  QPointF toViewport(QPointF picturePoint) const;

  QPointer<MeasureCanvas> canvas_;
  std::function<void(QRect)> dragged_;
  QPointer<QRubberBand> band_;
  QPointer<QWidget> overlay_;
  QPoint origin_;
  bool dragging_ = false;
  QRect region_;
  std::vector<Mark> marks_;
};

}  // namespace lumivex
