#include "image/neighbourhood_filters.h"

#include "image/cx_image.h"
#include "image/image_operations.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace lumivex::image_ops {
namespace {

constexpr long kMaxKernelSize = 255;

// Median sort keys: grey in the top byte, then the tie-break (row rank, then column), then the colour in
// the low 24 bits. Keys of different pixels never compare equal, so any sort or selection network picks
// the same pixel a stable sort would.
constexpr int kGreyShift = 56;
constexpr int kRowRankShift = 54;     // fast path: 0 top, 1 middle, 2 bottom
constexpr int kColumnShift = 24;      // fast path: the picture column (widths stay below 2^30)
constexpr int kGeneralRowShift = 48;  // general path: row rank in the window, top first
constexpr int kGeneralColumnShift = 40;

inline uint64_t greyKey(const uint8_t* p) {
  const uint32_t grey = (306u * p[2] + 601u * p[1] + 117u * p[0]) >> 10;
  return (static_cast<uint64_t>(grey) << kGreyShift) | p[0] | (static_cast<uint64_t>(p[1]) << 8) |
         (static_cast<uint64_t>(p[2]) << 16);
}

inline void writeColour(uint8_t* out, uint64_t key) {
  out[0] = static_cast<uint8_t>(key);
  out[1] = static_cast<uint8_t>(key >> 8);
  out[2] = static_cast<uint8_t>(key >> 16);
}

inline void sort2(uint64_t& a, uint64_t& b) {
  const uint64_t lo = std::min(a, b);
  b = std::max(a, b);
  a = lo;
}

inline uint64_t med3(uint64_t a, uint64_t b, uint64_t c) {
  return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

struct Window {
  long low;   // first offset
  long high;  // last offset
};

Window windowOf(long size) { return Window{-size / 2, size - size / 2 - 1}; }

bool stopped(CxImage& image) {
  image.SetLastError("operation stopped");
  return false;
}

// One pixel by collecting and selecting: for borders and for kernel sizes other than 3.
uint64_t medianAt(const CxImage& source, long x, long y, Window window, uint64_t* keys) {
  const long width = source.GetWidth();
  const long height = source.GetHeight();
  size_t count = 0;
  for (long dy = window.high; dy >= window.low; --dy) {
    const long row = y + dy;
    if (row < 0 || row >= height) continue;
    const uint8_t* bits = source.GetBits(static_cast<uint32_t>(row));
    const auto rank = static_cast<uint64_t>(window.high - dy);
    for (long dx = window.low; dx <= window.high; ++dx) {
      const long column = x + dx;
      if (column < 0 || column >= width) continue;
      keys[count++] = greyKey(bits + column * 3) | (rank << kGeneralRowShift) |
                      (static_cast<uint64_t>(dx - window.low) << kGeneralColumnShift);
    }
  }
  std::nth_element(keys, keys + count / 2, keys + count);
  return keys[count / 2];
}

bool selected(const uint8_t* mask, uint32_t width, uint32_t x, uint32_t y) {
  return mask == nullptr || mask[static_cast<size_t>(y) * width + x] != 0;
}

// Sorts each column of three rows once; the median of nine is then the median of the largest low,
// the middle middle and the smallest high of three neighbouring columns.
void medianRow3(const CxImage& source, uint32_t y, std::vector<uint64_t> (&columns)[3], uint8_t* out,
                const uint8_t* mask) {
  const uint32_t width = source.GetWidth();
  const uint8_t* top = source.GetBits(y + 1);
  const uint8_t* middle = source.GetBits(y);
  const uint8_t* bottom = source.GetBits(y - 1);
  uint64_t* lo = columns[0].data();
  uint64_t* mid = columns[1].data();
  uint64_t* hi = columns[2].data();
  constexpr uint64_t kMiddleRank = uint64_t{1} << kRowRankShift;
  constexpr uint64_t kBottomRank = uint64_t{2} << kRowRankShift;
  for (uint32_t x = 0; x < width; ++x) {
    const uint64_t column = static_cast<uint64_t>(x) << kColumnShift;
    uint64_t a = greyKey(top + x * 3) | column;
    uint64_t b = greyKey(middle + x * 3) | column | kMiddleRank;
    uint64_t c = greyKey(bottom + x * 3) | column | kBottomRank;
    sort2(a, b);
    sort2(b, c);
    sort2(a, b);
    lo[x] = a;
    mid[x] = b;
    hi[x] = c;
  }
  const uint8_t* rowMask = mask != nullptr ? mask + static_cast<size_t>(y) * width : nullptr;
  for (uint32_t x = 1; x + 1 < width; ++x) {
    if (rowMask != nullptr && rowMask[x] == 0) continue;
    const uint64_t maxLow = std::max(std::max(lo[x - 1], lo[x]), lo[x + 1]);
    const uint64_t midMid = med3(mid[x - 1], mid[x], mid[x + 1]);
    const uint64_t minHigh = std::min(std::min(hi[x - 1], hi[x]), hi[x + 1]);
    writeColour(out + x * 3, med3(maxLow, midMid, minHigh));
  }
}

}  // namespace

bool median(CxImage& image, long kernelSize) {
  if (kernelSize < 1 || kernelSize > kMaxKernelSize) {
    image.SetLastError("Median: invalid kernel size");
    return false;
  }
  if (!image.IncreaseBpp24()) return false;
  const uint32_t width = image.GetWidth();
  const uint32_t height = image.GetHeight();
  CxImage result(image);
  if (!result.IsValid()) {
    image.SetLastError(result.GetLastError());
    return false;
  }
  const uint8_t* mask = image.SelectionMask();
  const Window window = windowOf(kernelSize);
  std::vector<uint64_t> keys(static_cast<size_t>(kernelSize * kernelSize));
  const bool fast = kernelSize == 3 && width >= 3 && height >= 3;
  std::vector<uint64_t> columns[3];
  if (fast) {
    for (auto& c : columns) c.resize(width);
  }
  bool completed = true;
  image.SetProgress(0);
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* out = result.GetBits(y);
    const bool inner = fast && y > 0 && y + 1 < height;
    if (inner) medianRow3(image, y, columns, out, mask);
    for (uint32_t x = 0; x < width; ++x) {
      if (inner && x > 0 && x + 1 < width) x = width - 1;  // the inner columns are done
      if (!selected(mask, width, x, y)) continue;
      writeColour(out + x * 3, medianAt(image, x, y, window, keys.data()));
    }
    if (!continueAfterRow(image, y + 1, height)) {
      completed = false;
      break;
    }
  }
  image.TransferPixels(result);
  return completed || stopped(image);
}

