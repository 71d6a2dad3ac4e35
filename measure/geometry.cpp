#include "measure/geometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace lumivex {
namespace {

// Stands for the slope of a vertical perpendicular bisector in the arc circle.
constexpr double kVerticalSlope = 1000000.0;
constexpr double kDegreesPerRadian = 57.295780490442965;

int truncate(double v) { return static_cast<int>(v); }

// Truncation that does not lose a whole pixel to rounding noise: a centre that is mathematically 200 but
// computes as 199.9999999 stays 200.
int truncateExact(double v) {
  const double nearest = std::round(v);
  return std::abs(v - nearest) < 1e-7 ? static_cast<int>(nearest) : static_cast<int>(v);
}
int roundHalfUp(double v) { return static_cast<int>(v + 0.5); }

// Nearly collinear clicks far apart put the centre (or the radius) beyond what a stored point holds;
// converting such a value would wrap it to a meaningless, even negative, number.
bool fitsInt(double v) { return v > -2147483649.0 && v < 2147483648.0; }

bool anyCoincide(QPoint p1, QPoint p2, QPoint p3) { return p1 == p2 || p2 == p3 || p1 == p3; }

}  // namespace

double pixelDistance(QPoint a, QPoint b) {
  const double dx = b.x() - a.x();
  const double dy = b.y() - a.y();
  return std::sqrt(dx * dx + dy * dy);
}

double pixelDistance(QPointF a, QPointF b) {
  const double dx = b.x() - a.x();
  const double dy = b.y() - a.y();
  return std::sqrt(dx * dx + dy * dy);
}

QPoint truncated(QPointF p) { return {truncate(p.x()), truncate(p.y())}; }
QPoint roundedHalfUp(QPointF p) { return {roundHalfUp(p.x()), roundHalfUp(p.y())}; }

std::array<Segment, 2> endTicks(QPoint start, QPoint end, double halfLength) {
  auto tickAt = [&](QPoint p) -> Segment {
    const int x = p.x();
    const int y = p.y();
    if (end.x() == start.x()) {
      return {{truncate(x - halfLength), y}, {truncate(x + halfLength), y}};
    }
    if (end.y() == start.y()) {
      return {{x, truncate(y + halfLength)}, {x, truncate(y - halfLength)}};
    }
    const double k = static_cast<double>(end.y() - start.y()) / (end.x() - start.x());
    const double s = halfLength * std::sqrt(k * k / (k * k + 1));
    return {{truncate(x - s), truncate(y + s / k)}, {truncate(x + s), truncate(y - s / k)}};
  };
  return {tickAt(start), tickAt(end)};
}

std::optional<CircleCentre> threePointCentre(QPoint p1, QPoint p2, QPoint p3) {
  if (anyCoincide(p1, p2, p3)) return std::nullopt;
  const int x1 = p1.x(), y1 = p1.y(), x2 = p2.x(), y2 = p2.y(), x3 = p3.x(), y3 = p3.y();
  double cx = 0;
  double cy = 0;
  if (x2 == x1) {
    if (x3 == x1) return std::nullopt;
    cy = (y1 + y2) / 2;  // integer division, as the stored results were computed
    const double m = static_cast<double>(y3 - y1) / (x3 - x1);
    cx = (x1 + x3) / 2.0 + m * ((y1 + y3) / 2.0 - cy);
  } else if (x3 == x1) {
    cy = (y3 + y1) / 2;
    const double m = static_cast<double>(y2 - y1) / (x2 - x1);
    cx = (x2 + x1) / 2.0 + m * ((y2 + y1) / 2.0 - cy);
  } else {
    const double m13 = static_cast<double>(y3 - y1) / (x3 - x1);
    const double m12 = static_cast<double>(y2 - y1) / (x2 - x1);
    if (m13 == m12) return std::nullopt;
    cx = ((m12 * (y2 - y3) + (x2 + x1)) * m13 - m12 * (x3 + x1)) / (2 * (m13 - m12));
    // With P1P3 horizontal its bisector is vertical and says nothing about y; P1P2's bisector does.
    if (m13 != 0) {
      cy = (y3 + y1) / 2.0 - (cx - (x3 + x1) / 2.0) / m13;
    } else {
      cy = (y2 + y1) / 2.0 - (cx - (x2 + x1) / 2.0) / m12;
    }
  }
  if (!fitsInt(cx + 0.5) || !fitsInt(cy + 0.5)) return std::nullopt;
  return CircleCentre{{cx, cy}, {roundHalfUp(cx), roundHalfUp(cy)}};
}

