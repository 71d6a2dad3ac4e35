#include "measure/detection/detect_circle_fit.h"

#include <cmath>

namespace lumivex::detection {

std::optional<FittedCircle> fitCircle(const std::vector<QPointF>& points) {
  if (points.size() < 3) return std::nullopt;
  double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0, sxxx = 0, syyy = 0, sxyy = 0, sxxy = 0;
  for (const QPointF& p : points) {
    const double x = p.x();
    const double y = p.y();
    sx += x;
    sy += y;
    sxx += x * x;
    syy += y * y;
    sxy += x * y;
    sxxx += x * x * x;
    syyy += y * y * y;
    sxyy += x * y * y;
    sxxy += x * x * y;
  }
  const double n = static_cast<double>(points.size());
  const double p = n * sxx - sx * sx;
  const double d = n * sxy - sx * sy;
  const double e = n * syy - sy * sy;
  const double g = n * (sxxx + sxyy) - (sxx + syy) * sx;
  const double h = n * (syyy + sxxy) - (sxx + syy) * sy;
  const double det = p * e - d * d;
  if (det == 0.0) return std::nullopt;
  const double a = (h * d - g * e) / det;
  const double b = (h * p - g * d) / (d * d - p * e);
  const double c = -(sxx + syy + a * sx + b * sy) / n;
  const double r2 = a * a + b * b - 4.0 * c;
  if (!(r2 >= 0.0) || !std::isfinite(r2)) return std::nullopt;
  return FittedCircle{QPointF(-a / 2.0, -b / 2.0), std::sqrt(r2) / 2.0};
}

}  // namespace lumivex::detection