namespace {

struct FilterSetup {
  std::span<const long> kernel;
  long size;
  long factor;
  long offset;
  long long total;
};

inline uint8_t clampChannel(long long value) { return static_cast<uint8_t>(std::clamp<long long>(value, 0, 255)); }

inline long long channelValue(long long sum, long long used, const FilterSetup& f) {
  if (f.factor == 0 || used == 0) return sum + f.offset;
  if (used == f.total) return sum / f.factor + f.offset;
  return sum * f.total / (static_cast<long long>(f.factor) * used) + f.offset;
}

void filterAt(const CxImage& source, long x, long y, const FilterSetup& f, uint8_t* out) {
  const Window window = windowOf(f.size);
  const long width = source.GetWidth();
  const long height = source.GetHeight();
  long long blue = 0, green = 0, red = 0, used = 0;
  for (long r = 0; r < f.size; ++r) {
    const long row = y + window.high - r;  // kernel row 0 is the top one
    if (row < 0 || row >= height) continue;
    const uint8_t* bits = source.GetBits(static_cast<uint32_t>(row));
    for (long c = 0; c < f.size; ++c) {
      const long column = x + window.low + c;
      if (column < 0 || column >= width) continue;
      const long weight = f.kernel[static_cast<size_t>(r * f.size + c)];
      const uint8_t* p = bits + column * 3;
      blue += static_cast<long long>(weight) * p[0];
      green += static_cast<long long>(weight) * p[1];
      red += static_cast<long long>(weight) * p[2];
      used += weight;
    }
  }
  out[0] = clampChannel(channelValue(blue, used, f));
  out[1] = clampChannel(channelValue(green, used, f));
  out[2] = clampChannel(channelValue(red, used, f));
}

// A 3 x 3 kernel of one repeated weight (the average filter): column sums of three rows, then three
// neighbouring column sums per channel, divided through an exact multiply-shift or a table.
class BoxRow {
 public:
  BoxRow(uint32_t width, long weight, const FilterSetup& f) : columnSums_(static_cast<size_t>(width) * 3) {
    constexpr int kMaxSum = 9 * 255;
    for (int s = 0; s <= kMaxSum; ++s) {
      table_[static_cast<size_t>(s)] = clampChannel(static_cast<long long>(weight) * s / f.factor + f.offset);
    }
    // Exact when (s x multiplier) >> 16 equals weight x s / factor for every reachable s.
    if (weight > 0 && f.factor > 0) {
      multiplier_ = static_cast<uint32_t>(((static_cast<uint64_t>(weight) << 16) + f.factor - 1) / f.factor);
      exact_ = multiplier_ < (1u << 16) * 2;
      for (int s = 0; s <= kMaxSum && exact_; ++s) {
        exact_ = ((static_cast<uint64_t>(s) * multiplier_) >> 16) == static_cast<uint64_t>(weight) * s / f.factor;
      }
    }
    offset_ = static_cast<int>(std::clamp<long>(f.offset, -1024, 1024));
    exact_ = exact_ && offset_ == f.offset;
  }

