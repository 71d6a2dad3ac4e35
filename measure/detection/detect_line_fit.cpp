#include "measure/detection/detect_line_fit.h"

#include <cmath>

namespace lumivex::detection {

std::optional<FittedLine> fitLine(const std::vector<QPointF>& points) {
  if (points.size() < 2) return std::nullopt;
  const double n = static_cast<double>(points.size());
  double sx = 0.0, sy = 0.0;
  for (const QPointF& p : points) {
    sx += p.x();
    sy += p.y();
  }
  const double mx = sx / n;
  const double my = sy / n;
  double sxx = 0.0, syy = 0.0, sxy = 0.0;
  for (const QPointF& p : points) {
    const double dx = p.x() - mx;
    const double dy = p.y() - my;
    sxx += dx * dx;
    syy += dy * dy;
    sxy += dx * dy;
  }
  if (sxx + syy == 0.0) return std::nullopt;
  // Direction of the largest spread: the angle that minimises the sum of squared perpendicular distances.
  const double angle = 0.5 * std::atan2(2.0 * sxy, sxx - syy);
  return FittedLine{QPointF(mx, my), QPointF(std::cos(angle), std::sin(angle))};
}

std::optional<std::pair<QPointF, QPointF>> fittedLineEnds(const std::vector<QPointF>& points) {
  const std::optional<FittedLine> line = fitLine(points);
  if (!line) return std::nullopt;
  const QPointF o = line->point;
  const QPointF u = line->direction;
  // With u.x() > 0 the parameter's sign is the side in x; flip it so "first" stays the left side.
  const double sign = u.x() < 0.0 ? -1.0 : 1.0;
  double leftBest = -1.0, rightBest = -1.0;
  QPointF left = o, right = o;
  for (const QPointF& p : points) {
    const double t = (p.x() - o.x()) * u.x() + (p.y() - o.y()) * u.y();
    const QPointF projection = o + t * u;
    const double side = t * sign;
    if (side <= 0.0 && std::abs(t) > leftBest) {
      leftBest = std::abs(t);
      left = projection;
    }
    if (side >= 0.0 && std::abs(t) > rightBest) {
      rightBest = std::abs(t);
      right = projection;
    }
  }
  return std::make_pair(left, right);
}

}  // namespace lumivex::detection
