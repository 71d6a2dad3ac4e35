#include "measure/shape_list.h"
#include "core/scripted_prompter.h"
#include "measure/canvas_tool.h"
#include "measure/shape_builder.h"

#include <set>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

std::unique_ptr<MeasureShape> labelShape(int number) {
  return std::make_unique<MeasureShape>(makeCircleLabel({number, number}, number));
}

class ShapeListTest : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = installPrompter(std::unique_ptr<Prompter>(scripted_)); }
  void TearDown() override { installPrompter(std::move(previous_)); }
  ScriptedPrompter* scripted_ = new ScriptedPrompter;
  std::unique_ptr<Prompter> previous_;
};

TEST_F(ShapeListTest, DeleteSelectedAsksNewestFirst) {
  ShapeList list;
  for (int i = 1; i <= 5; ++i) list.append(labelShape(i));
  list.at(0).selected = list.at(2).selected = list.at(4).selected = true;
  // Newest (5) yes, then 3 no, then 1 yes.
  scripted_->push(MessageAnswer::Yes);
  scripted_->push(MessageAnswer::No);
  scripted_->push(MessageAnswer::Yes);
  EXPECT_EQ(list.deleteSelected(nullptr), 2);
  EXPECT_EQ(scripted_->messageTexts(), std::vector<QString>(3, QStringLiteral("Are you sure to delete?")));
  ASSERT_EQ(list.count(), 3);
  EXPECT_EQ(list.at(0).labels[0], QStringLiteral("2"));
  EXPECT_EQ(list.at(1).labels[0], QStringLiteral("3"));
  EXPECT_EQ(list.at(2).labels[0], QStringLiteral("4"));
}

TEST_F(ShapeListTest, NothingSelectedAsksForAShapeOnce) {
  ShapeList list;
  list.deleteSelected(nullptr);
  list.append(labelShape(1));
  list.deleteSelected(nullptr);
  EXPECT_EQ(scripted_->messageTexts(), std::vector<QString>(2, QStringLiteral("Please select a metafile")));
  EXPECT_EQ(list.count(), 1);
}

TEST_F(ShapeListTest, AnchorSelectionAndUnsetRecords) {
  ShapeList list;
  EXPECT_FALSE(list.append(std::make_unique<MeasureShape>()));
  list.append(std::make_unique<MeasureShape>(*makeRadiusCircle({0, 0}, {10, 0}, {1, 1}, {})));
  list.at(0).selected = true;
  list.setLabelAnchor({50, 60});
  EXPECT_EQ(list.at(0).points[2], QPoint(50, 60));
  list.clearSelection();
  EXPECT_FALSE(list.at(0).selected);
  list.destroyAll();
  EXPECT_TRUE(list.isEmpty());
}

TEST(LabelCountersTest, NumberingAndReset) {
  LabelCounters counters;
  counters.nextCircle();
  counters.nextCircle();
  EXPECT_EQ(counters.nextSquare(), 1);
  EXPECT_EQ(makeCircleLabel({0, 0}, counters.nextCircle()).labels, QStringList{"3"});
  counters.reset();
  EXPECT_EQ(makeCircleLabel({0, 0}, counters.nextCircle()).labels, QStringList{"1"});
}

TEST(RecordTables, LineHeightBoundaries) {
  const std::pair<int, int> cases[] = {{0, 12},  {1, 12},  {13, 12}, {14, 13}, {15, 13},  {16, 14},
                                       {17, 16}, {19, 16}, {20, 18}, {22, 20}, {25, 22},  {28, 24},
                                       {30, 26}, {33, 28}, {36, 30}, {38, 36}, {48, 36},  {49, 48},
                                       {64, 48}, {65, 72}, {96, 72}, {97, 12}, {-14, 13}, {-40, 36}};
  for (const auto& [height, expected] : cases) EXPECT_EQ(lineHeightFor(height), expected) << height;
}

TEST(RecordTables, ToolCommands) {
  std::set<int> ids;
  for (const ToolCommand& c : toolCommands()) {
    EXPECT_TRUE(ids.insert(c.commandId).second) << c.commandId;
    if (const auto kind = kindForTool(c.tool.mode)) {
      EXPECT_TRUE(isStoredKind(static_cast<int>(*kind)));
    }
    // Only measuring tools that need a scale derive the rate.
    if (c.derivesRate) {
      EXPECT_EQ(c.tool.measureFlag, kMeasureFlagMeasure) << c.commandId;
    }
  }
  EXPECT_EQ(ids.size(), 30u);
  const ToolCommand* angle = findToolCommand(1256);
  ASSERT_TRUE(angle);
  EXPECT_FALSE(angle->derivesRate);
  EXPECT_EQ(findToolCommand(1231)->tool, (CanvasTool{ToolMode::Arc, 1}));
  EXPECT_EQ(findToolCommand(1137)->tool, (CanvasTool{ToolMode::Select, 11}));
  EXPECT_EQ(kindForTool(ToolMode::Rectangle), ShapeKind::Rectangle);
  EXPECT_EQ(static_cast<int>(*kindForTool(ToolMode::Rectangle)), 3);
  EXPECT_FALSE(kindForTool(ToolMode::Magnifier));
}

}  // namespace
}  // namespace lumivex
