#pragma once

#include "measure/log_font.h"
#include "measure/measure_shape.h"

#include <QColor>

#include <cstdint>

namespace lumivex {

// The drawing style a view makes new shapes with: pen, result-text colour and font, free-text colour
// and font, and the detection range. Loaded from the settings and the font files; the windows keep a
// copy per canvas and write changes back value by value.
struct DrawingStyle {
  int lineWidth = 1;
  int lineType = kPenSolid;
  std::uint32_t lineColor = kRed;
  std::uint32_t measureTextColor = kRed;
  LogFont measureFont = LogFont::defaultFont();
  bool measureFontFromFile = false;  // Measurefont.ini could be read
  std::uint32_t textColor = kRed;
  LogFont textFont = LogFont::defaultFont();
  int detectionRange = 20;

  ShapeStyle shapeStyle() const;
};

inline constexpr int kDetectionRanges[] = {10, 12, 14, 16, 18, 20};

// From AppContext's settings (already loaded at start-up) and the two font files; defaults without them.
DrawingStyle loadDrawingStyle();

// COLORREF (0x00BBGGRR, low 24 bits) and QColor.
QColor colorFromRef(std::uint32_t ref);
std::uint32_t refFromColor(const QColor& color);

}  // namespace lumivex