std::optional<ArcCircle> arcCircle(QPoint p1, QPoint p2, QPoint p3) {
  if (anyCoincide(p1, p2, p3)) return std::nullopt;
  const int x1 = p1.x(), y1 = p1.y(), x2 = p2.x(), y2 = p2.y(), x3 = p3.x(), y3 = p3.y();
  const double g = y1 == y2 ? kVerticalSlope : -static_cast<double>(x1 - x2) / (y1 - y2);
  const double h = y3 == y2 ? kVerticalSlope : -static_cast<double>(x3 - x2) / (y3 - y2);
  if (g == h) return std::nullopt;
  const double m1x = (x1 + x2) / 2.0, m1y = (y1 + y2) / 2.0;
  const double m2x = (x2 + x3) / 2.0, m2y = (y2 + y3) / 2.0;
  double cx = 0;
  double cy = 0;
  if (g == kVerticalSlope) {
    cx = m1x;
    cy = m2y + h * (cx - m2x);
  } else if (h == kVerticalSlope) {
    cx = m2x;
    cy = m1y + g * (cx - m1x);
  } else {
    cx = (h * m2x - g * m1x - (m2y - m1y)) / (h - g);
    cy = m2y + h * (cx - m2x);
  }
  const double r = std::sqrt((cx - x1) * (cx - x1) + (cy - y1) * (cy - y1));
  if (!fitsInt(cx) || !fitsInt(cy) || !fitsInt(r)) return std::nullopt;
  ArcCircle circle;
  circle.centre = {truncateExact(cx), truncateExact(cy)};
  circle.radius = truncateExact(r);
  circle.counterClockwise =
      static_cast<long long>(x2 - x1) * (y3 - y1) - static_cast<long long>(x3 - x1) * (y2 - y1) < 0;
  return circle;
}

double arcAngle(QPoint centre, QPoint p1, QPoint p3, bool counterClockwise) {
  double theta = std::atan2(static_cast<double>(centre.y() - p3.y()), static_cast<double>(p3.x() - centre.x())) -
                 std::atan2(static_cast<double>(centre.y() - p1.y()), static_cast<double>(p1.x() - centre.x()));
  // The single-precision value of 2 pi and its matching degree factor, which the stored results used.
  if (theta <= 0) theta += 6.2831854820251465;
  theta *= 57.29577791868204;
  if (!counterClockwise) theta = 360 - theta;
  return theta;
}

std::optional<double> angleBetweenLines(QPoint a1, QPoint a2, QPoint b1, QPoint b2) {
  if (a1 == a2 || b1 == b2) return std::nullopt;
  const bool aVertical = a1.x() == a2.x();
  const bool bVertical = b1.x() == b2.x();
  if (aVertical && bVertical) return a2.y() < a1.y() && a1.y() < b2.y() ? 180.0 : 0.0;
  const double kA = aVertical ? 0.0 : static_cast<double>(a2.y() - a1.y()) / (a2.x() - a1.x());
  const double kB = bVertical ? 0.0 : static_cast<double>(b2.y() - b1.y()) / (b2.x() - b1.x());
  QPointF x;
  if (aVertical) {
    x = {static_cast<double>(a1.x()), b2.y() + kB * (a1.x() - b2.x())};
  } else if (bVertical) {
    x = {static_cast<double>(b1.x()), a2.y() + kA * (b1.x() - a2.x())};
  } else if (kA == kB) {
    return kA == 0 && a2.x() < a1.x() && a1.x() < b2.x() ? 180.0 : 0.0;
  } else {
    const double xx = (a2.y() + kB * b2.x() - b2.y() - kA * a2.x()) / (kB - kA);
    x = {xx, a2.y() + kA * (xx - a2.x())};
  }
  auto fartherEnd = [&](QPoint e1, QPoint e2) {
    return pixelDistance(x, QPointF(e1)) > pixelDistance(x, QPointF(e2)) ? QPointF(e1) : QPointF(e2);
  };
  const QPointF u = fartherEnd(a1, a2) - x;
  const QPointF v = fartherEnd(b1, b2) - x;
  const double lu = std::hypot(u.x(), u.y());
  const double lv = std::hypot(v.x(), v.y());
  if (lu == 0 || lv == 0) return std::nullopt;
  // Rounding can push the cosine of a straight angle just past 1, where acos has no value.
  const double c = std::clamp((u.x() * v.x() + u.y() * v.y()) / (lu * lv), -1.0, 1.0);
  return std::acos(c) * kDegreesPerRadian;
}

