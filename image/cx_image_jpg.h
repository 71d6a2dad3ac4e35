#pragma once

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace lumivex {

class CxFile;
class CxImage;

// The JPEG codec over libjpeg-turbo. Decodes colour JPEGs to 24-bit and grey ones to 8-bit grey pictures,
// keeps the EXIF block, and writes 24-bit or grey pictures with the image's JPEG quality.
class CxImageJPG {
 public:
  static bool Decode(CxImage& image, CxFile& file);
  static bool Encode(CxImage& image, CxFile& file);
  // Writes a 32-bit picture (QImage RGB32, as rendered) straight from its rows, without the 24-bit copy a
  // CxImage would need; the file is the same as through a CxImage of the same pixels (96 dpi). exif, when
  // not empty, is written as the APP1 block.
  static bool EncodeRgb32(const QImage& image, int quality, const std::vector<uint8_t>& exif, CxFile& file,
                          std::string* error);
  // For the decoder's helpers: a picture whose rows libjpeg fills completely.
  static uint8_t* CreateUncleared(CxImage& image, uint32_t width, uint32_t height, uint32_t bpp);
};

}  // namespace lumivex
