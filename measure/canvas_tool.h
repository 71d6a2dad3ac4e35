#pragma once

#include "measure/measure_shape.h"

#include <optional>
#include <span>

namespace lumivex {

// The canvas's current tool. The shape-making modes share their code with the kind they make, except
// the first ones (mode 0 makes Line, 1 RadiusCircle, 2 Rectangle, 3 Text, 5 Angle).
enum class ToolMode : int {
  Line = 0,
  RadiusCircle = 1,
  Rectangle = 2,
  Text = 3,
  Select = 4,
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
  Magnifier = 16,
  AutoLineSpacing = 18,
  AutoCircle = 19,
  EdgePortion = 20,
  AutoAngle = 21,
  DotLine = 22,
  AutoLineLength1 = 23,
  AutoLineLength2 = 24,
  NoTool = 111,
  Arc = 222,
  AutoArc = 333,
};

// measureFlag values: results and labels, outline only (paint menu), or select/idle.
inline constexpr int kMeasureFlagPaint = 0;
inline constexpr int kMeasureFlagMeasure = 1;
inline constexpr int kMeasureFlagIdle = 11;

struct CanvasTool {
  ToolMode mode = ToolMode::NoTool;
  int measureFlag = kMeasureFlagIdle;
  bool operator==(const CanvasTool&) const = default;
};

// The kind a tool mode makes; nullopt for Select, Magnifier, EdgePortion and NoTool.
std::optional<ShapeKind> kindForTool(ToolMode mode);

// One workspace command that chooses a tool: what it sets, the text of the tool-name box (empty key:
// the box is cleared), and whether the rate is derived first (a failure then leaves the tool unset).
struct ToolCommand {
  int commandId;
  CanvasTool tool;
  const char* textKey;
  const char16_t* defaultText;
  bool derivesRate;
};

std::span<const ToolCommand> toolCommands();
const ToolCommand* findToolCommand(int commandId);

}  // namespace lumivex
