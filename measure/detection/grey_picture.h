#pragma once

#include "measure/detection/bgr_view.h"

#include <QRect>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumivex::detection {

using Histogram = std::array<uint32_t, 256>;

// Grey value of one pixel: integer part of 0.11 blue + 0.59 green + 0.30 red + 0.5, in double precision
// and in that order of summation, so a partial conversion gives exactly the bytes of a whole one.
uint8_t greyOf(uint8_t blue, uint8_t green, uint8_t red);

// The grey bytes of one rectangle of a picture, rows top-down and tightly packed. Only the rectangle is
// converted: each live click waits on this, and a window or region is a tiny part of the frame.
class GreyPicture {
 public:
  GreyPicture() = default;
  // `area` must lie inside the picture.
  GreyPicture(const BgrView& picture, const QRect& area);

  int width() const { return width_; }
  int height() const { return height_; }
  // (x, y) relative to the rectangle's top left corner.
  uint8_t at(int x, int y) const { return bytes_[static_cast<size_t>(y) * width_ + x]; }
  const uint8_t* row(int y) const { return bytes_.data() + static_cast<size_t>(y) * width_; }
  Histogram histogram() const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> bytes_;
};

}  // namespace lumivex::detection
