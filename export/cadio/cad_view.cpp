#include "export/cadio/cad_view.h"

#include "export/cadio/cad_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace cadio {
namespace {

constexpr std::uint32_t kStandardColours[10] = {0xff000000, 0xffff0000, 0xffffff00, 0xff00ff00, 0xff00ffff,
                                                0xff0000ff, 0xffff00ff, 0xffffffff, 0xff808080, 0xffc0c0c0};

std::uint32_t colourOf(int index, std::uint32_t background) {
  const bool light = ((background >> 16 & 0xff) + (background >> 8 & 0xff) + (background & 0xff)) > 3 * 128;
  if (index == 7 || index <= 0 || index > 255) return light ? 0xff000000 : 0xffffffff;
  if (index < 10) return kStandardColours[index];
  return 0xff808080;  // the rest of the 255-colour table is not needed to tell entities apart here
}

struct Canvas {
  std::uint32_t* pixels;
  int width;
  int height;
  int stride;
  const CadViewProperties& view;
  std::uint32_t colour = 0;

  double px(double x) const { return (x - view.originX) / view.unitsPerPixel; }
  double py(double y) const { return (height - 1) - (y - view.originY) / view.unitsPerPixel; }

  void plot(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    auto* row = reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(pixels) +
                                                 static_cast<std::ptrdiff_t>(y) * stride);
    row[x] = colour;
  }

  // A segment in drawing units, clipped to the view first (Liang-Barsky) so far-away entities cost nothing.
  void segment(double x1, double y1, double x2, double y2) const {
    double a0 = px(x1), b0 = py(y1), a1 = px(x2), b1 = py(y2);
    double t0 = 0, t1 = 1;
    const double dx = a1 - a0, dy = b1 - b0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a0 + 1, width - a0, b0 + 1, height - b0};
    for (int i = 0; i < 4; ++i) {
      if (p[i] == 0) {
        if (q[i] < 0) return;
        continue;
      }
      const double r = q[i] / p[i];
      if (p[i] < 0) {
        if (r > t1) return;
        t0 = std::max(t0, r);
      } else {
        if (r < t0) return;
        t1 = std::min(t1, r);
      }
    }
    int x = static_cast<int>(std::lround(a0 + t0 * dx));
    int y = static_cast<int>(std::lround(b0 + t0 * dy));
    const int xe = static_cast<int>(std::lround(a0 + t1 * dx));
    const int ye = static_cast<int>(std::lround(b0 + t1 * dy));
    const int sx = x < xe ? 1 : -1, sy = y < ye ? 1 : -1;
    const int ddx = std::abs(xe - x), ddy = -std::abs(ye - y);
    int err = ddx + ddy;
    for (;;) {
      plot(x, y);
      if (x == xe && y == ye) break;
      const int e2 = 2 * err;
      if (e2 >= ddy) {
        err += ddy;
        x += sx;
      }
      if (e2 <= ddx) {
        err += ddx;
        y += sy;
      }
    }
  }
};

}  // namespace

bool drawingBorder(const Drawing& drawing, CadRect& border) {
  bool any = false;
  CadRect r{};
  const auto include = [&](double x, double y) {
    if (!any) {
      r = CadRect{x, y, x, y};
      any = true;
      return;
    }
    r.left = std::min(r.left, x);
    r.right = std::max(r.right, x);
    r.bottom = std::min(r.bottom, y);
    r.top = std::max(r.top, y);
  };
  for (const Entity& e : drawing.entities()) {
    if (e.block != 0) continue;
    switch (e.header.kind) {
      case CAD_ENT_LINE:
        include(e.line.x1, e.line.y1);
        include(e.line.x2, e.line.y2);
        break;
      case CAD_ENT_CIRCLE:
        include(e.circle.cx - e.circle.radius, e.circle.cy - e.circle.radius);
        include(e.circle.cx + e.circle.radius, e.circle.cy + e.circle.radius);
        break;
      case CAD_ENT_POLYLINE:
        for (const CadVertex& v : e.vertices) include(v.x, v.y);
        break;
      default:
        break;
    }
  }
  if (any) border = r;
  return any;
}

void zoomExtents(Drawing& drawing) {
  CadViewProperties& view = drawing.view;
  CadRect border{};
  if (!drawingBorder(drawing, border) || view.width <= 0 || view.height <= 0) {
    view.unitsPerPixel = 1.0;
    view.originX = 0;
    view.originY = 0;
    return;
  }
  const double w = std::max(border.right - border.left, 1e-9);
  const double h = std::max(border.top - border.bottom, 1e-9);
  // A 5 % margin on every side.
  const double scale = std::max(w / (view.width * 0.9), h / (view.height * 0.9));
  view.unitsPerPixel = scale;
  view.originX = (border.left + border.right) / 2 - scale * view.width / 2;
  view.originY = (border.bottom + border.top) / 2 - scale * view.height / 2;
}

void paintDrawing(const Drawing& drawing, std::uint32_t* pixels, int width, int height, int stride) {
  const CadViewProperties& view = drawing.view;
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(pixels) +
                                                 static_cast<std::ptrdiff_t>(y) * stride);
    std::fill(row, row + width, view.background);
  }
  Canvas canvas{pixels, width, height, stride, view};
  for (const Entity& e : drawing.entities()) {
    if (e.block != 0) continue;
    const CadLayer* layer = drawing.layer(e.header.layer);
    if (layer != nullptr && (layer->off != 0 || (layer->flags & 1) != 0)) continue;
    int colour = e.header.color;
    if (colour == CAD_COLOR_BYLAYER) colour = layer != nullptr ? layer->color : 7;
    canvas.colour = colourOf(colour, view.background);
    switch (e.header.kind) {
      case CAD_ENT_LINE:
        canvas.segment(e.line.x1, e.line.y1, e.line.x2, e.line.y2);
        break;
      case CAD_ENT_CIRCLE: {
        const double pixelsRadius = e.circle.radius / view.unitsPerPixel;
        const int steps = std::clamp(static_cast<int>(pixelsRadius * 2), 16, 2048);
        for (int i = 0; i < steps; ++i) {
          const double a0 = 2 * std::numbers::pi * i / steps;
          const double a1 = 2 * std::numbers::pi * (i + 1) / steps;
          canvas.segment(e.circle.cx + e.circle.radius * std::cos(a0), e.circle.cy + e.circle.radius * std::sin(a0),
                         e.circle.cx + e.circle.radius * std::cos(a1), e.circle.cy + e.circle.radius * std::sin(a1));
        }
        break;
      }
      case CAD_ENT_POLYLINE: {
        const auto& v = e.vertices;
        for (std::size_t i = 1; i < v.size(); ++i) canvas.segment(v[i - 1].x, v[i - 1].y, v[i].x, v[i].y);
        if ((e.polylineFlags & CAD_POLYLINE_CLOSED) != 0 && v.size() > 2) {
          canvas.segment(v.back().x, v.back().y, v.front().x, v.front().y);
        }
        break;
      }
      default:
        break;
    }
  }
}

}  // namespace cadio
