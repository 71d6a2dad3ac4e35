#include "image/bmp_codec.h"

#include "image/cx_file.h"
#include "image/cx_image.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace lumivex {
namespace {

constexpr uint32_t kCoreHeaderSize = 12;  // the old OS/2 header: WORD width and height
constexpr uint32_t kLargestHeader = 124;  // BITMAPV5HEADER
constexpr double kInchesPerMeter = 0.0254;

bool fail(CxImage& image, const char* text) {
  image.Destroy();
  image.SetLastError(text);
  return false;
}

uint16_t readLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t readLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

long pelsToDpi(int32_t pelsPerMeter) { return pelsPerMeter > 0 ? std::lround(pelsPerMeter * kInchesPerMeter) : 96; }

}  // namespace

bool BmpCodec::Decode(CxImage& image, CxFile& file) {
  const int64_t start = file.Tell();
  if (start < 0) return fail(image, "Not a BMP");
  const int64_t fileSize = file.Size();

  uint8_t fileHeader[kBmpFileHeaderSize];
  bool hasFileHeader = false;
  uint32_t pixelOffset = 0;
  if (file.Read(fileHeader, kBmpFileHeaderSize, 1) == 1 && readLe16(fileHeader) == kBmpMagic) {
    hasFileHeader = true;
    pixelOffset = readLe32(fileHeader + 10);
  } else if (!file.Seek(start, SEEK_SET)) {
    return fail(image, "Not a BMP");
  }

  uint8_t raw[kLargestHeader] = {};
  if (file.Read(raw, 4, 1) != 1) return fail(image, hasFileHeader ? "Error reading BMP info" : "Not a BMP");
  const uint32_t headerSize = readLe32(raw);
  // Without the magic only the frame layout (a 40-byte header) is accepted, so that random data is not
  // taken for a picture.
  if (!hasFileHeader && headerSize != sizeof(BitmapInfoHeader)) return fail(image, "Not a BMP");
  if (headerSize != kCoreHeaderSize && (headerSize < sizeof(BitmapInfoHeader) || headerSize > kLargestHeader)) {
    return fail(image, "Error reading BMP info");
  }
  if (file.Read(raw + 4, headerSize - 4, 1) != 1) return fail(image, "Error reading BMP info");

  BitmapInfoHeader head{};
  uint32_t paletteEntrySize = 4;
  if (headerSize == kCoreHeaderSize) {
    head.biWidth = readLe16(raw + 4);
    head.biHeight = static_cast<int16_t>(readLe16(raw + 6));
    head.biPlanes = readLe16(raw + 8);
    head.biBitCount = readLe16(raw + 10);
    paletteEntrySize = 3;
  } else {
    std::memcpy(&head, raw, sizeof head);
  }

  switch (head.biCompression) {
    case kBiRgb:
      break;
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
      return fail(image, "compression type not supported");
    default:
      return fail(image, "unknown compression");
  }
  const uint32_t fileBpp = head.biBitCount;
  if (fileBpp != 1 && fileBpp != 4 && fileBpp != 8 && fileBpp != 24 && fileBpp != 32) {
    return fail(image, "compression type not supported");
  }
  if (head.biWidth <= 0 || head.biHeight == 0 || head.biHeight == INT32_MIN) {
    return fail(image, "Error reading BMP info");
  }
  const bool topDown = head.biHeight < 0;
  const auto width = static_cast<uint32_t>(head.biWidth);
  const auto height = static_cast<uint32_t>(topDown ? -static_cast<int64_t>(head.biHeight) : head.biHeight);

  const uint32_t fullPalette = fileBpp <= 8 ? (1u << fileBpp) : 0;
  // More entries than the bit count can address are skipped, never written past the palette.
  const uint64_t declaredColors = head.biClrUsed != 0 && fileBpp <= 8 ? head.biClrUsed : fullPalette;
  const uint64_t fileStride = dibStride(width, fileBpp);
  const uint64_t pixelBytes = fileStride * height;

  // Check what the file can hold before allocating what the header asks for.
  if (fileSize >= 0) {
    const int64_t here = file.Tell();
    const uint64_t afterHeaders = static_cast<uint64_t>(here) + declaredColors * paletteEntrySize;
    if (afterHeaders > static_cast<uint64_t>(fileSize)) return fail(image, "Error reading BMP info");
    if (hasFileHeader && pixelOffset != 0 &&
        static_cast<uint64_t>(start) + pixelOffset > static_cast<uint64_t>(fileSize)) {
      return fail(image, "BMP pixel offset beyond the end of the file");
    }
    const uint64_t pixelStart =
        hasFileHeader && pixelOffset != 0 ? static_cast<uint64_t>(start) + pixelOffset : afterHeaders;
    if (pixelStart + pixelBytes >
        static_cast<uint64_t>(fileSize) + (fileStride - (width * uint64_t{fileBpp} + 7) / 8)) {
      return fail(image, "BMP pixel data truncated");
    }
  }

  const uint32_t storedBpp = fileBpp == 32 ? 24 : fileBpp;
  if (image.CreateUninitialised(width, height, storedBpp, CxImage::kTypeBmp) == nullptr) {
    const std::string error = image.GetLastError();
    return fail(image, error.c_str());
  }

  if (fullPalette != 0) {
    RgbQuad* palette = image.GetPalette();
    const uint64_t keep = declaredColors < fullPalette ? declaredColors : fullPalette;
    uint8_t entry[4] = {};
    for (uint64_t i = 0; i < declaredColors; ++i) {
      if (file.Read(entry, paletteEntrySize, 1) != 1) return fail(image, "Error reading BMP info");
      if (i < keep) palette[i] = RgbQuad{entry[0], entry[1], entry[2], 0};
    }
  }
  if (hasFileHeader && pixelOffset != 0 && !file.Seek(start + pixelOffset, SEEK_SET)) {
    return fail(image, "BMP pixel offset beyond the end of the file");
  }

  const uint32_t stride = image.GetEffWidth();
  bool complete = true;
  if (fileBpp == 32) {
    std::vector<uint8_t> line(fileStride);
    for (uint32_t i = 0; i < height && complete; ++i) {
      complete = file.Read(line.data(), fileStride, 1) == 1;
      uint8_t* out = image.GetBits(topDown ? height - 1 - i : i);
      const uint8_t* in = line.data();
      for (uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
      }
    }
  } else if (!topDown) {
    // The frame path: one copy of all rows straight into the picture.
    const size_t got = file.Read(image.GetBits(0), 1, pixelBytes);
    // Tolerate a missing pad at the very end, which some writers leave off.
    complete = got >= pixelBytes - (stride - (width * uint64_t{fileBpp} + 7) / 8);
    if (complete && got < pixelBytes) std::memset(image.GetBits(0) + got, 0, pixelBytes - got);
  } else {
    for (uint32_t i = 0; i < height && complete; ++i) {
      uint8_t* row = image.GetBits(height - 1 - i);
      const size_t got = file.Read(row, 1, stride);
      complete = got == stride || (i + 1 == height && got >= (width * uint64_t{fileBpp} + 7) / 8);
      if (complete && got < stride) std::memset(row + got, 0, stride - got);
    }
  }
  if (!complete) return fail(image, "BMP pixel data truncated");

  image.SetXDPI(pelsToDpi(head.biXPelsPerMeter));
  image.SetYDPI(pelsToDpi(head.biYPelsPerMeter));
  return true;
}

bool BmpCodec::Encode(CxImage& image, CxFile& file) {
  if (!image.IsValid()) {
    image.SetLastError("null image!!!");
    return false;
  }
  const BitmapInfoHeader& head = image.GetHeader();
  const uint32_t paletteSize = image.GetNumColors() * sizeof(RgbQuad);
  const uint32_t pixelSize = head.biSizeImage;
  uint8_t fileHeader[kBmpFileHeaderSize] = {};
  const uint32_t fileSize = sizeof(BitmapInfoHeader) + paletteSize + pixelSize + kBmpFileHeaderSize;
  const uint32_t offset = kBmpFileHeaderSize + sizeof(BitmapInfoHeader) + paletteSize;
  fileHeader[0] = 'B';
  fileHeader[1] = 'M';
  std::memcpy(fileHeader + 2, &fileSize, 4);
  std::memcpy(fileHeader + 10, &offset, 4);
  // The DIB block is header, palette and rows in file order already.
  if (file.Write(fileHeader, kBmpFileHeaderSize, 1) != 1 || file.Write(image.GetDIB(), image.GetSize(), 1) != 1) {
    image.SetLastError("Error writing BMP file");
    return false;
  }
  return true;
}

}  // namespace lumivex
