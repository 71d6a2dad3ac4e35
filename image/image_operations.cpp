#include "image/image_operations.h"

#include "image/cx_image.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace lumivex::image_ops {
namespace {

bool stopped(CxImage& image) {
  image.SetLastError("operation stopped");
  return false;
}

// The rows and columns an operation covers: the selection's box when asked and present, else all.
QRect workArea(const CxImage& image, bool selectionOnly) {
  const QRect all(0, 0, static_cast<int>(image.GetWidth()), static_cast<int>(image.GetHeight()));
  if (!selectionOnly || !image.SelectionIsValid()) return all;
  return image.SelectionGetBox() & all;
}

void reverseRow24(uint8_t* row, uint32_t left, uint32_t count, uint8_t* scratch) {
  const uint8_t* in = row + static_cast<size_t>(left + count - 1) * 3;
  uint8_t* out = scratch;
  for (uint32_t i = 0; i < count; ++i, in -= 3, out += 3) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
  }
  std::memcpy(row + static_cast<size_t>(left) * 3, scratch, static_cast<size_t>(count) * 3);
}

}  // namespace

bool continueAfterRow(CxImage& image, uint32_t done, uint32_t total) {
  image.SetProgress(static_cast<long>(static_cast<uint64_t>(done) * 100 / total));
  return image.GetEscape() == 0;
}

bool mirror(CxImage& image, bool selectionOnly) {
  const QRect area = workArea(image, selectionOnly);
  if (area.isEmpty()) return true;
  const auto left = static_cast<uint32_t>(area.left());
  const auto count = static_cast<uint32_t>(area.width());
  const auto rows = static_cast<uint32_t>(area.height());
  std::vector<uint8_t> scratch(static_cast<size_t>(count) * 3);
  image.SetProgress(0);
  for (uint32_t i = 0; i < rows; ++i) {
    const uint32_t y = static_cast<uint32_t>(area.top()) + i;
    uint8_t* row = image.GetBits(y);
    switch (image.GetBpp()) {
      case 24:
        reverseRow24(row, left, count, scratch.data());
        break;
      case 8:
        std::reverse(row + left, row + left + count);
        break;
      default:
        for (uint32_t x = 0; x < count; ++x) scratch[x] = image.GetPixelIndex(left + x, y);
        for (uint32_t x = 0; x < count; ++x) image.SetPixelIndex(left + count - 1 - x, y, scratch[x]);
        break;
    }
    if (!continueAfterRow(image, i + 1, rows)) return stopped(image);
  }
  return true;
}

bool flip(CxImage& image, bool selectionOnly) {
  QRect area = workArea(image, selectionOnly);
  if (area.isEmpty()) return true;
  size_t offset = 0;
  size_t bytes = image.GetEffWidth();
  if (area.width() != static_cast<int>(image.GetWidth())) {
    if (image.GetBpp() < 8) {
      area.setLeft(0);  // sub-byte pixels: whole rows
      area.setWidth(static_cast<int>(image.GetWidth()));
    } else {
      const size_t pixelBytes = image.GetBpp() / 8;
      offset = static_cast<size_t>(area.left()) * pixelBytes;
      bytes = static_cast<size_t>(area.width()) * pixelBytes;
    }
  }
  std::vector<uint8_t> scratch(bytes);
  const auto top = static_cast<uint32_t>(area.top());
  const auto bottom = static_cast<uint32_t>(area.bottom());
  const uint32_t pairs = static_cast<uint32_t>(area.height()) / 2;
  image.SetProgress(0);
  for (uint32_t i = 0; i < pairs; ++i) {
    uint8_t* a = image.GetBits(top + i) + offset;
    uint8_t* b = image.GetBits(bottom - i) + offset;
    std::memcpy(scratch.data(), a, bytes);
    std::memcpy(a, b, bytes);
    std::memcpy(b, scratch.data(), bytes);
    if (!continueAfterRow(image, i + 1, pairs)) return stopped(image);
  }
  image.SetProgress(100);
  return true;
}

