#include "app/live_micrometer.h"

#include "core/video_geometry.h"
#include "measure/comparison_object.h"

#include <cmath>

namespace lumivex {
namespace {

double columnsPerVideo(QSize frame) { return frame.width() / static_cast<double>(kLiveWidth); }
double rowsPerVideo(QSize frame) {
  return isTallPicture(frame) ? frame.height() / static_cast<double>(kTallPictureAreaHeight)
                              : frame.height() / static_cast<double>(kLiveHeight);
}

Segment segmentOf(const QLineF& line) {
  return {QPoint(static_cast<int>(std::lround(line.x1())), static_cast<int>(std::lround(line.y1()))),
          QPoint(static_cast<int>(std::lround(line.x2())), static_cast<int>(std::lround(line.y2())))};
}

}  // namespace

std::optional<QRect> LiveMicrometer::press(QPoint p) {
  if (region_) return std::nullopt;  // measured already: the pitch is being asked
  origin_ = p;
  corner_ = p;
  return std::nullopt;
}

void LiveMicrometer::move(QPoint p) {
  if (origin_) corner_ = p;
}

std::optional<QRect> LiveMicrometer::release(QPoint p) {
  if (!origin_) return std::nullopt;
  corner_ = p;
  const QRect r = QRect(*origin_, corner_).normalized();
  origin_.reset();
  if (r.width() < kMinimumSide || r.height() < kMinimumSide) return std::nullopt;
  region_ = r;
  return r;
}

void LiveMicrometer::showMarks(QRect region, std::vector<Mark> marks) {
  region_ = region;
  marks_ = std::move(marks);
}

void LiveMicrometer::addFeedback(CanvasFeedback& feedback) const {
  if (origin_) feedback.rectangle = QRect(*origin_, corner_).normalized();
  if (region_) feedback.rectangle = *region_;
  for (const Mark& mark : marks_) (mark.used ? feedback.lines : feedback.guides).append(segmentOf(mark.line));
}

QRect frameRegionOf(QRect video, QSize frameSize) {
  const double sx = columnsPerVideo(frameSize), sy = rowsPerVideo(frameSize);
  const QPoint topLeft(static_cast<int>(std::lround(video.left() * sx)),
                       static_cast<int>(std::lround(video.top() * sy)));
  const QPoint bottomRight(static_cast<int>(std::lround((video.right() + 1) * sx)) - 1,
                           static_cast<int>(std::lround((video.bottom() + 1) * sy)) - 1);
  return QRect(topLeft, bottomRight).intersected(QRect(QPoint(0, 0), frameSize));
}

QPointF videoPointOf(QPointF frame, QSize frameSize) {
  return {frame.x() / columnsPerVideo(frameSize), frame.y() / rowsPerVideo(frameSize)};
}

}  // namespace lumivex
