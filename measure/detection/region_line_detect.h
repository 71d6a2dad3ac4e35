#pragma once

#include "measure/detection/bgr_view.h"

#include <QPoint>
#include <QRect>

#include <optional>

namespace lumivex::detection {

// How the line sought in a region runs on screen; it selects the band of the region that is searched.
enum class OrientationClass {
  kDownRight = 1,  // a line running down to the right
  kUpRight = 2,    // a line running up to the right
  kVertical = 3,
  kHorizontal = 4,
};

// A segment in picture pixels, y downwards.
struct LineSegment {
  QPoint p1;
  QPoint p2;
  friend bool operator==(const LineSegment&, const LineSegment&) = default;
};

// Finds a straight edge inside `region` (inclusive corners in picture pixels, y downwards): Otsu
// binarisation, outline, 2-pixel frame, the band of `orientation`, then the shortest segment of the first
// probabilistic Hough transform, lowering its threshold from the region's diagonal to 6, that finds any.
// The region is clipped to the picture. Nothing is returned for a picture that is not 24-bit, an empty
// region, no segment, a segment of zero length, or one with an end on the picture's left column or bottom
// row; the tools then fall back to the user's marking.
std::optional<LineSegment> RegionLineDetect(const BgrView& picture, const QRect& region, OrientationClass orientation);

// The form of the Auto Line-Length1 tool: no band, the outline dilated once by a 3 x 3 square, and the
// threshold lowered only to 11.
std::optional<LineSegment> RegionLineDetectDilated(const BgrView& picture, const QRect& region);

}  // namespace lumivex::detection
