#pragma once

#include "measure/canvas_feedback.h"

#include <QLineF>
#include <QPoint>
#include <QRect>

#include <optional>
#include <vector>

namespace lumivex {

// The automatic micrometer calibration's drag on the live picture: the rectangle pulled over the
// graduations in video coordinates, then the marks found, shown as feedback until the pitch is answered
// (used marks solid, dropped ones dotted). Knows nothing of measuring: the live view does that.
class LiveMicrometer {
 public:
  // Too small a rectangle is a click, not a region.
  static constexpr int kMinimumSide = 8;

  // A press starts the rectangle, moves pull its corner, the release ends it: the region then (video
  // coordinates, corners inclusive), or nothing while it goes on or when it is too small (it starts anew).
  std::optional<QRect> press(QPoint p);
  void move(QPoint p);
  std::optional<QRect> release(QPoint p);

  // The marks found, in video coordinates, drawn until the owner drops this.
  struct Mark {
    QLineF line;
    bool used = true;
  };
  void showMarks(QRect region, std::vector<Mark> marks);
  const std::vector<Mark>& marks() const { return marks_; }
  bool measuring() const { return region_.has_value(); }

  // The rectangle and the marks as the canvas's feedback draws them.
  void addFeedback(CanvasFeedback& feedback) const;

 private:
  std::optional<QPoint> origin_;
  QPoint corner_;
  std::optional<QRect> region_;
  std::vector<Mark> marks_;
};

// Video and measurement-frame coordinates: the frame is `frameSize`, the video area 640 x 480 (a
// 1280 x 1024 frame is shown 512 rows tall, as everywhere on the live picture).
QRect frameRegionOf(QRect video, QSize frameSize);
QPointF videoPointOf(QPointF frame, QSize frameSize);

}  // namespace lumivex
