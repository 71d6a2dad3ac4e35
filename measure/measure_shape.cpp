#include "measure/measure_shape.h"

#include <cstdlib>

namespace lumivex {

int lineHeightFor(int fontHeight) {
  const int h = std::abs(fontHeight);
  if (h >= 1 && h <= 13) return 12;
  if (h <= 15 && h >= 14) return 13;
  if (h == 16) return 14;
  if (h >= 17 && h <= 19) return 16;
  if (h >= 20 && h <= 21) return 18;
  if (h >= 22 && h <= 24) return 20;
  if (h >= 25 && h <= 27) return 22;
  if (h >= 28 && h <= 29) return 24;
  if (h >= 30 && h <= 32) return 26;
  if (h >= 33 && h <= 35) return 28;
  if (h >= 36 && h <= 37) return 30;
  if (h >= 38 && h <= 48) return 36;
  if (h >= 49 && h <= 64) return 48;
  if (h >= 65 && h <= 96) return 72;
  return 12;
}

int labelAnchorIndex(ShapeKind kind, int pointCount) {
  switch (kind) {
    case ShapeKind::Line:
    case ShapeKind::ParallelLine:
    case ShapeKind::AutoLineSpacing:
      return 6;
    case ShapeKind::RadiusCircle:
    case ShapeKind::Rectangle:
    case ShapeKind::AutoLineLength1:
    case ShapeKind::AutoLineLength2:
    case ShapeKind::ContinuousLine:
      return 2;
    case ShapeKind::Text:
    case ShapeKind::CircleLabel:
    case ShapeKind::SquareLabel:
    case ShapeKind::AutoCircle:
      return 0;
    case ShapeKind::Angle:
    case ShapeKind::DiameterCircle:
    case ShapeKind::DotLine:
    case ShapeKind::Arc:
    case ShapeKind::AutoArc:
      return 3;
    case ShapeKind::ThreePointCircle:
    case ShapeKind::FourPointAngle:
    case ShapeKind::TwoCircles:
    case ShapeKind::AutoAngle:
      return 4;
    case ShapeKind::Polygon:
      return pointCount - 1;
    case ShapeKind::Unset:
      return -1;
  }
  return -1;
}

int labelAnchorIndex(ShapeKind kind, int pointCount, int labelIndex) {
  if (kind == ShapeKind::ContinuousLine) return 2 * labelIndex + 2;
  if (kind == ShapeKind::TwoCircles) return labelIndex == 0 ? 4 : labelIndex == 1 ? 9 : 10;
  return labelAnchorIndex(kind, pointCount);
}

bool isStoredKind(int code) {
  switch (code) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 18:
    case 19:
    case 21:
    case 22:
    case 23:
    case 24:
    case 222:
    case 333:
      return true;
    default:
      return false;
  }
}

}  // namespace lumivex

namespace lumivex {

void applyStyle(MeasureShape& shape, const ShapeStyle& style) {
  shape.penStyle = style.penStyle;
  shape.penWidth = style.penWidth;
  shape.lineColor = style.lineColor;
  shape.labelFont = style.labelFont;
  shape.labelColor = style.labelColor;
  shape.lineHeight = lineHeightFor(style.labelFont.height);
  shape.selected = false;
}

}  // namespace lumivex
