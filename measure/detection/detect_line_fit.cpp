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

std::optional<std::pair<QPointF, QPointF>> lineEnds(const std::vector<QPointF>& points, const FittedLine& line) {
  const double norm = std::hypot(line.direction.x(), line.direction.y());
  if (points.empty() || !(norm > 0)) return std::nullopt;
  QPointF u = line.direction / norm;
  if (u.x() < 0 || (u.x() == 0 && u.y() < 0)) u = -u;
  const QPointF o = line.point;
  double firstBest = -1.0, secondBest = -1.0;
  QPointF first = o, second = o;
  for (const QPointF& p : points) {
    const double t = (p.x() - o.x()) * u.x() + (p.y() - o.y()) * u.y();
    if (t <= 0.0 && -t > firstBest) {
      firstBest = -t;
      first = o + t * u;
    }
    if (t >= 0.0 && t > secondBest) {
      secondBest = t;
      second = o + t * u;
    }
  }
  return std::make_pair(first, second);
}

std::optional<std::pair<QPointF, QPointF>> fittedLineEnds(const std::vector<QPointF>& points) {
  const std::optional<FittedLine> line = fitLine(points);
  if (!line) return std::nullopt;
  return lineEnds(points, *line);
}

}  // namespace lumivex::detection
