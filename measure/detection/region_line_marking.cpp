#include "measure/detection/region_line_marking.h"

#include <cmath>
#include <cstdlib>

namespace lumivex::detection {
namespace {

// A marking extent of exactly this many pixels counts as small (a near-axis stroke).
constexpr int kNearAxis = 20;
constexpr int kWiden = 20;

QRect box(int left, int top, int right, int bottom) { return QRect(QPoint(left, top), QPoint(right, bottom)); }

QPoint midpoint(const LineSegment& s) { return QPoint((s.p1.x() + s.p2.x()) / 2, (s.p1.y() + s.p2.y()) / 2); }

int roundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }

QPoint perpendicularFoot(QPoint m, const LineSegment& line) {
  const QPoint a = line.p1;
  const QPoint b = line.p2;
  if (a.x() == b.x()) return QPoint(a.x(), m.y());
  const double s = static_cast<double>(b.y() - a.y()) / (b.x() - a.x());
  const double fx = (m.x() + s * (m.y() - a.y()) + s * s * a.x()) / (1.0 + s * s);
  const double fy = a.y() + s * (fx - a.x());
  return QPoint(roundHalfUp(fx), roundHalfUp(fy));
}

}  // namespace

std::optional<MarkedRegion> regionFromMarking(QPoint p1, QPoint p2) {
  const int a = p1.x();
  const int b = p1.y();
  const int c = p2.x();
  const int d = p2.y();
  const int adx = std::abs(c - a);
  const int ady = std::abs(d - b);
  const bool wide = adx > kNearAxis;
  const bool tall = ady > kNearAxis;
  const QRect widenedX = box(std::min(a, c) - kWiden, std::min(b, d), std::max(a, c) + kWiden, std::max(b, d));
  const QRect widenedY = box(std::min(a, c), std::min(b, d) - kWiden, std::max(a, c), std::max(b, d) + kWiden);
  // Slant of a near-axis stroke, by the way it runs on screen.
  const OrientationClass slant = (c - a) * (d - b) > 0 ? OrientationClass::kDownRight : OrientationClass::kUpRight;

  std::optional<MarkedRegion> result;
  // Downward and rightward strokes first; a matching upward or leftward row replaces them.
  if (c > a && d > b && wide && tall) result = MarkedRegion{box(a, b, c, d), OrientationClass::kDownRight};
  if (d > b && !wide) result = MarkedRegion{widenedX, c == a ? OrientationClass::kVertical : slant};
  if (c < a && d > b && wide && tall) result = MarkedRegion{box(c, b, a, d), OrientationClass::kUpRight};
  if (c > a && !tall) result = MarkedRegion{widenedY, d == b ? OrientationClass::kHorizontal : slant};
  if (c < a && d < b && wide && tall) result = MarkedRegion{box(c, d, a, b), OrientationClass::kDownRight};
  if (d < b && !wide) result = MarkedRegion{widenedX, c == a ? OrientationClass::kVertical : slant};
  if (c > a && d < b && wide && tall) result = MarkedRegion{box(a, d, c, b), OrientationClass::kUpRight};
  if (c < a && !tall) result = MarkedRegion{widenedY, d == b ? OrientationClass::kHorizontal : slant};
  return result;
}

SpacingPoints lineSpacingPoints(const std::optional<LineSegment>& first, const std::optional<LineSegment>& second,
                                const LineSegment& firstMarking, const LineSegment& secondMarking) {
  if (!first || !second) return SpacingPoints{midpoint(firstMarking), midpoint(secondMarking)};
  const QPoint m = midpoint(*first);
  return SpacingPoints{m, perpendicularFoot(m, *second)};
}

std::array<QPoint, 4> angleToolPoints(const std::optional<LineSegment>& first, const std::optional<LineSegment>& second,
                                      const LineSegment& firstMarking, const LineSegment& secondMarking) {
  const LineSegment& one = first && second ? *first : firstMarking;
  const LineSegment& two = first && second ? *second : secondMarking;
  return {one.p1, one.p2, two.p1, two.p2};
}

}  // namespace lumivex::detection
