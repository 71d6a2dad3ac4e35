#include "measure/detection/edge_snap.h"

#include "measure/detection/grey_picture.h"

#include <cstdlib>

namespace lumivex::detection {

std::optional<QPoint> EdgeSnap(const BgrView& picture, int x, int y, int radius) {
  if (!picture.isBgr24() || radius < 1) return std::nullopt;
  // The contrast is measured against the clicked pixel, so it has to exist.
  if (!picture.rect().contains(x, y)) return std::nullopt;
  const QRect window = QRect(x - radius, y - radius, 2 * radius + 1, 2 * radius + 1) & picture.rect();
  if (window.isEmpty()) return std::nullopt;

  const GreyPicture grey(picture, window);
  const int cx = x - window.left();
  const int cy = y - window.top();
  const int centre = grey.at(cx, cy);

  for (int level = 160; level >= 20; level -= 20) {
    for (int k = 1; k < radius; ++k) {
      const int low = k * k - 1;
      const int high = k * k + 1;
      // Stored order: the picture's bottom row first.
      for (int wy = grey.height() - 1; wy >= 0; --wy) {
        const int dy2 = (wy - cy) * (wy - cy);
        if (dy2 > high) continue;
        const uint8_t* row = grey.row(wy);
        for (int wx = 0; wx < grey.width(); ++wx) {
          const int d = (wx - cx) * (wx - cx) + dy2;
          if (d < low || d > high) continue;
          if (std::abs(row[wx] - centre) >= level) return QPoint(wx + window.left(), wy + window.top());
        }
      }
    }
  }
  return std::nullopt;
}

}  // namespace lumivex::detection
