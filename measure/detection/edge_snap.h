#pragma once

#include "measure/detection/bgr_view.h"

#include <QPoint>

#include <optional>

namespace lumivex::detection {

// Moves a click (picture pixels, y downwards) to the nearest strong change of brightness within `radius`:
// contrast levels 160 down to 20 in steps of 20, for each level rings 1 .. radius - 1, each ring scanned
// bottom row first and left to right. Returns nothing when no pixel qualifies, when the picture is not
// 24-bit or when the click lies outside the picture; the caller then keeps the click.
std::optional<QPoint> EdgeSnap(const BgrView& picture, int x, int y, int radius);

inline constexpr int kDefaultDetectionRange = 20;

}  // namespace lumivex::detection
