#include "measure/canvas_feedback.h"

namespace lumivex {

bool CanvasFeedback::isEmpty() const {
  return lines.isEmpty() && guides.isEmpty() && crosses.isEmpty() && circles.isEmpty() && !rectangle &&
         !edgeSelection && texts.isEmpty();
}

QRect CanvasFeedback::figureBounds(int margin) const {
  QRect bounds;
  const auto add = [&](const QRect& r) { bounds = bounds.isNull() ? r : bounds.united(r); };
  const auto segmentBox = [](const Segment& s) { return QRect(s.a, s.b).normalized(); };
  for (const Segment& s : lines) add(segmentBox(s));
  for (const Segment& s : guides) add(segmentBox(s));
  for (const QPoint& p : crosses) add(QRect(p - QPoint(kCrossArm, kCrossArm), p + QPoint(kCrossArm, kCrossArm)));
  for (const FeedbackCircle& c : circles)
    add(QRect(c.centre - QPoint(c.radius, c.radius), c.centre + QPoint(c.radius, c.radius)));
  if (rectangle) add(rectangle->normalized());
  if (edgeSelection) add(edgeSelection->normalized());
  for (const FeedbackText& t : texts) add(QRect(t.at, t.at));
  if (bounds.isNull()) return {};
  return bounds.adjusted(-margin, -margin, margin, margin);
}

}  // namespace lumivex