std::optional<FittedCircle> fitCircle(const QList<QPoint>& points) {
  const double n = static_cast<double>(points.size());
  if (points.size() < 3) return std::nullopt;
  double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0, sxxx = 0, syyy = 0, sxyy = 0, sxxy = 0;
  for (const QPoint& p : points) {
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
  const double P = n * sxx - sx * sx;
  const double D = n * sxy - sx * sy;
  const double E = n * syy - sy * sy;
  const double G = n * (sxxx + sxyy) - (sxx + syy) * sx;
  const double H = n * (syyy + sxxy) - (sxx + syy) * sy;
  const double det = P * E - D * D;
  if (det == 0) return std::nullopt;
  const double a = (H * D - G * E) / det;
  const double b = (H * P - G * D) / (D * D - P * E);
  const double c = -(sxx + syy + a * sx + b * sy) / n;
  const double disc = a * a + b * b - 4 * c;
  if (!(disc >= 0) || !std::isfinite(disc)) return std::nullopt;
  return FittedCircle{{-a / 2, -b / 2}, std::sqrt(disc) / 2};
}

long long polygonPixelCount(const QList<QPoint>& vertices) {
  if (vertices.size() < 3) return 0;
  int top = vertices[0].y();
  int bottom = top;
  for (const QPoint& p : vertices) {
    top = std::min(top, p.y());
    bottom = std::max(bottom, p.y());
  }
  long long count = 0;
  std::vector<double> crossings;
  const qsizetype n = vertices.size();
  for (int y = top; y < bottom; ++y) {
    // Pixel centres: the row's centre line never passes through an integer vertex.
    const double yc = y + 0.5;
    crossings.clear();
    for (qsizetype i = 0; i < n; ++i) {
      const QPoint& p = vertices[i];
      const QPoint& q = vertices[(i + 1) % n];
      if ((p.y() < yc) == (q.y() < yc)) continue;
      crossings.push_back(p.x() + (yc - p.y()) * (q.x() - p.x()) / (q.y() - p.y()));
    }
    std::sort(crossings.begin(), crossings.end());
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
      // Pixels x with x + 0.5 in [left, right): a centre on a left edge is inside, on a right edge outside.
      const long long lo = static_cast<long long>(std::ceil(crossings[i] - 0.5));
      const long long hi = static_cast<long long>(std::ceil(crossings[i + 1] - 0.5)) - 1;
      if (hi >= lo) count += hi - lo + 1;
    }
  }
  return count;
}

std::optional<QPointF> perpendicularFoot(QPoint a, QPoint b, QPoint q) {
  if (a == b) return std::nullopt;
  if (a.x() == b.x()) return QPointF(a.x(), q.y());
  if (a.y() == b.y()) return QPointF(q.x(), a.y());
  const double k = static_cast<double>(b.y() - a.y()) / (b.x() - a.x());
  const double xf = (q.x() + k * q.y() + k * k * a.x() - k * a.y()) / (k * k + 1);
  const double yf = q.y() + (q.x() - xf) / k;
  return QPointF(xf, yf);
}

}  // namespace lumivex
