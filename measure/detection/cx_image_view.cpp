#include "measure/detection/cx_image_view.h"

#include "image/cx_image.h"

namespace lumivex::detection {

BgrView bgrViewOf(const CxImage& picture) {
  if (!picture.IsValid()) return BgrView{};
  return BgrView{picture.GetBits(0),
                 static_cast<int>(picture.GetWidth()),
                 static_cast<int>(picture.GetHeight()),
                 static_cast<int>(picture.GetEffWidth()),
                 true,
                 static_cast<int>(picture.GetBpp())};
}

BgrSurface bgrSurfaceOf(CxImage& picture) {
  if (!picture.IsValid()) return BgrSurface{};
  return BgrSurface{picture.GetBits(0),
                    static_cast<int>(picture.GetWidth()),
                    static_cast<int>(picture.GetHeight()),
                    static_cast<int>(picture.GetEffWidth()),
                    true,
                    static_cast<int>(picture.GetBpp())};
}

}  // namespace lumivex::detection
