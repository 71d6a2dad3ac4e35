#pragma once

#include <cstdint>

namespace lumivex {

class CxFile;
class CxImage;

// The JPEG codec over libjpeg-turbo. Decodes colour JPEGs to 24-bit and grey ones to 8-bit grey pictures,
// keeps the EXIF block, and writes 24-bit or grey pictures with the image's JPEG quality.
class CxImageJPG {
 public:
  static bool Decode(CxImage& image, CxFile& file);
  static bool Encode(CxImage& image, CxFile& file);
  // For the decoder's helpers: a picture whose rows libjpeg fills completely.
  static uint8_t* CreateUncleared(CxImage& image, uint32_t width, uint32_t height, uint32_t bpp);
};

}  // namespace lumivex
