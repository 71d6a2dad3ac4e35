#include "measure/shape_hit_test.h"

#include "measure/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lumivex {
namespace {

QPoint pointAt(const MeasureShape& shape, int index) {
  return index >= 0 && index < shape.points.size() ? shape.points[index] : QPoint();
}

bool has(const MeasureShape& shape, int count) { return shape.points.size() >= count; }

bool segmentOf(const MeasureShape& shape, int a, int b, QPoint click) {
  return std::max(a, b) < shape.points.size() && hitsSegment(shape.points[a], shape.points[b], click);
}

// |distance - radius| with both truncated to whole pixels, as the three-point circle's rule reads.
int ringMiss(QPoint centre, double radius, QPoint click) {
  const int d = static_cast<int>(pixelDistance(centre, click));
  return std::abs(d - static_cast<int>(radius));
}

bool ringOf(const MeasureShape& shape, int centre, int onCircle, QPoint click, int below) {
  if (std::max(centre, onCircle) >= shape.points.size()) return false;
  const QPoint c = shape.points[centre];
  return ringMiss(c, pixelDistance(c, shape.points[onCircle]), click) < below;
}

QPoint midpoint(QPoint a, QPoint b) { return {(a.x() + b.x()) / 2, (a.y() + b.y()) / 2}; }

}  // namespace

bool hitsSegment(QPoint a, QPoint b, QPoint click, int band) {
  const int dx = b.x() - a.x();
  const int dy = b.y() - a.y();
  if (dx == 0 && dy == 0) return std::abs(click.x() - a.x()) <= band && std::abs(click.y() - a.y()) <= band;
  if (std::abs(dx) >= std::abs(dy)) {
    if (click.x() < std::min(a.x(), b.x()) || click.x() > std::max(a.x(), b.x())) return false;
    const double y = a.y() + static_cast<double>(click.x() - a.x()) * dy / dx;
    return std::abs(click.y() - y) <= band;
  }
  if (click.y() < std::min(a.y(), b.y()) || click.y() > std::max(a.y(), b.y())) return false;
  const double x = a.x() + static_cast<double>(click.y() - a.y()) * dx / dy;
  return std::abs(click.x() - x) <= band;
}

bool hitsShape(const MeasureShape& shape, QPoint click) {
  const int n = static_cast<int>(shape.points.size());
  switch (shape.kind) {
    case ShapeKind::Line:
    case ShapeKind::ParallelLine:
    case ShapeKind::AutoLineSpacing:
      return segmentOf(shape, 0, 1, click) || segmentOf(shape, 2, 3, click) || segmentOf(shape, 4, 5, click);
    case ShapeKind::Rectangle: {
      if (!has(shape, 2)) return false;
      const QPoint p = shape.points[0], q = shape.points[1];
      const int l = std::min(p.x(), q.x()), r = std::max(p.x(), q.x());
      const int t = std::min(p.y(), q.y()), b = std::max(p.y(), q.y());
      const bool inGrown = click.x() >= l - 2 && click.x() <= r + 2 && click.y() >= t - 2 && click.y() <= b + 2;
      const bool inShrunk = click.x() > l + 2 && click.x() < r - 2 && click.y() > t + 2 && click.y() < b - 2;
      return inGrown && !inShrunk;
    }
    case ShapeKind::ThreePointCircle:
      return ringOf(shape, 0, 1, click, 3);
    case ShapeKind::TwoCircles:
      return ringOf(shape, 3, 0, click, 3);  // at most 2
    case ShapeKind::Text: {
      if (!has(shape, 2)) return false;
      const QPoint p = shape.points[0], q = shape.points[1];
      return click.x() >= std::min(p.x(), q.x()) - 8 && click.x() <= std::max(p.x(), q.x()) + 8 &&
             click.y() >= std::min(p.y(), q.y()) - 8 && click.y() <= std::max(p.y(), q.y()) + 8;
    }
    case ShapeKind::RadiusCircle:
      return ringOf(shape, 0, 1, click, 3) || segmentOf(shape, 0, 1, click);
    case ShapeKind::DiameterCircle:
      return ringOf(shape, 0, 1, click, 3) || segmentOf(shape, 1, 2, click);
    case ShapeKind::AutoCircle:
      return has(shape, 1) &&
             (ringMiss(shape.points[0], shape.radius, click) < 3 ||
              hitsSegment(shape.points[0], shape.points[0] + QPoint(static_cast<int>(shape.radius + 0.5), 0), click));
    case ShapeKind::Arc:
    case ShapeKind::AutoArc:
      return ringOf(shape, 4, 0, click, 3);
    case ShapeKind::Angle:
      return segmentOf(shape, 0, 1, click) || segmentOf(shape, 1, 2, click);
    case ShapeKind::FourPointAngle:
    case ShapeKind::AutoAngle:
      return segmentOf(shape, 0, 1, click) || segmentOf(shape, 2, 3, click);
    case ShapeKind::ContinuousLine: {
      if (segmentOf(shape, 0, 1, click)) return true;
      for (int i = 1; i + 2 < n; i += 2)
        if (segmentOf(shape, i, i + 2, click)) return true;
      return false;
    }
    case ShapeKind::Polygon: {
      const int vertices = n - 1;  // the last point is the label anchor
      for (int i = 0; i < vertices; ++i)
        if (segmentOf(shape, i, (i + 1) % vertices, click)) return true;
      return false;
    }
    case ShapeKind::DotLine: {
      if (segmentOf(shape, 0, 1, click)) return true;
      if (!has(shape, 3)) return false;
      const std::optional<QPointF> foot = perpendicularFoot(shape.points[0], shape.points[1], shape.points[2]);
      return foot && hitsSegment(shape.points[2], roundedHalfUp(*foot), click);
    }
    case ShapeKind::AutoLineLength1:
    case ShapeKind::AutoLineLength2:
      return segmentOf(shape, 0, 1, click);
    case ShapeKind::CircleLabel:
      return has(shape, 1) && pixelDistance(shape.points[0], click) <= 12;
    case ShapeKind::SquareLabel:
      return has(shape, 1) && std::abs(click.x() - shape.points[0].x()) <= 12 &&
             std::abs(click.y() - shape.points[0].y()) <= 12;
    case ShapeKind::Unset:
      return false;
  }
  return false;
}

QPoint moveReference(const MeasureShape& shape) {
  switch (shape.kind) {
    case ShapeKind::Line:
    case ShapeKind::ParallelLine:
    case ShapeKind::DotLine:
    case ShapeKind::AutoLineSpacing:
    case ShapeKind::AutoLineLength1:
    case ShapeKind::AutoLineLength2:
    case ShapeKind::Rectangle:
      return midpoint(pointAt(shape, 0), pointAt(shape, 1));
    case ShapeKind::Angle:
      return pointAt(shape, 1);
    case ShapeKind::TwoCircles:
      return pointAt(shape, 3);
    case ShapeKind::Arc:
    case ShapeKind::AutoArc:
      return pointAt(shape, 4);
    default:
      return pointAt(shape, 0);
  }
}

void translateShape(MeasureShape& shape, QPoint offset) {
  for (QPoint& p : shape.points) p += offset;
}

}  // namespace lumivex
