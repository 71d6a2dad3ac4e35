#pragma once

#include <QByteArray>

#include <cstdint>

namespace lumivex {

// The 40-byte BITMAPINFOHEADER describing the buffered frame: 24-bit, uncompressed, positive height
// (rows bottom-up). Still capture and the live view prefix the frame bytes with it.
struct FrameHeader {
  std::uint32_t size = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t planes = 0;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t sizeImage = 0;
  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;
  std::uint32_t clrUsed = 0;
  std::uint32_t clrImportant = 0;

  static constexpr int kBytes = 40;

  static FrameHeader forSize(int width, int height) {
    FrameHeader h;
    h.size = kBytes;
    h.width = width;
    h.height = height;
    h.planes = 1;
    h.bitCount = 24;
    h.sizeImage = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) * 3u;
    return h;
  }

  // Bytes per row of a DIB: rows are padded to four bytes.
  static int stride(int width, int bitCount = 24) { return ((width * bitCount + 31) / 32) * 4; }

  QByteArray toBytes() const;
};

}  // namespace lumivex
