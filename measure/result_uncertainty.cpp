#include "measure/result_uncertainty.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumivex {
namespace {

// Small against a pixel, large against double rounding of coordinates in the tens of thousands.
constexpr double kStep = 1e-3;

double wrapDegrees(double d) { return d - 360.0 * std::round(d / 360.0); }

}  // namespace

double propagatedSpread(const PointFormula& formula, const std::vector<QPointF>& points, double perCoordinate) {
  if (!(perCoordinate > 0)) return 0.0;
  std::vector<QPointF> moved = points;
  double sum = 0.0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    for (int axis = 0; axis < 2; ++axis) {
      const QPointF step = axis == 0 ? QPointF(kStep, 0) : QPointF(0, kStep);
      moved[i] = points[i] + step;
      const double up = formula(moved);
      moved[i] = points[i] - step;
      const double down = formula(moved);
      moved[i] = points[i];
      const double derivative = (up - down) / (2 * kStep);
      if (std::isfinite(derivative)) sum += derivative * derivative;
    }
  }
  return perCoordinate * std::sqrt(sum);
}

std::vector<QPointF> realPoints(const QList<QPoint>& points) {
  std::vector<QPointF> real;
  real.reserve(static_cast<std::size_t>(points.size()));
  for (const QPoint& p : points) real.emplace_back(p);
  return real;
}

std::optional<QPointF> circumcentre(QPointF p1, QPointF p2, QPointF p3) {
  const double ax = p2.x() - p1.x(), ay = p2.y() - p1.y();
  const double bx = p3.x() - p1.x(), by = p3.y() - p1.y();
  const double d = 2 * (ax * by - ay * bx);
  if (d == 0) return std::nullopt;
  const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by;
  return QPointF(p1.x() + (by * a2 - ay * b2) / d, p1.y() + (ax * b2 - bx * a2) / d);
}

double directionDegrees(QPointF a, QPointF b) {
  return std::atan2(b.y() - a.y(), b.x() - a.x()) * 180.0 / std::numbers::pi;
}

PointFormula unwrappedAngle(PointFormula raw, const std::vector<QPointF>& nominalPoints, double nominalDegrees) {
  const double rawNominal = raw(nominalPoints);
  return [raw = std::move(raw), rawNominal, nominalDegrees](const std::vector<QPointF>& p) {
    return nominalDegrees + wrapDegrees(raw(p) - rawNominal);
  };
}

double shoelaceArea(const std::vector<QPointF>& vertices) {
  double twice = 0.0;
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    const QPointF& p = vertices[i];
    const QPointF& q = vertices[(i + 1) % vertices.size()];
    twice += p.x() * q.y() - q.x() * p.y();
  }
  return std::abs(twice) / 2;
}

std::optional<double> fittedRadiusUncertainty(const QList<QPoint>& points, QPointF centre, double radius) {
  if (points.size() < 4 || !(radius > 0)) return std::nullopt;
  // Normal equations of the residuals |p - c| - r in (cx, cy, r).
  double m[3][3] = {};
  double squares = 0.0;
  for (const QPoint& p : points) {
    const double dx = p.x() - centre.x(), dy = p.y() - centre.y();
    const double d = std::hypot(dx, dy);
    if (d == 0) return std::nullopt;
    const double j[3] = {-dx / d, -dy / d, -1.0};
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b) m[a][b] += j[a] * j[b];
    squares += (d - radius) * (d - radius);
  }
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  if (!(std::abs(det) > 1e-12)) return std::nullopt;
  const double inverseRR = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
  const double variance = std::max(squares / static_cast<double>(points.size() - 3), 1.0 / 12.0);
  if (!(inverseRR > 0)) return std::nullopt;
  return 2.0 * std::sqrt(variance * inverseRR);
}

}  // namespace lumivex
