#pragma once

#include "measure/log_font.h"

#include <QList>
#include <QPoint>
#include <QStringList>

#include <cstdint>

namespace lumivex {

// Kind codes of stored shapes. The exports switch on these values, so they are kept exactly.
enum class ShapeKind : int {
  Line = 1,
  RadiusCircle = 2,
  Rectangle = 3,
  Text = 4,
  Angle = 5,
  ContinuousLine = 6,
  Polygon = 7,
  DiameterCircle = 8,
  ThreePointCircle = 9,
  FourPointAngle = 10,
  TwoCircles = 11,
  ParallelLine = 12,
  CircleLabel = 13,
  SquareLabel = 14,
  AutoLineSpacing = 18,
  AutoCircle = 19,
  AutoAngle = 21,
  DotLine = 22,
  AutoLineLength1 = 23,
  AutoLineLength2 = 24,
  Arc = 222,
  AutoArc = 333,
  Unset = 100,
};

inline constexpr std::uint32_t kRed = 255;  // COLORREF 0x00BBGGRR

// Pen styles as stored: solid, dash, dot.
inline constexpr int kPenSolid = 0;
inline constexpr int kPenDash = 1;
inline constexpr int kPenDot = 2;

// One measurement or annotation. Points are view-content coordinates (independent of scrolling); the
// layout of points and labels per kind is fixed (see labelAnchorIndex). Labels are stored formatted.
struct MeasureShape {
  int penWidth = 1;
  int penStyle = kPenSolid;
  std::uint32_t lineColor = kRed;
  ShapeKind kind = ShapeKind::Unset;
  std::uint32_t labelColor = kRed;
  LogFont labelFont = LogFont::defaultFont();
  std::uint32_t textColor = kRed;
  LogFont textFont = LogFont::defaultFont();
  QList<QPoint> points;
  QStringList labels;
  bool selected = false;
  int lineHeight = 12;
  double radius = 0.0;  // view pixels, AutoCircle only
};

// Vertical distance between label lines for a font height (its absolute value is used).
int lineHeightFor(int fontHeight);

// Index in points of the first label's anchor. For ContinuousLine label j stands at 2j + 2, for
// TwoCircles the labels stand at 4, 9 and 10, for Polygon at the last point; -1 for Unset.
int labelAnchorIndex(ShapeKind kind, int pointCount);
// Index of label i's anchor, covering the kinds whose labels stand at different points.
int labelAnchorIndex(ShapeKind kind, int pointCount, int labelIndex);

// The kind codes that may be stored (15, 16, 17 and 20 never are).
bool isStoredKind(int code);

}  // namespace lumivex

namespace lumivex {

// The pen and font settings a new record copies when it is made.
struct ShapeStyle {
  int penWidth = 1;
  int penStyle = kPenSolid;
  std::uint32_t lineColor = kRed;
  LogFont labelFont = LogFont::defaultFont();
  std::uint32_t labelColor = kRed;
};

// Fills the style fields in the order records are made: pen style and width, line colour, label font,
// label colour, line height from the font, not selected.
void applyStyle(MeasureShape& shape, const ShapeStyle& style);

}  // namespace lumivex
