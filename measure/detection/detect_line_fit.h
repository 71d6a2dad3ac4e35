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

// The end points of the Auto Line-Length2 tool: every point projected onto the fitted line; the first end
// is the projection farthest from the line's reference point on its left side (x not greater), the second
// the farthest on its right side. A vertical line is split by the side along its direction instead, since
// every projection then shares the reference point's x. Nothing when no line can be fitted.
std::optional<std::pair<QPointF, QPointF>> fittedLineEnds(const std::vector<QPointF>& points);

}  // namespace lumivex::detection
