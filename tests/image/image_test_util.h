#pragma once

#include "image/cx_image.h"

#include <cstdint>
#include <random>
#include <vector>

namespace lumivex::test {

// A picture of random pixels (random palette for palette depths).
inline CxImage randomImage(uint32_t width, uint32_t height, uint32_t bpp, uint32_t seed) {
  CxImage image;
  image.Create(width, height, bpp, CxImage::kTypeBmp);
  std::mt19937 random(seed);
  for (uint32_t i = 0; i < image.GetNumColors(); ++i) {
    image.SetPaletteColor(
        i, RgbQuad{static_cast<uint8_t>(random()), static_cast<uint8_t>(random()), static_cast<uint8_t>(random()), 0});
  }
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      if (bpp == 24) {
        image.SetPixelColor(
            x, y,
            RgbQuad{static_cast<uint8_t>(random()), static_cast<uint8_t>(random()), static_cast<uint8_t>(random()), 0});
      } else {
        image.SetPixelIndex(x, y, static_cast<uint8_t>(random() % image.GetNumColors()));
      }
    }
  }
  return image;
}

// Pixel bytes only (not the row padding) of every row are equal, and so are the palettes.
inline bool samePixels(const CxImage& a, const CxImage& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetBpp() != b.GetBpp()) return false;
  for (uint32_t y = 0; y < a.GetHeight(); ++y) {
    for (uint32_t x = 0; x < a.GetWidth(); ++x) {
      if (!(a.GetPixelColor(x, y) == b.GetPixelColor(x, y))) return false;
    }
  }
  return true;
}

inline uint32_t greyOf(RgbQuad c) { return (306u * c.red + 601u * c.green + 117u * c.blue) >> 10; }

}  // namespace lumivex::test
