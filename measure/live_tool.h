#pragma once

#include "measure/canvas_tool.h"
#include "measure/measure_shape.h"

#include <optional>

namespace lumivex {

// The tool codes of the live view, as the main window's ActiveTool holds them and as live records keep
// them in their kind field (the exports switch on them). They number the tools differently from
// ShapeKind (stored canvas records) and ToolMode (the canvas's tools): live 3 is a parallel line, stored 3
// a rectangle. liveToolToShapeKind is the one bridge between them.
enum class LiveTool : int {
  None = 0,
  Line = 1,
  DotLine = 2,
  ParallelLine = 3,  // also the line calibration (command 1197)
  ContinuousLine = 4,
  Rectangle = 5,
  Polygon = 6,
  Ellipse = 7,  // its button is hidden and disabled; it makes no record
  RadiusCircle = 8,
  DiameterCircle = 9,
  ThreePointCircle = 10,
  TwoCircles = 11,
  Angle = 12,
  FourPointAngle = 13,
  CircleLabel = 14,
  SquareLabel = 15,
  Text = 16,
  Arc = 17,
  Ruler = 18,  // comparison tools 18-20
  AngleGauge = 19,
  ToleranceCircle = 20,
  AutoCircle = 21,  // automatic tools 21-25
  AutoLineLength2 = 22,
  AutoArc = 23,
  AutoLineSpacing = 24,
  AutoAngle = 25,
};

// The tool of a live code (a record's kind field), or nullopt for a number that is no live tool.
std::optional<LiveTool> liveToolFromCode(int code);
inline int liveToolCode(LiveTool tool) { return static_cast<int>(tool); }

// Tools 1-17: shapes drawn click by click; their buttons latch.
bool isMeasuringTool(LiveTool tool);
// Tools 18-20: the ruler, the angle gauge and the tolerance circle drawn over the video.
bool isComparisonTool(LiveTool tool);
// Tools 21-25: the points snap to detected edges; their buttons are plain buttons chosen anew each press.
bool isAutomatic(LiveTool tool);
// Whether choosing the tool's button latches it (the measuring tools).
bool latches(LiveTool tool);
// Whether choosing the tool first derives the live rate: every tool that measures, not the two labels
// and not the angle gauge (an angle needs no scale).
bool needsRate(LiveTool tool);
// Whether choosing the tool empties the pending point list as well as the pending input: the four-point
// angle, the arc and the automatic tools, whose click counting starts from the list.
bool emptiesPendingPoints(LiveTool tool);

// The stored kind whose geometry, point layout and labels a live tool's record has, so a live record is
// drawn by the canvas renderer (with its kind replaced) while it keeps its live code. nullopt for tools
// that make no record of their own: none, the ellipse and the comparison tools.
std::optional<ShapeKind> liveToolToShapeKind(LiveTool tool);

// The canvas tool whose click sequence a live tool follows; nullopt for the tools without clicks of
// their own (none, the ellipse and the comparison tools).
std::optional<ToolMode> liveToolCanvasMode(LiveTool tool);

}  // namespace lumivex
