#include "measure/detection/edge_morphology.h"

namespace lumivex::detection {

void outlineDark(BinaryImage& image) {
  const int w = image.width;
  const int h = image.height;
  if (w < 3 || h < 3) return;
  const BinaryImage source = image;
  for (int y = 1; y < h - 1; ++y) {
    const uint8_t* up = source.row(y - 1);
    const uint8_t* mid = source.row(y);
    const uint8_t* down = source.row(y + 1);
    uint8_t* out = image.row(y);
    for (int x = 1; x < w - 1; ++x) {
      if (mid[x] != kDark) continue;
      const bool allDark =
          (up[x - 1] | up[x] | up[x + 1] | mid[x - 1] | mid[x + 1] | down[x - 1] | down[x] | down[x + 1]) == kDark;
      if (allDark) out[x] = kBright;
    }
  }
}

namespace {

// For a binary image the plus-shaped dilation is the OR of the five cells and the erosion their AND.
template <bool kDilate>
void applyPlus(BinaryImage& image) {
  const int w = image.width;
  const int h = image.height;
  if (w < 5 || h < 5) return;
  const BinaryImage source = image;
  for (int y = 2; y < h - 2; ++y) {
    const uint8_t* up = source.row(y - 1);
    const uint8_t* mid = source.row(y);
    const uint8_t* down = source.row(y + 1);
    uint8_t* out = image.row(y);
    for (int x = 2; x < w - 2; ++x) {
      if constexpr (kDilate) {
        out[x] = up[x] | mid[x - 1] | mid[x] | mid[x + 1] | down[x];
      } else {
        out[x] = up[x] & mid[x - 1] & mid[x] & mid[x + 1] & down[x];
      }
    }
  }
}

}  // namespace

void dilateBrightPlus(BinaryImage& image) { applyPlus<true>(image); }
void erodeBrightPlus(BinaryImage& image) { applyPlus<false>(image); }

}  // namespace lumivex::detection
