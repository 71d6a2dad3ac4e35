#pragma once

#include <QPointF>

#include <optional>
#include <vector>

namespace lumivex::detection {

struct FittedCircle {
  QPointF centre;
  double radius = 0.0;
};

// Least-squares circle x^2 + y^2 + a x + b y + c = 0 through the points (algebraic fit from the
// coordinate sums). Nothing for fewer than three points or when the points are collinear.
std::optional<FittedCircle> fitCircle(const std::vector<QPointF>& points);

}  // namespace lumivex::detection
