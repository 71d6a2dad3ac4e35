#pragma once

#include "measure/detection/bgr_view.h"

#include <QPointF>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <vector>

namespace lumivex::detection::test {

// A 24-bit picture laid out as a DIB (bottom row first, stride padded to 4) unless told otherwise, with
// anti-aliased drawing of simple shapes whose geometry the tests know exactly.
class TestPicture {
 public:
  TestPicture(int width, int height, uint8_t grey = 255, bool bottomUp = true)
      : width_(width),
        height_(height),
        stride_((width * 3 + 3) / 4 * 4),
        bottomUp_(bottomUp),
        bytes_(static_cast<size_t>(stride_) * height, grey) {}

  int width() const { return width_; }
  int height() const { return height_; }
  BgrView view() const { return BgrView{bytes_.data(), width_, height_, stride_, bottomUp_, 24}; }
  BgrSurface surface() { return BgrSurface{bytes_.data(), width_, height_, stride_, bottomUp_, 24}; }

  uint8_t* pixel(int x, int y) {
    const int stored = bottomUp_ ? height_ - 1 - y : y;
    return bytes_.data() + static_cast<size_t>(stored) * stride_ + static_cast<size_t>(x) * 3;
  }
  void setGrey(int x, int y, uint8_t g) { setColour(x, y, g, g, g); }
  void setColour(int x, int y, uint8_t b, uint8_t g, uint8_t r) {
    uint8_t* p = pixel(x, y);
    p[0] = b;
    p[1] = g;
    p[2] = r;
  }
  bool isRed(int x, int y) {
    const uint8_t* p = pixel(x, y);
    return p[0] == 0 && p[1] == 0 && p[2] == 255;
  }

  // Paints `ink` over the part of each pixel (a unit square centred on integer coordinates) for which
  // `inside` holds, sampled 4 x 4 per pixel.
  void paint(const std::function<bool(double, double)>& inside, uint8_t ink) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        int hits = 0;
        for (int sy = 0; sy < 4; ++sy) {
          for (int sx = 0; sx < 4; ++sx) hits += inside(x - 0.375 + sx * 0.25, y - 0.375 + sy * 0.25) ? 1 : 0;
        }
        if (hits == 0) continue;
        const double old = pixel(x, y)[0];
        setGrey(x, y, static_cast<uint8_t>(std::lround(old + (ink - old) * hits / 16.0)));
      }
    }
  }

  // Dark on the left of the directed line through `through` with direction angle `degrees` (y downwards).
  void halfPlane(QPointF through, double degrees, uint8_t ink = 0) {
    const double a = degrees * std::numbers::pi / 180.0;
    const double nx = -std::sin(a), ny = std::cos(a);
    paint([=](double x, double y) { return (x - through.x()) * nx + (y - through.y()) * ny > 0; }, ink);
  }
  void disc(QPointF centre, double radius, uint8_t ink = 0) {
    paint([=](double x, double y) { return std::hypot(x - centre.x(), y - centre.y()) < radius; }, ink);
  }
  void box(double left, double top, double right, double bottom, uint8_t ink = 0) {
    paint([=](double x, double y) { return x >= left && x < right && y >= top && y < bottom; }, ink);
  }

 private:
  int width_;
  int height_;
  int stride_;
  bool bottomUp_;
  std::vector<uint8_t> bytes_;
};

// Distance of point p from the infinite line through a along the angle `degrees`.
inline double distanceToLine(QPointF p, QPointF a, double degrees) {
  const double r = degrees * std::numbers::pi / 180.0;
  return std::abs((p.x() - a.x()) * -std::sin(r) + (p.y() - a.y()) * std::cos(r));
}

}  // namespace lumivex::detection::test
