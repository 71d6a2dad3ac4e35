#pragma once

#include <QRect>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace lumivex::detection {

// The rectangle with the same two corners, whichever way it was dragged. Unlike QRect::normalized(), which
// treats the corners as half-open and moves them by one, both corner pixels stay inside.
inline QRect spanOf(const QRect& r) {
  return QRect(QPoint(std::min(r.left(), r.right()), std::min(r.top(), r.bottom())),
               QPoint(std::max(r.left(), r.right()), std::max(r.top(), r.bottom())));
}

// A borrowed 24-bit picture (blue, green, red per pixel). `bits` points at the first stored row; with
// `bottomUp` the first stored row is the picture's bottom row, as in a DIB. The view never owns the pixels.
struct BgrView {
  const uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes from one stored row to the next
  bool bottomUp = true;
  int bitsPerPixel = 24;  // anything else makes every detection fail

  bool isBgr24() const { return bits != nullptr && bitsPerPixel == 24 && width > 0 && height > 0; }
  QRect rect() const { return QRect(0, 0, width, height); }
  // Row y counted from the top of the picture.
  const uint8_t* row(int y) const { return bits + static_cast<std::ptrdiff_t>(bottomUp ? height - 1 - y : y) * stride; }
};

// The same, writable: the overlay paints into the picture itself.
struct BgrSurface {
  uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
  bool bottomUp = true;
  int bitsPerPixel = 24;

  BgrView view() const { return BgrView{bits, width, height, stride, bottomUp, bitsPerPixel}; }
  uint8_t* row(int y) const { return bits + static_cast<std::ptrdiff_t>(bottomUp ? height - 1 - y : y) * stride; }
};

}  // namespace lumivex::detection
