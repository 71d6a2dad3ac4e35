#include "measure/drawing_style.h"

#include "core/app_context.h"
#include "measure/font_store.h"

namespace lumivex {

ShapeStyle DrawingStyle::shapeStyle() const {
  return ShapeStyle{lineWidth, lineType, lineColor, measureFont, measureTextColor};
}

DrawingStyle loadDrawingStyle() {
  DrawingStyle style;
  if (AppContext::exists()) {
    const Settings& s = AppContext::current().settings();
    style.lineWidth = static_cast<int>(s.lineWidth);
    style.lineType = s.lineType <= 2 ? static_cast<int>(s.lineType) : kPenSolid;
    style.lineColor = s.lineColor & 0xFFFFFF;
    style.measureTextColor = s.measureTextColor & 0xFFFFFF;
    style.textColor = s.fontColor & 0xFFFFFF;
  }
  if (const std::optional<LogFont> font = loadFontFile(measureFontPath())) {
    style.measureFont = *font;
    style.measureFontFromFile = true;
  }
  if (const std::optional<LogFont> font = loadFontFile(textFontPath())) style.textFont = *font;
  return style;
}

QColor colorFromRef(std::uint32_t ref) {
  return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                static_cast<int>((ref >> 16) & 0xFF));
}

std::uint32_t refFromColor(const QColor& color) {
  const QColor rgb = color.toRgb();
  return static_cast<std::uint32_t>(rgb.red()) | (static_cast<std::uint32_t>(rgb.green()) << 8) |
         (static_cast<std::uint32_t>(rgb.blue()) << 16);
}

}  // namespace lumivex
