#include "measure/canvas_tool.h"

#include <array>

namespace lumivex {
namespace {

constexpr int kM = kMeasureFlagMeasure;
constexpr int kP = kMeasureFlagPaint;

// The angle tools, the paint tools, edge portion and select need no rate.
constexpr std::array kCommands{
    ToolCommand{1249, {ToolMode::Line, kM}, "straightline", u"Straight Line", true},
    ToolCommand{399, {ToolMode::DotLine, kM}, "dotline", u"Dot Line", true},
    ToolCommand{1309, {ToolMode::ParallelLine, kM}, "Parallelline", u"Parallel line", true},
    ToolCommand{1250, {ToolMode::ContinuousLine, kM}, "Continuousline", u"Continuous Line", true},
    ToolCommand{1251, {ToolMode::Rectangle, kM}, "Rectangle", u"Rectangle", true},
    ToolCommand{1252, {ToolMode::Polygon, kM}, "Ploygon", u"Ploygon", true},
    ToolCommand{1253, {ToolMode::RadiusCircle, kM}, "RadialCircle", u"Radius circle", true},
    ToolCommand{416, {ToolMode::DiameterCircle, kM}, "Diametercircle", u"Diameter circle", true},
    ToolCommand{1255, {ToolMode::ThreePointCircle, kM}, "Threepointcircle", u"Three Points Circle", true},
    ToolCommand{1231, {ToolMode::Arc, kM}, "TipArc", u"Arc Measurement", true},
    ToolCommand{1277, {ToolMode::TwoCircles, kM}, "Twocircle", u"Two Circles", true},
    ToolCommand{1256, {ToolMode::Angle, kM}, "Angle", u"Angle", false},
    ToolCommand{1334, {ToolMode::FourPointAngle, kM}, "Fourpointangle", u"Four points Angle", false},
    ToolCommand{1312, {ToolMode::AutoLineSpacing, kM}, "AutoLineSpace", u"Auto Line-spacing", true},
    ToolCommand{1340, {ToolMode::AutoLineLength1, kM}, "AutoLineLength", u"Auto Line-Length1", true},
    ToolCommand{1347, {ToolMode::AutoLineLength2, kM}, "AutoLineLength2", u"Auto Line-Length2", true},
    ToolCommand{1341, {ToolMode::AutoArc, kM}, "TipArc", u"Auto Arc-detection", true},
    ToolCommand{1317, {ToolMode::AutoCircle, kM}, "AutoCircleDetection", u"Auto circle-detection", true},
    ToolCommand{1316, {ToolMode::AutoAngle, kM}, "AutoAngleDetection", u"Auto Angle-detection", false},
    ToolCommand{1266, {ToolMode::EdgePortion, kM}, "EdgePortion", u"Check Edge(Portion)", false},
    ToolCommand{1258, {ToolMode::Line, kP}, "straightline", u"Straight Line", false},
    ToolCommand{1259, {ToolMode::ContinuousLine, kP}, "TipContinualline", u"Continue Line", false},
    ToolCommand{1260, {ToolMode::Angle, kP}, "Angle", u"Angle", false},
    ToolCommand{1261, {ToolMode::Rectangle, kP}, "Rectangle", u"Rectangle", false},
    ToolCommand{1262, {ToolMode::RadiusCircle, kP}, "RadialCircle", u"Radius Circle", false},
    ToolCommand{1307, {ToolMode::DiameterCircle, kP}, "Diametercircle", u"Diameter Circle", false},
    ToolCommand{1263, {ToolMode::ThreePointCircle, kP}, "Threepointcircle", u"Three Points Circle", false},
    ToolCommand{1310, {ToolMode::CircleLabel, kP}, "TipCLabel", u"Circle Label", false},
    ToolCommand{1311, {ToolMode::SquareLabel, kP}, "TipSLabel", u"Sqaure Label", false},
    ToolCommand{1137, {ToolMode::Select, kMeasureFlagIdle}, "", u"", false},
};

}  // namespace

std::optional<ShapeKind> kindForTool(ToolMode mode) {
  switch (mode) {
    case ToolMode::Line:
      return ShapeKind::Line;
    case ToolMode::RadiusCircle:
      return ShapeKind::RadiusCircle;
    case ToolMode::Rectangle:
      return ShapeKind::Rectangle;
    case ToolMode::Text:
      return ShapeKind::Text;
    case ToolMode::Angle:
      return ShapeKind::Angle;
    case ToolMode::Select:
    case ToolMode::Magnifier:
    case ToolMode::EdgePortion:
    case ToolMode::NoTool:
      return std::nullopt;
    default:
      return static_cast<ShapeKind>(static_cast<int>(mode));
  }
}

std::span<const ToolCommand> toolCommands() { return kCommands; }

const ToolCommand* findToolCommand(int commandId) {
  for (const ToolCommand& command : kCommands)
    if (command.commandId == commandId) return &command;
  return nullptr;
}

}  // namespace lumivex
