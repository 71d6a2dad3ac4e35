#pragma once

#include <QSize>

namespace lumivex {

// The video area: the live picture is shown, and live measurements are drawn, in 640 x 480 coordinates;
// full screen scales from it.
inline constexpr QSize kVideoAreaSize{640, 480};

// 1280 x 1024 (5:4) is the one capture size taller than the area's 4:3. It keeps its proportions: it is
// drawn 512 lines high in the 640-wide area, its bottom 32 lines falling outside.
inline constexpr QSize kTallPictureSize{1280, 1024};
inline constexpr int kTallPictureAreaHeight = 512;

constexpr bool isTallPicture(QSize size) { return size == kTallPictureSize; }

}  // namespace lumivex