  void run(const uint8_t* top, const uint8_t* middle, const uint8_t* bottom, uint8_t* out, uint32_t width,
           const uint8_t* rowMask) {
    const size_t bytes = static_cast<size_t>(width) * 3;
    uint16_t* sums = columnSums_.data();
    for (size_t i = 0; i < bytes; ++i) sums[i] = static_cast<uint16_t>(top[i] + middle[i] + bottom[i]);
    const size_t end = bytes - 3;
    if (rowMask == nullptr && exact_) {
      const uint32_t m = multiplier_;
      const int offset = offset_;
      for (size_t i = 3; i < end; ++i) {
        const uint32_t s = static_cast<uint32_t>(sums[i - 3]) + sums[i] + sums[i + 3];
        const int value = static_cast<int>((s * m) >> 16) + offset;
        out[i] = static_cast<uint8_t>(std::clamp(value, 0, 255));
      }
      return;
    }
    for (size_t i = 3; i < end; ++i) {
      if (rowMask != nullptr && rowMask[i / 3] == 0) continue;
      out[i] = table_[static_cast<size_t>(sums[i - 3] + sums[i] + sums[i + 3])];
    }
  }

 private:
  std::vector<uint16_t> columnSums_;
  uint8_t table_[9 * 255 + 1] = {};
  uint32_t multiplier_ = 0;
  int offset_ = 0;
  bool exact_ = false;
};

}  // namespace

bool filter(CxImage& image, std::span<const long> kernel, long kernelSize, long factor, long offset) {
  if (kernelSize < 1 || kernelSize > kMaxKernelSize ||
      kernel.size() < static_cast<size_t>(kernelSize) * static_cast<size_t>(kernelSize)) {
    image.SetLastError("Filter: invalid kernel");
    return false;
  }
  if (!image.IncreaseBpp24()) return false;
  const uint32_t width = image.GetWidth();
  const uint32_t height = image.GetHeight();
  FilterSetup setup{kernel.first(static_cast<size_t>(kernelSize * kernelSize)), kernelSize, factor, offset, 0};
  for (const long weight : setup.kernel) setup.total += weight;
  CxImage result(image);
  if (!result.IsValid()) {
    image.SetLastError(result.GetLastError());
    return false;
  }
  const uint8_t* mask = image.SelectionMask();
  const bool uniform =
      std::all_of(setup.kernel.begin(), setup.kernel.end(), [&](long w) { return w == setup.kernel[0]; });
  const bool box = kernelSize == 3 && uniform && factor != 0 && kernel[0] != 0 && width >= 3 && height >= 3;
  std::unique_ptr<BoxRow> boxRow = box ? std::make_unique<BoxRow>(width, kernel[0], setup) : nullptr;
  bool completed = true;
  image.SetProgress(0);
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* out = result.GetBits(y);
    const bool inner = box && y > 0 && y + 1 < height;
    const uint8_t* rowMask = mask != nullptr ? mask + static_cast<size_t>(y) * width : nullptr;
    if (inner) boxRow->run(image.GetBits(y + 1), image.GetBits(y), image.GetBits(y - 1), out, width, rowMask);
    for (uint32_t x = 0; x < width; ++x) {
      if (inner && x > 0 && x + 1 < width) x = width - 1;
      if (rowMask != nullptr && rowMask[x] == 0) continue;
      filterAt(image, x, y, setup, out + x * 3);
    }
    if (!continueAfterRow(image, y + 1, height)) {
      completed = false;
      break;
    }
  }
  image.TransferPixels(result);
  return completed || stopped(image);
}

}  // namespace lumivex::image_ops
