#include "measure/detection/grey_picture.h"

namespace lumivex::detection {
namespace {

// The products of each channel, so the per-pixel work is two additions with the same rounding as the
// full expression.
struct GreyTables {
  std::array<double, 256> blue{};
  std::array<double, 256> green{};
  std::array<double, 256> red{};
  GreyTables() {
    for (int i = 0; i < 256; ++i) {
      blue[i] = 0.11 * i;
      green[i] = 0.59 * i;
      red[i] = 0.30 * i;
    }
  }
};

const GreyTables& tables() {
  static const GreyTables t;
  return t;
}

inline uint8_t greyFromTables(const GreyTables& t, const uint8_t* bgr) {
  const double v = t.blue[bgr[0]] + t.green[bgr[1]] + t.red[bgr[2]] + 0.5;
  return v >= 255.0 ? uint8_t{255} : static_cast<uint8_t>(v);
}

}  // namespace

uint8_t greyOf(uint8_t blue, uint8_t green, uint8_t red) {
  const uint8_t bgr[3] = {blue, green, red};
  return greyFromTables(tables(), bgr);
}

GreyPicture::GreyPicture(const BgrView& picture, const QRect& area)
    : width_(area.width()), height_(area.height()), bytes_(static_cast<size_t>(area.width()) * area.height()) {
  const GreyTables& t = tables();
  for (int y = 0; y < height_; ++y) {
    const uint8_t* src = picture.row(area.top() + y) + static_cast<ptrdiff_t>(area.left()) * 3;
    uint8_t* dst = bytes_.data() + static_cast<size_t>(y) * width_;
    for (int x = 0; x < width_; ++x, src += 3) dst[x] = greyFromTables(t, src);
  }
}

Histogram GreyPicture::histogram() const {
  Histogram h{};
  for (uint8_t v : bytes_) ++h[v];
  return h;
}

}  // namespace lumivex::detection
