#pragma once

#include <QList>
#include <QPoint>
#include <QPointF>

#include <array>
#include <optional>

namespace lumivex {

// The plane geometry of the measurements, on integer view coordinates in double precision. Every
// function that can meet input that forms no figure returns nullopt rather than a made-up value.

struct Segment {
  QPoint a;
  QPoint b;
};

double pixelDistance(QPoint a, QPoint b);
double pixelDistance(QPointF a, QPointF b);

// The strokes perpendicular to start-end through each end, halfLength pixels to either side (10 for a
// line's ticks, 100 for the parallel lines), each coordinate truncated.
std::array<Segment, 2> endTicks(QPoint start, QPoint end, double halfLength);

// Centre of the circle through three clicks by the slope method of the three-point circle; rounded is
// the exact centre rounded half up. nullopt when the points are collinear or two coincide.
struct CircleCentre {
  QPointF exact;
  QPoint rounded;
};
std::optional<CircleCentre> threePointCentre(QPoint p1, QPoint p2, QPoint p3);

// The circle through three points as the arc tools use it: centre and radius truncated, and whether the
// points turn so that the arc from p1 through p2 to p3 runs counter-clockwise in y-up terms.
struct ArcCircle {
  QPoint centre;
  int radius = 0;
  bool counterClockwise = false;  // the orientation flag
};
std::optional<ArcCircle> arcCircle(QPoint p1, QPoint p2, QPoint p3);

// Central angle in degrees from p1 to p3 around centre, on the side the orientation flag selects.
double arcAngle(QPoint centre, QPoint p1, QPoint p3, bool counterClockwise);

// Angle in degrees (0..180) between line a1-a2 and line b1-b2, measured at their intersection towards
// the farther end of each. nullopt when a line has no length.
std::optional<double> angleBetweenLines(QPoint a1, QPoint a2, QPoint b1, QPoint b2);

// Least-squares circle through n >= 3 points.
struct FittedCircle {
  QPointF centre;
  double radius = 0.0;
};
std::optional<FittedCircle> fitCircle(const QList<QPoint>& points);

// Number of pixels whose centres lie inside the polygon under the even-odd rule (a centre on a left edge
// counts, one on a right edge does not, as filled polygons are rasterised).
long long polygonPixelCount(const QList<QPoint>& vertices);

// Foot of the perpendicular from q onto the line through a and b; nullopt when a equals b.
std::optional<QPointF> perpendicularFoot(QPoint a, QPoint b, QPoint q);

// Truncation and half-up rounding of a point, as the stored points take them.
QPoint truncated(QPointF p);
QPoint roundedHalfUp(QPointF p);

}  // namespace lumivex
