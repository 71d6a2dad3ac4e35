#include "measure/live_tool.h"

namespace lumivex {

std::optional<LiveTool> liveToolFromCode(int code) {
  if (code < static_cast<int>(LiveTool::Line) || code > static_cast<int>(LiveTool::AutoAngle)) return std::nullopt;
  return static_cast<LiveTool>(code);
}

bool isMeasuringTool(LiveTool tool) { return tool >= LiveTool::Line && tool <= LiveTool::Arc; }

bool isComparisonTool(LiveTool tool) { return tool >= LiveTool::Ruler && tool <= LiveTool::ToleranceCircle; }

bool isAutomatic(LiveTool tool) { return tool >= LiveTool::AutoCircle && tool <= LiveTool::AutoAngle; }

bool latches(LiveTool tool) { return isMeasuringTool(tool); }

bool needsRate(LiveTool tool) {
  switch (tool) {
    case LiveTool::None:
    case LiveTool::CircleLabel:
    case LiveTool::SquareLabel:
    case LiveTool::AngleGauge:
      return false;
    default:
      return true;
  }
}

bool emptiesPendingPoints(LiveTool tool) {
  return tool == LiveTool::FourPointAngle || tool == LiveTool::Arc || isAutomatic(tool);
}

std::optional<ShapeKind> liveToolToShapeKind(LiveTool tool) {
  switch (tool) {
    case LiveTool::Line:
      return ShapeKind::Line;
    case LiveTool::DotLine:
      return ShapeKind::DotLine;
    case LiveTool::ParallelLine:
      return ShapeKind::ParallelLine;
    case LiveTool::ContinuousLine:
      return ShapeKind::ContinuousLine;
    case LiveTool::Rectangle:
      return ShapeKind::Rectangle;
    case LiveTool::Polygon:
      return ShapeKind::Polygon;
    case LiveTool::RadiusCircle:
      return ShapeKind::RadiusCircle;
    case LiveTool::DiameterCircle:
      return ShapeKind::DiameterCircle;
    case LiveTool::ThreePointCircle:
      return ShapeKind::ThreePointCircle;
    case LiveTool::TwoCircles:
      return ShapeKind::TwoCircles;
    case LiveTool::Angle:
      return ShapeKind::Angle;
    case LiveTool::FourPointAngle:
      return ShapeKind::FourPointAngle;
    case LiveTool::CircleLabel:
      return ShapeKind::CircleLabel;
    case LiveTool::SquareLabel:
      return ShapeKind::SquareLabel;
    case LiveTool::Text:
      return ShapeKind::Text;
    case LiveTool::Arc:
      return ShapeKind::Arc;
    case LiveTool::AutoCircle:
      return ShapeKind::AutoCircle;
    case LiveTool::AutoLineLength2:
      return ShapeKind::AutoLineLength2;
    case LiveTool::AutoArc:
      return ShapeKind::AutoArc;
    case LiveTool::AutoLineSpacing:
      return ShapeKind::AutoLineSpacing;
    case LiveTool::AutoAngle:
      // Two detected edge lines and the label anchor: the four-point angle's layout, under its own kind.
      return ShapeKind::AutoAngle;
    case LiveTool::None:
    case LiveTool::Ellipse:
    case LiveTool::Ruler:
    case LiveTool::AngleGauge:
    case LiveTool::ToleranceCircle:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<ToolMode> liveToolCanvasMode(LiveTool tool) {
  switch (tool) {
    case LiveTool::Line:
      return ToolMode::Line;
    case LiveTool::DotLine:
      return ToolMode::DotLine;
    case LiveTool::ParallelLine:
      return ToolMode::ParallelLine;
    case LiveTool::ContinuousLine:
      return ToolMode::ContinuousLine;
    case LiveTool::Rectangle:
      return ToolMode::Rectangle;
    case LiveTool::Polygon:
      return ToolMode::Polygon;
    case LiveTool::RadiusCircle:
      return ToolMode::RadiusCircle;
    case LiveTool::DiameterCircle:
      return ToolMode::DiameterCircle;
    case LiveTool::ThreePointCircle:
      return ToolMode::ThreePointCircle;
    case LiveTool::TwoCircles:
      return ToolMode::TwoCircles;
    case LiveTool::Angle:
      return ToolMode::Angle;
    case LiveTool::FourPointAngle:
      return ToolMode::FourPointAngle;
    case LiveTool::CircleLabel:
      return ToolMode::CircleLabel;
    case LiveTool::SquareLabel:
      return ToolMode::SquareLabel;
    case LiveTool::Text:
      return ToolMode::Text;
    case LiveTool::Arc:
      return ToolMode::Arc;
    case LiveTool::AutoCircle:
      return ToolMode::AutoCircle;
    case LiveTool::AutoLineLength2:
      return ToolMode::AutoLineLength2;
    case LiveTool::AutoArc:
      return ToolMode::AutoArc;
    case LiveTool::AutoLineSpacing:
      return ToolMode::AutoLineSpacing;
    case LiveTool::AutoAngle:
      return ToolMode::AutoAngle;
    default:
      return std::nullopt;
  }
}

}  // namespace lumivex
