// The select tool after the four-point angle tool: two lines already measured give their angle.
#include "measure/calibration_state.h"
#include "measure/canvas_controller.h"
#include "tests/measure/canvas_test_support.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using test::click;
using test::clicks;
using test::moveTo;
using test::rightClick;

class PairSelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calibrationState().unitName.assign(QStringLiteral("mm"));
    calibrationState().decimals = 2;
    c_.setHost(&host_);
    c_.setLabelCounters(&counters_);
    c_.setPictureArea(QRect(0, 0, 640, 480));
    c_.setRate(ViewRate{20, 10}, 0.5);
    // A horizontal line, a line at 45 degrees, a circle and a vertical automatic line length.
    use(ToolMode::Line);
    clicks(c_, {{100, 100}, {300, 100}, {200, 80}});
    clicks(c_, {{100, 300}, {200, 200}, {160, 260}});
    use(ToolMode::RadiusCircle);
    clicks(c_, {{500, 300}, {550, 300}, {500, 380}});
    MeasureShape vertical;
    vertical.kind = ShapeKind::AutoLineLength1;
    vertical.points = {{400, 50}, {400, 250}, {410, 150}};
    c_.shapes().append(std::make_unique<MeasureShape>(vertical));
  }
  void use(ToolMode mode, int flag = kMeasureFlagMeasure) { c_.setTool({mode, flag}); }
  void selectTool() { use(ToolMode::Select, kMeasureFlagIdle); }
  QList<bool> selected() const {
    QList<bool> out;
    for (int i = 0; i < c_.shapes().count(); ++i) out << c_.shapes().at(i).selected;
    return out;
  }

  test::RecordingHost host_;
  LabelCounters counters_;
  CanvasController c_;
};

TEST_F(PairSelectionTest, TwoLinesGiveTheirAngleWhoseLabelIsThenPlaced) {
  const QPoint onHorizontal{200, 101}, onDiagonal{150, 250}, onCircle{550, 300}, onVertical{401, 120};
  const struct {
    const char* name;
    QPoint first;
    QPoint second;
    QString label;
    QList<QPoint> ends;
  } cases[] = {
      {"horizontal, diagonal", onHorizontal, onDiagonal, "45.00°", {{100, 100}, {300, 100}, {100, 300}, {200, 200}}},
      {"diagonal, vertical", onDiagonal, onVertical, "45.00°", {{100, 300}, {200, 200}, {400, 50}, {400, 250}}},
      {"vertical, horizontal", onVertical, onHorizontal, "90.00°", {{400, 50}, {400, 250}, {100, 100}, {300, 100}}},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.name);
    use(ToolMode::FourPointAngle);
    selectTool();
    ASSERT_TRUE(c_.picksPairs());
    const int before = c_.shapes().count();
    click(c_, t.first);
    EXPECT_EQ(c_.shapes().count(), before);
    EXPECT_FALSE(c_.inCycle());
    click(c_, t.second);
    ASSERT_EQ(c_.shapes().count(), before + 1);
    const MeasureShape& angle = *c_.shapes().last();
    EXPECT_EQ(angle.kind, ShapeKind::FourPointAngle);
    EXPECT_EQ(angle.labels, QStringList{t.label});
    EXPECT_EQ(angle.points.mid(0, 4), t.ends);
    EXPECT_FALSE(selected().contains(true)) << "the two lines are let go";
    // The label follows the mouse until a click fixes it; then the tool picks pairs again.
    ASSERT_TRUE(c_.inCycle());
    moveTo(c_, {600, 40});
    click(c_, {600, 40});
    EXPECT_FALSE(c_.inCycle());
    EXPECT_EQ(c_.shapes().last()->points[4], QPoint(600, 40));
    EXPECT_EQ(host_.finished.back(), ShapeKind::FourPointAngle);
    EXPECT_TRUE(c_.picksPairs());
  }
}

TEST_F(PairSelectionTest, OnlyTheLastTwoStaySelectedAndOnlyLinesMakeAnAngle) {
  use(ToolMode::FourPointAngle);
  selectTool();
  click(c_, {550, 300});  // the circle
  click(c_, {200, 101});  // the horizontal line: a circle and a line make no angle
  EXPECT_EQ(selected(), (QList<bool>{true, false, true, false}));
  EXPECT_EQ(c_.shapes().count(), 4);
  click(c_, {200, 101});  // the same line again changes nothing
  EXPECT_EQ(selected(), (QList<bool>{true, false, true, false}));
  click(c_, {630, 470});  // a miss changes nothing
  EXPECT_EQ(selected(), (QList<bool>{true, false, true, false}));
  click(c_, {150, 250});  // the diagonal drops the circle, the older one, and pairs with the line
  ASSERT_EQ(c_.shapes().count(), 5);
  EXPECT_EQ(c_.shapes().last()->labels, QStringList{"45.00°"});
  // A right click while its label is placed drops the angle and keeps the lines.
  rightClick(c_, {10, 10});
  EXPECT_EQ(c_.shapes().count(), 4);
  EXPECT_FALSE(c_.inCycle());
}

TEST_F(PairSelectionTest, OtherToolsBeforeSelectKeepTheSingleSelection) {
  for (const ToolMode before : {ToolMode::Line, ToolMode::Angle, ToolMode::NoTool}) {
    use(ToolMode::FourPointAngle);
    use(before);
    selectTool();
    EXPECT_FALSE(c_.picksPairs());
    click(c_, {200, 101});
    click(c_, {150, 250});
    EXPECT_EQ(selected(), (QList<bool>{false, true, false, false}));
    EXPECT_EQ(c_.shapes().count(), 4);
  }
  // The four-point angle tool itself still measures from four clicks.
  use(ToolMode::FourPointAngle);
  clicks(c_, {{10, 400}, {110, 400}, {10, 450}, {10, 350}});
  ASSERT_EQ(c_.shapes().count(), 5);
  EXPECT_EQ(c_.shapes().last()->labels, QStringList{"90.00°"});
}

}  // namespace
}  // namespace lumivex
