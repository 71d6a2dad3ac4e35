#pragma once

namespace lumivex {

class CxFile;
class CxImage;

// Reads and writes uncompressed BMP: a file with the 14-byte "BM" header, or (for grabbed frames) a bare
// BITMAPINFOHEADER followed by the palette and rows. Errors go to the image's last error text.
class BmpCodec {
 public:
  // Reads 1, 4, 8 and 24-bit pictures (32-bit ones are stored as 24-bit), bottom-up or top-down.
  static bool Decode(CxImage& image, CxFile& file);
  // Writes the picture exactly as stored: file header, info header, palette, padded bottom-up rows.
  static bool Encode(CxImage& image, CxFile& file);
};

}  // namespace lumivex
