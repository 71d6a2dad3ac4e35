#include "measure/live_tool.h"

#include <gtest/gtest.h>

#include <optional>

namespace lumivex {
namespace {

// The live codes by number, the stored kind each is drawn as, and its rules, written out independently.
TEST(LiveToolTest, CodesKindsAndRules) {
  struct Row {
    int code;
    std::optional<ShapeKind> kind;
    bool latches, needsRate, automatic, emptiesPoints;
  };
  using K = ShapeKind;
  const Row rows[] = {
      {1, K::Line, true, true, false, false},
      {2, K::DotLine, true, true, false, false},
      {3, K::ParallelLine, true, true, false, false},
      {4, K::ContinuousLine, true, true, false, false},
      {5, K::Rectangle, true, true, false, false},
      {6, K::Polygon, true, true, false, false},
      {7, std::nullopt, true, true, false, false},
      {8, K::RadiusCircle, true, true, false, false},
      {9, K::DiameterCircle, true, true, false, false},
      {10, K::ThreePointCircle, true, true, false, false},
      {11, K::TwoCircles, true, true, false, false},
      {12, K::Angle, true, true, false, false},
      {13, K::FourPointAngle, true, true, false, true},
      {14, K::CircleLabel, true, false, false, false},
      {15, K::SquareLabel, true, false, false, false},
      {16, K::Text, true, true, false, false},
      {17, K::Arc, true, true, false, true},
      {18, std::nullopt, false, true, false, false},
      {19, std::nullopt, false, false, false, false},
      {20, std::nullopt, false, true, false, false},
      {21, K::AutoCircle, false, true, true, true},
      {22, K::AutoLineLength2, false, true, true, true},
      {23, K::AutoArc, false, true, true, true},
      {24, K::AutoLineSpacing, false, true, true, true},
      {25, K::AutoAngle, false, true, true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    const std::optional<LiveTool> tool = liveToolFromCode(row.code);
    ASSERT_TRUE(tool);
    EXPECT_EQ(liveToolCode(*tool), row.code);
    EXPECT_EQ(liveToolToShapeKind(*tool), row.kind);
    EXPECT_EQ(latches(*tool), row.latches);
    EXPECT_EQ(needsRate(*tool), row.needsRate);
    EXPECT_EQ(isAutomatic(*tool), row.automatic);
    EXPECT_EQ(emptiesPendingPoints(*tool), row.emptiesPoints);
    EXPECT_EQ(isComparisonTool(*tool), row.code >= 18 && row.code <= 20);
  }
  // Numbers that are no live tool, and None itself, make no record.
  for (int code : {0, -1, 26, 100, 222}) EXPECT_FALSE(liveToolFromCode(code)) << code;
  EXPECT_FALSE(liveToolToShapeKind(LiveTool::None));
  EXPECT_FALSE(needsRate(LiveTool::None));
}

// The numbers the three enumerations give the same idea differ: the mapping, not the number, links them.
TEST(LiveToolTest, LiveCodesAreNotStoredKinds) {
  EXPECT_EQ(liveToolToShapeKind(LiveTool::ParallelLine), ShapeKind::ParallelLine);
  EXPECT_NE(static_cast<int>(ShapeKind::ParallelLine), liveToolCode(LiveTool::ParallelLine));
  EXPECT_EQ(static_cast<int>(ShapeKind::Rectangle), liveToolCode(LiveTool::ParallelLine));
}

}  // namespace
}  // namespace lumivex
