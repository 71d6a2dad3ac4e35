#pragma once

#include <array>
#include <cstdint>

namespace lumivex {

class CxImage;

// The per-pixel and geometric operations behind CxImage's Mirror, Flip, Negative and Light. Each runs
// row by row, updates the picture's progress and stops between rows when its escape flag is set
// (returning false). Palette pictures are processed through their indices (mirror, flip) or palette.
namespace image_ops {

// Reverses each row; with selectionOnly and a selection, only inside its bounding box.
bool mirror(CxImage& image, bool selectionOnly);
// Swaps rows top for bottom; with selectionOnly and a selection, only inside its bounding box.
bool flip(CxImage& image, bool selectionOnly);
bool negative(CxImage& image);
bool light(CxImage& image, long brightness, long contrast);
// entry(i) = trunc(brightness + 128 + c x (i - 128) + 0.5) clamped to 0..255, c = (100 + contrast) x 0.01.
std::array<uint8_t, 256> lightTable(long brightness, long contrast);

// Shared by the operations: progress for row `done` of `total`; false when the escape flag asks to stop.
bool continueAfterRow(CxImage& image, uint32_t done, uint32_t total);

}  // namespace image_ops
}  // namespace lumivex
