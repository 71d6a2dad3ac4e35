#pragma once

#include <QString>

#include <vector>

namespace lumivex {

// The graduations of the scale overlay and the rings of the circles overlay, as offsets from the centre
// along one axis (the same offsets are mirrored to the other side and used on both axes). Pure functions:
// the GUI thread computes them when the overlay scale changes, the frame thread only draws them.
struct AxisMark {
  int offset = 0;         // pixels from the centre
  bool longMark = false;  // scale: long and labelled; circles: labelled
  QString label;          // positive side; the negative side puts "-" before it
};

// Which capture width class a mark rule looks at: 1600, 1280, or anything else.
enum class CaptureClass { Wide1600, Wide1280, Other };
CaptureClass captureClassOf(int width);

// The live view's unit factor multiplier by capture size: 2.5, 2 (1280 x 960 and 1280 x 1024), 1 (640 x
// 480), 0.5 otherwise.
double liveSizeFactor(int width, int height);

// Frame rows per video row: H / 480, or H / 512 for a 1280 x 1024 frame, which the video area shows 512
// rows tall.
double frameRowsPerVideoRow(int width, int height);

// The real length of one video pixel of the overlays: factor(unit) x 10 x k / rate, and of one pixel of
// a full-size still: factor(unit) x 10 / rate. One rule for every size, so the overlays agree with the
// live unit factor the measurements use (also at 320 x 240, where k is 0.5).
double overlayVideoPixelSize(const QString& unit, double rate, int width, int height);
double overlayStillPixelSize(const QString& unit, double rate);

// Scale graduations out to `extent` pixels. Nothing outside rate 10..200. A graduation value is placed at
// the first pixel whose distance reaches within tolerance of it; where a pixel is wider than the
// tolerance band that is the first pixel past the value, so no graduation is ever skipped.
std::vector<AxisMark> scaleMarks(const QString& unit, double rate, double pixelSize, int extent);
// Ring marks of the circles overlay out to `extent` pixels (labels only while rate is below the label
// limit of the capture class).
std::vector<AxisMark> circleMarks(const QString& unit, double rate, double pixelSize, int extent, CaptureClass cls);

}  // namespace lumivex
