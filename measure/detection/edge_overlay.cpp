#include "measure/detection/edge_overlay.h"

#include "measure/detection/edge_morphology.h"
#include "measure/detection/grey_picture.h"
#include "measure/detection/otsu_threshold.h"

namespace lumivex::detection {
namespace {

enum class Comparison { kAtLeast, kAbove };

// The overlay's binary outline of `area`, rows top-down.
BinaryImage outlineOf(const BgrView& picture, const QRect& area, Comparison comparison) {
  const GreyPicture grey(picture, area);
  const Histogram histogram = grey.histogram();
  const int t = otsuThreshold(histogram);
  const int brightFrom = comparison == Comparison::kAtLeast ? brightFromAtLeast(histogram, t) : t + 1;
  BinaryImage image(grey.width(), grey.height(), kDark);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* src = grey.row(y);
    uint8_t* dst = image.row(y);
    for (int x = 0; x < image.width; ++x) dst[x] = src[x] >= brightFrom ? kBright : kDark;
  }
  dilateBrightPlus(image);
  erodeBrightPlus(image);
  outlineDark(image);
  erodeBrightPlus(image);  // thickens the dark outline
  return image;
}

// Paints the dark pixels of `outline` (which covers `area`) that lie inside `paint`.
void paintRed(const BgrSurface& picture, const QRect& area, const BinaryImage& outline, const QRect& paint) {
  const QRect target = paint & area;
  if (target.isEmpty()) return;
  for (int y = target.top(); y <= target.bottom(); ++y) {
    const uint8_t* mask = outline.row(y - area.top());
    uint8_t* row = picture.row(y);
    for (int x = target.left(); x <= target.right(); ++x) {
      if (mask[x - area.left()] != kDark) continue;
      uint8_t* px = row + static_cast<ptrdiff_t>(x) * 3;
      px[0] = 0;
      px[1] = 0;
      px[2] = 255;
    }
  }
}

}  // namespace

bool EdgeOverlay(const BgrSurface& picture) {
  const BgrView view = picture.view();
  if (!view.isBgr24()) return false;
  const QRect area = view.rect();
  const BinaryImage outline = outlineOf(view, area, Comparison::kAtLeast);
  paintRed(picture, area, outline, area.adjusted(5, 5, -5, -5));
  return true;
}

bool EdgeOverlay(const BgrSurface& picture, const QRect& rectangle) {
  const BgrView view = picture.view();
  if (!view.isBgr24()) return false;
  const QRect area = spanOf(rectangle) & view.rect();
  if (area.isEmpty()) return false;
  const BinaryImage outline = outlineOf(view, area, Comparison::kAbove);
  paintRed(picture, area, outline, area.adjusted(5, 4, -4, -4));
  return true;
}

}  // namespace lumivex::detection
