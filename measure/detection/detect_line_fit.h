#pragma once

#include <QPointF>

#include <optional>
#include <utility>
#include <vector>

namespace lumivex::detection {

// A straight line through `point` along the unit vector `direction`.
struct FittedLine {
  QPointF point;
  QPointF direction;
};

// Least-squares (total least squares, L2) line through the points: the centroid and the principal axis.
// Nothing for fewer than two distinct points.
std::optional<FittedLine> fitLine(const std::vector<QPointF>& points);

// The end points of a length measured along a line: every point projected onto it, split by the sign of
// its parameter along the line's direction, and on each side the projection farthest from the line's
// reference point. The direction is first turned to point right (down for a vertical line), so for every
// line that is not vertical the first end is the farthest projection left of the reference point and the
// second the farthest right of it; a vertical line, whose projections all share one x, still has two
// ends. A side without a projection ends at the reference point. Nothing for no points.
std::optional<std::pair<QPointF, QPointF>> lineEnds(const std::vector<QPointF>& points, const FittedLine& line);

// The ends of the Auto Line-Length2 tool: lineEnds along the least-squares line of the points. Nothing
// when no line can be fitted.
std::optional<std::pair<QPointF, QPointF>> fittedLineEnds(const std::vector<QPointF>& points);

}  // namespace lumivex::detection
