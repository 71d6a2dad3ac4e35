#pragma once

#include "measure/detection/region_line_detect.h"

#include <QPoint>
#include <QRect>

#include <array>
#include <optional>

namespace lumivex::detection {

// The search region and orientation a two-point marking stands for.
struct MarkedRegion {
  QRect region;  // inclusive corners
  OrientationClass orientation = OrientationClass::kVertical;
  friend bool operator==(const MarkedRegion&, const MarkedRegion&) = default;
};

// The region of the stroke from `p1` to `p2` (y downwards). Extents over 20 on both axes give the stroke's
// own box with a diagonal class; a stroke within 20 of vertical or horizontal is widened by 20 on both
// sides across its direction. Nothing for a stroke of zero length.
std::optional<MarkedRegion> regionFromMarking(QPoint p1, QPoint p2);

// The live line-spacing tool's two points: the midpoint M of the first segment and the foot F of the
// perpendicular from M onto the line of the second, both rounded to whole pixels. If either detection
// failed, the midpoints of the two markings. All points in one coordinate system (the caller converts
// detected segments back to video coordinates first).
struct SpacingPoints {
  QPoint from;
  QPoint to;
  friend bool operator==(const SpacingPoints&, const SpacingPoints&) = default;
};
SpacingPoints lineSpacingPoints(const std::optional<LineSegment>& first, const std::optional<LineSegment>& second,
                                const LineSegment& firstMarking, const LineSegment& secondMarking);

// The live angle tool's four points: both segments' ends, or the markings' if either detection failed.
std::array<QPoint, 4> angleToolPoints(const std::optional<LineSegment>& first, const std::optional<LineSegment>& second,
                                      const LineSegment& firstMarking, const LineSegment& secondMarking);

}  // namespace lumivex::detection
