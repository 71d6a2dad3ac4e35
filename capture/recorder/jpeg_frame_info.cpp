#include "capture/recorder/jpeg_frame_info.h"

namespace lumivex {

std::optional<QSize> motionJpegFrameSize(const QByteArray& jpeg) {
  const auto* p = reinterpret_cast<const unsigned char*>(jpeg.constData());
  const qsizetype n = jpeg.size();
  if (n < 4 || p[0] != 0xFF || p[1] != 0xD8) return std::nullopt;
  qsizetype i = 2;
  while (i + 4 <= n) {
    if (p[i] != 0xFF) return std::nullopt;
    const unsigned char marker = p[i + 1];
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // image data before any frame header
    const qsizetype length = (qsizetype{p[i + 2]} << 8) | p[i + 3];
    if (length < 2 || i + 2 + length > n) return std::nullopt;
    const bool frameHeader = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frameHeader) {
      // Baseline or extended sequential Huffman, 8 bits, three components.
      if ((marker != 0xC0 && marker != 0xC1) || length < 8 + 3 * 3) return std::nullopt;
      const unsigned char* f = p + i + 4;
      const int precision = f[0];
      const int height = (f[1] << 8) | f[2];
      const int width = (f[3] << 8) | f[4];
      const int components = f[5];
      if (precision != 8 || components != 3 || width == 0 || height == 0) return std::nullopt;
      return QSize(width, height);
    }
    i += 2 + length;
  }
  return std::nullopt;
}

}  // namespace lumivex
