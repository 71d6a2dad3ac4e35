#pragma once

#include "measure/detection/bgr_view.h"

namespace lumivex {
class CxImage;
}

namespace lumivex::detection {

// Views of a CxImage's DIB rows (bottom-up, stride-padded). An empty or non-24-bit picture gives a view
// that every detection refuses. The views borrow: keep the picture alive and unchanged in size meanwhile.
BgrView bgrViewOf(const CxImage& picture);
BgrSurface bgrSurfaceOf(CxImage& picture);

}  // namespace lumivex::detection