bool negative(CxImage& image) {
  RgbQuad trans = image.GetTransColor();
  trans.blue = static_cast<uint8_t>(255 - trans.blue);
  trans.green = static_cast<uint8_t>(255 - trans.green);
  trans.red = static_cast<uint8_t>(255 - trans.red);
  image.SetTransColor(trans);
  if (image.GetBpp() != 24) {
    RgbQuad* palette = image.GetPalette();
    for (uint32_t i = 0; i < image.GetNumColors(); ++i) {
      palette[i].blue = static_cast<uint8_t>(255 - palette[i].blue);
      palette[i].green = static_cast<uint8_t>(255 - palette[i].green);
      palette[i].red = static_cast<uint8_t>(255 - palette[i].red);
    }
    image.SetProgress(100);
    return true;
  }
  const uint32_t width = image.GetWidth();
  const uint32_t height = image.GetHeight();
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  const uint8_t* mask = image.SelectionMask();
  image.SetProgress(0);
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = image.GetBits(y);
    if (mask == nullptr) {
      for (size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<uint8_t>(~row[i]);
    } else {
      const uint8_t* selected = mask + static_cast<size_t>(y) * width;
      for (uint32_t x = 0; x < width; ++x) {
        if (selected[x] == 0) continue;
        uint8_t* p = row + static_cast<size_t>(x) * 3;
        p[0] = static_cast<uint8_t>(~p[0]);
        p[1] = static_cast<uint8_t>(~p[1]);
        p[2] = static_cast<uint8_t>(~p[2]);
      }
    }
    if (!continueAfterRow(image, y + 1, height)) return stopped(image);
  }
  return true;
}

std::array<uint8_t, 256> lightTable(long brightness, long contrast) {
  const double c = static_cast<double>(100 + contrast) * 0.01;
  std::array<uint8_t, 256> table{};
  for (int i = 0; i < 256; ++i) {
    const double value = static_cast<double>(brightness) + 128.0 + c * (i - 128) + 0.5;
    // Clamped before the conversion so out-of-range doubles never reach the integer cast.
    const double clamped = std::clamp(value, -1.0, 256.0);
    table[static_cast<size_t>(i)] = static_cast<uint8_t>(std::clamp(static_cast<long>(clamped), 0L, 255L));
  }
  return table;
}

bool light(CxImage& image, long brightness, long contrast) {
  const std::array<uint8_t, 256> table = lightTable(brightness, contrast);
  if (image.GetBpp() != 24) {
    RgbQuad* palette = image.GetPalette();
    for (uint32_t i = 0; i < image.GetNumColors(); ++i) {
      palette[i].blue = table[palette[i].blue];
      palette[i].green = table[palette[i].green];
      palette[i].red = table[palette[i].red];
    }
    image.SetProgress(100);
    return true;
  }
  const uint32_t width = image.GetWidth();
  const uint32_t height = image.GetHeight();
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  const uint8_t* mask = image.SelectionMask();
  const uint8_t* lut = table.data();
  image.SetProgress(0);
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = image.GetBits(y);
    if (mask == nullptr) {
      size_t i = 0;
      // Eight lookups per step keep the loads and stores independent.
      for (; i + 8 <= rowBytes; i += 8) {
        const uint8_t a = lut[row[i]], b = lut[row[i + 1]], c = lut[row[i + 2]], d = lut[row[i + 3]];
        const uint8_t e = lut[row[i + 4]], f = lut[row[i + 5]], g = lut[row[i + 6]], h = lut[row[i + 7]];
        row[i] = a;
        row[i + 1] = b;
        row[i + 2] = c;
        row[i + 3] = d;
        row[i + 4] = e;
        row[i + 5] = f;
        row[i + 6] = g;
        row[i + 7] = h;
      }
      for (; i < rowBytes; ++i) row[i] = lut[row[i]];
    } else {
      const uint8_t* selected = mask + static_cast<size_t>(y) * width;
      for (uint32_t x = 0; x < width; ++x) {
        if (selected[x] == 0) continue;
        uint8_t* p = row + static_cast<size_t>(x) * 3;
        p[0] = lut[p[0]];
        p[1] = lut[p[1]];
        p[2] = lut[p[2]];
      }
    }
    if (!continueAfterRow(image, y + 1, height)) return stopped(image);
  }
  return true;
}

}  // namespace lumivex::image_ops
