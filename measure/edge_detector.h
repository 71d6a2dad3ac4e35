#pragma once

#include "measure/geometry.h"

#include <QPoint>
#include <QRect>

#include <optional>

namespace lumivex {

// Automatic detection as a canvas asks for it: content points in, content points out. The still canvas
// detects on its picture through its zoom factors; the live view on its grabbed measurement frame through
// the frame-to-video ratios (PictureEdgeDetector serves both). A canvas without a detector keeps the
// user's own points.
class EdgeDetector {
 public:
  virtual ~EdgeDetector() = default;

  // The edge point nearest to p within the detection range; nothing when no pixel qualifies.
  virtual std::optional<QPoint> snapToEdge(QPoint p) = 0;
  // The straight edge inside the region a stroke from a to b marks (its box widened across a nearly
  // vertical or horizontal stroke, and the stroke's orientation class).
  virtual std::optional<Segment> lineAlongStroke(QPoint a, QPoint b) = 0;
  // The edge inside the stroke's bounding box, widened by 20 on each side where the stroke is narrower
  // than 20, with the dilated search of the Auto Line-Length1 tool.
  virtual std::optional<Segment> lineInStrokeBox(QPoint a, QPoint b) = 0;
  // Paints the outlines inside the rectangle (corners inclusive) into the picture itself. False when
  // nothing could be painted (no 24-bit picture, an empty rectangle).
  virtual bool overlayEdges(const QRect& area) = 0;
};

}  // namespace lumivex
