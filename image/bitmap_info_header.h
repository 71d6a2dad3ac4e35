#pragma once

#include <bit>
#include <cstdint>

namespace lumivex {

static_assert(std::endian::native == std::endian::little, "DIB layouts are read and written in host order");

// The 40-byte header at the start of every DIB, of BMP files after their file header, and of grabbed frames.
struct BitmapInfoHeader {
  uint32_t biSize = 0;
  int32_t biWidth = 0;
  int32_t biHeight = 0;  // positive: rows bottom-up; negative: top-down (read only, never stored)
  uint16_t biPlanes = 0;
  uint16_t biBitCount = 0;
  uint32_t biCompression = 0;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// One palette entry, and the colour type of the pixel accessors: blue, green, red, unused.
struct RgbQuad {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;
  friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};
static_assert(sizeof(RgbQuad) == 4);

inline constexpr uint16_t kBmpMagic = 0x4D42;  // "BM"
inline constexpr uint32_t kBmpFileHeaderSize = 14;
inline constexpr uint32_t kBiRgb = 0;

// Row stride of a DIB: whole 32-bit words.
constexpr uint64_t dibStride(uint64_t width, uint32_t bpp) { return ((width * bpp + 31) / 32) * 4; }

}  // namespace lumivex
