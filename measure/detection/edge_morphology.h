#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumivex::detection {

inline constexpr uint8_t kDark = 0;
inline constexpr uint8_t kBright = 255;

// One byte per pixel, 0 (dark) or 255 (bright), rows tightly packed. The operations below are symmetric
// in x and y, so they do not care which way the rows run.
struct BinaryImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bytes;

  BinaryImage() = default;
  BinaryImage(int w, int h, uint8_t fill) : width(w), height(h), bytes(static_cast<size_t>(w) * h, fill) {}
  uint8_t* row(int y) { return bytes.data() + static_cast<size_t>(y) * width; }
  const uint8_t* row(int y) const { return bytes.data() + static_cast<size_t>(y) * width; }
};

// Keeps only the dark pixels that touch a bright one: every interior dark pixel whose eight neighbours
// are all dark turns bright. Border pixels keep their value; each test sees the unchanged input.
void outlineDark(BinaryImage& image);

// Grows the bright set by the plus of five cells (a pixel turns bright if any cell of the plus over it is
// bright). Pixels closer than 2 to the border keep their value: the element is defined on 5 x 5 cells.
void dilateBrightPlus(BinaryImage& image);

// Shrinks the bright set by the same plus (a pixel stays bright only if every cell over it is bright), with
// the same 2-pixel border kept.
void erodeBrightPlus(BinaryImage& image);

}  // namespace lumivex::detection
