#pragma once

#include "measure/detection/bgr_view.h"

#include <QRect>

namespace lumivex::detection {

// Paints the outlines of the picture's dark and bright regions pure red into the picture itself: Otsu
// threshold (grey >= t is bright), plus-shaped dilation, erosion, outline, erosion; pixels closer than 5 to
// the picture's border are never painted. Returns false, changing nothing, for a picture that is not 24-bit.
bool EdgeOverlay(const BgrSurface& picture);

// The same over a rectangle (inclusive corners, clipped to the picture): threshold from the rectangle,
// grey > t (strictly) bright, painting columns left + 5 .. right - 4 and rows top + 4 .. bottom - 4.
// Returns false for a picture that is not 24-bit and for an empty rectangle.
bool EdgeOverlay(const BgrSurface& picture, const QRect& rectangle);

}  // namespace lumivex::detection
