#include "measure/canvas_controller.h"
#include "measure/calibration_state.h"
#include "measure/shape_hit_test.h"
#include "tests/measure/canvas_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lumivex {
namespace {

using test::click;
using test::clicks;
using test::doubleClick;
using test::moveTo;
using test::rightClick;

constexpr int kM = kMeasureFlagMeasure;
constexpr int kP = kMeasureFlagPaint;

class CanvasControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calibrationState().unitName.assign(QStringLiteral("mm"));
    calibrationState().decimals = 2;
    c_.setHost(&host_);
    c_.setDetector(&detector_);
    c_.setLabelCounters(&counters_);
    c_.setPictureArea(QRect(0, 0, 640, 480));
    c_.setUnitScale(1.0);
    c_.setRate(ViewRate{20, 10}, 0.5);
  }
  void use(ToolMode mode, int flag = kM) { c_.setTool({mode, flag}); }
  const MeasureShape& last() { return *c_.shapes().last(); }

  test::RecordingHost host_;
  test::ScriptedDetector detector_;
  LabelCounters counters_;
  CanvasController c_;
};

struct SequenceCase {
  const char* name;
  ToolMode tool;
  std::vector<QPoint> clicks;
  ShapeKind kind;
  QStringList labels;
  QList<QPoint> firstPoints;  // the leading stored points
  int anchor;                 // index the placing click moves
};

// Every fixed-count tool in measuring mode: the completing click appends one record with its results and
// the label at that click; the next click moves only the label and ends the cycle.
TEST_F(CanvasControllerTest, FixedClickToolsAppendThenPlace) {
  const std::vector<SequenceCase> cases = {
      {"line", ToolMode::Line, {{100, 100}, {200, 100}}, ShapeKind::Line, {"L:2.96mm"}, {{100, 100}, {200, 100}}, 6},
      {"parallel",
       ToolMode::ParallelLine,
       {{100, 100}, {100, 200}},
       ShapeKind::ParallelLine,
       {"L:2.96mm"},
       {{100, 100}, {100, 200}, {0, 100}, {200, 100}},
       6},
      {"dot line",
       ToolMode::DotLine,
       {{100, 100}, {300, 100}, {200, 200}},
       ShapeKind::DotLine,
       {"L:2.96mm"},
       {{100, 100}, {300, 100}, {200, 200}},
       3},
      {"radius circle",
       ToolMode::RadiusCircle,
       {{200, 200}, {300, 200}},
       ShapeKind::RadiusCircle,
       {"A:27.58mm2", "R:2.96mm", "G:18.62mm"},
       {{200, 200}, {300, 200}},
       2},
      {"diameter circle",
       ToolMode::DiameterCircle,
       {{100, 100}, {300, 100}},
       ShapeKind::DiameterCircle,
       {"A:27.58mm2", "R:2.96mm", "G:18.62mm"},
       {{200, 100}, {100, 100}, {300, 100}},
       3},
      {"rectangle",
       ToolMode::Rectangle,
       {{100, 100}, {200, 150}},
       ShapeKind::Rectangle,
       {"A:4.39mm2", "W:2.96mm", "H:1.48mm"},
       {{100, 100}, {200, 150}},
       2},
      {"angle",
       ToolMode::Angle,
       {{200, 100}, {100, 100}, {100, 10}},
       ShapeKind::Angle,
       {"90.00\u00B0"},
       {{200, 100}, {100, 100}, {100, 10}},
       3},
      {"three-point circle",
       ToolMode::ThreePointCircle,
       {{100, 200}, {200, 100}, {300, 200}},
       ShapeKind::ThreePointCircle,
       {"A:27.58mm2", "R:2.96mm", "G:18.62mm"},
       {{200, 200}, {200, 100}, {100, 200}},
       4},
      {"arc",
       ToolMode::Arc,
       {{100, 200}, {200, 100}, {300, 200}},
       ShapeKind::Arc,
       {"R:2.96mm", "Angle:180.00\u00B0", "Arc:9.31mm"},
       {{100, 200}, {200, 100}, {300, 200}},
       3},
      {"auto line length 1 without an edge",
       ToolMode::AutoLineLength1,
       {{100, 100}, {200, 100}},
       ShapeKind::AutoLineLength1,
       {"L:2.96mm"},
       {{100, 100}, {200, 100}},
       2},
  };
  for (const SequenceCase& t : cases) {
    SCOPED_TRACE(t.name);
    c_.shapes().destroyAll();
    use(t.tool);
    for (std::size_t i = 0; i < t.clicks.size(); ++i) {
      EXPECT_EQ(c_.shapes().count(), 0) << "click " << i;
      click(c_, t.clicks[i]);
      EXPECT_TRUE(c_.inCycle());
    }
    ASSERT_EQ(c_.shapes().count(), 1);
    const MeasureShape& shape = last();
    EXPECT_EQ(shape.kind, t.kind);
    EXPECT_EQ(shape.labels, t.labels);
    EXPECT_EQ(shape.points.mid(0, t.firstPoints.size()), t.firstPoints);
    EXPECT_EQ(shape.points[t.anchor], t.clicks.back());
    EXPECT_EQ(c_.activeShapeIndex(), 0);

    moveTo(c_, {400, 420});
    EXPECT_EQ(shape.points[t.anchor], QPoint(400, 420));
    click(c_, {410, 430});
    EXPECT_EQ(shape.points[t.anchor], QPoint(410, 430));
    EXPECT_EQ(shape.points.mid(0, t.firstPoints.size()), t.firstPoints);
    EXPECT_FALSE(c_.inCycle());
    EXPECT_EQ(c_.shapes().count(), 1);
  }
  EXPECT_EQ(host_.finished.size(), cases.size());
}

TEST_F(CanvasControllerTest, ClicksThatFormNoFigureAreRefusedAtTheCompletingClick) {
  for (ToolMode tool : {ToolMode::ThreePointCircle, ToolMode::Arc}) {
    use(tool);
    clicks(c_, {{100, 100}, {200, 200}, {300, 300}});
    EXPECT_EQ(c_.shapes().count(), 0);
    EXPECT_FALSE(c_.inCycle());
  }
  use(ToolMode::TwoCircles);
  clicks(c_, {{100, 100}, {200, 100}, {300, 100}});
  EXPECT_FALSE(c_.inCycle());
  EXPECT_EQ(c_.shapes().count(), 0);
}

TEST_F(CanvasControllerTest, MultiClickTools) {
  // Continuous line: vertex, then its label, alternately; the double click adds no zero-length segment.
  use(ToolMode::ContinuousLine);
  clicks(c_, {{100, 100}, {200, 100}, {150, 80}});
  doubleClick(c_, {200, 200});
  ASSERT_EQ(c_.shapes().count(), 1);
  EXPECT_EQ(last().kind, ShapeKind::ContinuousLine);
  EXPECT_EQ(last().points, (QList<QPoint>{{100, 100}, {200, 100}, {150, 80}, {200, 200}, {200, 200}}));
  EXPECT_EQ(last().labels, (QStringList{"2.96mm", "2.96mm"}));
  EXPECT_FALSE(c_.inCycle());

  // Polygon: a 100 x 100 square closed by a double click on its last corner; the next click moves only
  // the label.
  c_.shapes().destroyAll();
  use(ToolMode::Polygon);
  clicks(c_, {{100, 100}, {200, 100}, {200, 200}});
  doubleClick(c_, {100, 200});
  ASSERT_EQ(c_.shapes().count(), 1);
  EXPECT_EQ(last().points, (QList<QPoint>{{100, 100}, {200, 100}, {200, 200}, {100, 200}, {100, 200}}));
  EXPECT_EQ(last().labels, QStringList{"A:8.78mm2"});
  click(c_, {50, 50});
  EXPECT_EQ(last().points.size(), 5);
  EXPECT_EQ(last().points.last(), QPoint(50, 50));
  EXPECT_EQ(last().points[3], QPoint(100, 200));

  // Two circles: three clicks, its label, three clicks, its label, the distance label.
  c_.shapes().destroyAll();
  use(ToolMode::TwoCircles);
  clicks(c_, {{100, 200}, {200, 100}, {300, 200}, {10, 10}, {400, 200}, {450, 150}, {500, 200}});
  EXPECT_EQ(c_.feedback().circles.size(), 2);
  clicks(c_, {{20, 20}});
  EXPECT_EQ(c_.shapes().count(), 0);
  click(c_, {30, 30});
  ASSERT_EQ(c_.shapes().count(), 1);
  EXPECT_EQ(last().kind, ShapeKind::TwoCircles);
  EXPECT_EQ(last().points.size(), 11);
  EXPECT_EQ(last().points[3], QPoint(200, 200));
  EXPECT_EQ(last().points[8], QPoint(450, 200));
  EXPECT_EQ((QList<QPoint>{last().points[4], last().points[9], last().points[10]}),
            (QList<QPoint>{{10, 10}, {20, 20}, {30, 30}}));
  EXPECT_EQ(last().labels, (QStringList{"R:2.96mm", "R:1.48mm", "L:7.41mm"}));
  EXPECT_FALSE(c_.inCycle());

  // Labels: appended at once, numbered by the counters.
  use(ToolMode::CircleLabel, kP);
  clicks(c_, {{50, 50}, {80, 50}});
  use(ToolMode::SquareLabel, kP);
  click(c_, {50, 90});
  EXPECT_EQ(c_.shapes().at(1).labels, QStringList{"1"});
  EXPECT_EQ(c_.shapes().at(2).labels, QStringList{"2"});
  EXPECT_EQ(last().labels, QStringList{"1"});
  EXPECT_FALSE(c_.inCycle());
}

// A right click in every phase of a cycle: the record of that cycle goes, earlier records stay.
TEST_F(CanvasControllerTest, RightClickMatrix) {
  struct Case {
    const char* name;
    ToolMode tool;
    std::vector<QPoint> before;  // clicks before the right click
    int remaining;               // records left of the two made before
  };
  const std::vector<Case> cases = {
      {"line idle", ToolMode::Line, {}, 2},
      {"line after the start", ToolMode::Line, {{10, 10}}, 2},
      {"line while placing", ToolMode::Line, {{10, 10}, {90, 10}}, 2},
      {"angle after the vertex", ToolMode::Angle, {{10, 10}, {50, 50}}, 2},
      {"rectangle while placing", ToolMode::Rectangle, {{10, 10}, {90, 90}}, 2},
      {"continuous line with two segments", ToolMode::ContinuousLine, {{10, 10}, {90, 10}, {50, 0}, {90, 90}}, 2},
      {"two circles after the first circle", ToolMode::TwoCircles, {{100, 200}, {200, 100}, {300, 200}, {5, 5}}, 2},
      {"polygon", ToolMode::Polygon, {{10, 10}, {90, 10}, {90, 90}}, 2},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.name);
    c_.shapes().destroyAll();
    use(ToolMode::CircleLabel, kP);
    clicks(c_, {{300, 300}, {320, 300}});
    use(t.tool);
    for (QPoint p : t.before) click(c_, p);
    rightClick(c_, {5, 5});
    EXPECT_EQ(c_.shapes().count(), t.remaining);
    EXPECT_FALSE(c_.inCycle());
    EXPECT_TRUE(c_.feedback().isEmpty());
    // The tool stays: a new cycle starts with the next click.
    EXPECT_EQ(c_.tool().mode, t.tool);
  }
  // Choosing another tool while a label is being placed keeps the record where its label is.
  c_.shapes().destroyAll();
  use(ToolMode::Line);
  clicks(c_, {{10, 10}, {90, 10}});
  moveTo(c_, {40, 60});
  use(ToolMode::Rectangle);
  ASSERT_EQ(c_.shapes().count(), 1);
  EXPECT_EQ(last().points[6], QPoint(40, 60));

  // A record that came and went within its cycle is nothing a save would lose.
  c_.shapes().destroyAll();
  use(ToolMode::Line);
  const auto before = c_.contentChanges();
  clicks(c_, {{10, 10}, {90, 10}});
  rightClick(c_, {5, 5});
  EXPECT_EQ(c_.contentChanges(), before);
}

TEST_F(CanvasControllerTest, PaintModeEndsAtTheAppendingClickWithEmptyLabels) {
  const struct {
    ToolMode tool;
    std::vector<QPoint> clicks;
    int labels;
  } cases[] = {
      {ToolMode::Line, {{10, 10}, {110, 10}}, 1},
      {ToolMode::Angle, {{10, 10}, {50, 50}, {90, 10}}, 1},
      {ToolMode::Rectangle, {{10, 10}, {110, 60}}, 3},
      {ToolMode::RadiusCircle, {{100, 100}, {150, 100}}, 3},
      {ToolMode::DiameterCircle, {{100, 100}, {150, 100}}, 3},
      {ToolMode::ThreePointCircle, {{100, 200}, {200, 100}, {300, 200}}, 3},
  };
  c_.setRate(ViewRate{}, 1.0);  // the paint tools derive no rate
  for (const auto& t : cases) {
    c_.shapes().destroyAll();
    use(t.tool, kP);
    for (QPoint p : t.clicks) click(c_, p);
    ASSERT_EQ(c_.shapes().count(), 1);
    EXPECT_EQ(last().labels, QStringList(t.labels, QString()));
    EXPECT_FALSE(c_.inCycle());
  }
  // The paint menu's continuous line keeps the drawing: vertices by clicks, a double click finishes.
  c_.shapes().destroyAll();
  use(ToolMode::ContinuousLine, kP);
  clicks(c_, {{10, 10}, {100, 10}});
  EXPECT_EQ(c_.shapes().count(), 0);
  doubleClick(c_, {100, 100});
  ASSERT_EQ(c_.shapes().count(), 1);
  EXPECT_EQ(last().kind, ShapeKind::ContinuousLine);
  EXPECT_EQ(last().points, (QList<QPoint>{{10, 10}, {100, 10}, {100, 10}, {100, 100}, {100, 100}}));
  EXPECT_EQ(last().labels, (QStringList{QString(), QString()}));
  EXPECT_FALSE(c_.inCycle());
}

TEST_F(CanvasControllerTest, PlacingAnAutomaticCircleAndAText) {
  // The automatic circle's labels stand at its centre: the placing click does not move it.
  detector_.snap = [](QPoint p) -> std::optional<QPoint> {
    const double a = std::atan2(p.y() - 240.0, p.x() - 320.0);
    return QPoint(static_cast<int>(std::lround(320 + 100 * std::cos(a))),
                  static_cast<int>(std::lround(240 + 100 * std::sin(a))));
  };
  use(ToolMode::AutoCircle);
  clicks(c_, {{430, 240}, {320, 130}});
  rightClick(c_, {600, 400});
  EXPECT_EQ(c_.shapes().count(), 0);  // two points: nothing happens, the points stay
  EXPECT_EQ(c_.feedback().crosses.size(), 2);
  click(c_, {215, 245});
  rightClick(c_, {600, 400});
  ASSERT_EQ(c_.shapes().count(), 1);
  EXPECT_EQ(last().kind, ShapeKind::AutoCircle);
  EXPECT_NEAR(last().radius, 100, 1.0);
  const QList<QPoint> points = last().points;
  EXPECT_EQ(points[1], QPoint(600, 400));
  moveTo(c_, {10, 10});
  click(c_, {10, 10});
  EXPECT_EQ(last().points, points);
  EXPECT_FALSE(c_.inCycle());

  // Text: appended at the last clicked position, follows the mouse, a click fixes it, the tool ends.
  c_.startText(QStringLiteral("burr"), 0xFF0000, LogFont::defaultFont());
  ASSERT_EQ(c_.shapes().count(), 2);
  EXPECT_EQ(last().points, (QList<QPoint>{{10, 10}, {70, 70}}));
  moveTo(c_, {200, 100});
  EXPECT_EQ(last().points, (QList<QPoint>{{200, 100}, {260, 160}}));
  click(c_, {210, 110});
  EXPECT_EQ(last().points, (QList<QPoint>{{210, 110}, {270, 170}}));
  EXPECT_EQ(last().labels, QStringList{"burr"});
  EXPECT_EQ(c_.tool().mode, ToolMode::NoTool);
  click(c_, {300, 300});
  EXPECT_EQ(c_.shapes().count(), 2);

  c_.startText(QString(), 0, LogFont::defaultFont());
  EXPECT_EQ(c_.shapes().count(), 2);
  EXPECT_EQ(host_.warnings, std::vector<std::string>{"InputText"});
}

TEST_F(CanvasControllerTest, MoveTheSelectedShape) {
  EXPECT_FALSE(c_.startMove());
  EXPECT_EQ(host_.warnings, std::vector<std::string>{"SelectImage"});
  use(ToolMode::Line);
  clicks(c_, {{100, 100}, {200, 100}, {150, 120}});
  use(ToolMode::RadiusCircle);
  clicks(c_, {{400, 300}, {450, 300}, {400, 380}});
  use(ToolMode::Select, kMeasureFlagIdle);
  click(c_, {150, 102});
  ASSERT_TRUE(c_.shapes().at(0).selected);
  ASSERT_TRUE(c_.startMove());
  moveTo(c_, {300, 200});
  const std::optional<MeasureShape> outline = c_.movingOutline();
  ASSERT_TRUE(outline);
  EXPECT_EQ(outline->points[0], QPoint(250, 200));
  EXPECT_EQ(c_.shapes().at(0).points[0], QPoint(100, 100));  // still in place until the click
  const auto changes = c_.contentChanges();
  click(c_, {300, 200});
  // The reference point, the segment's middle, lands on the click; every point moves with it.
  EXPECT_EQ(c_.shapes().at(0).points[0], QPoint(250, 200));
  EXPECT_EQ(c_.shapes().at(0).points[1], QPoint(350, 200));
  EXPECT_EQ(c_.shapes().at(0).points[6], QPoint(300, 220));
  EXPECT_GT(c_.contentChanges(), changes);

  // A right click abandons a move; the circle's reference is its centre.
  click(c_, {450, 300});
  ASSERT_TRUE(c_.shapes().at(1).selected);
  ASSERT_TRUE(c_.startMove());
  moveTo(c_, {100, 300});
  rightClick(c_, {100, 300});
  EXPECT_FALSE(c_.movingOutline());
  EXPECT_EQ(c_.shapes().at(1).points[0], QPoint(400, 300));
  ASSERT_TRUE(c_.startMove());
  click(c_, {100, 300});
  EXPECT_EQ(c_.shapes().at(1).points[0], QPoint(100, 300));
}

TEST_F(CanvasControllerTest, SelectAtTheHitRuleBoundaries) {
  MeasureShape flat;
  flat.kind = ShapeKind::AutoLineLength1;
  flat.points = {{100, 100}, {200, 120}, {0, 0}};
  MeasureShape steep = flat;
  steep.points = {{100, 100}, {120, 200}, {0, 0}};
  MeasureShape rect;
  rect.kind = ShapeKind::Rectangle;
  rect.points = {{100, 100}, {200, 150}, {0, 0}};
  MeasureShape circle;
  circle.kind = ShapeKind::ThreePointCircle;
  circle.points = {{300, 300}, {300, 200}, {200, 300}, {400, 300}, {0, 0}};
  MeasureShape two;
  two.kind = ShapeKind::TwoCircles;
  two.points = {{300, 200}, {0, 0}, {0, 0}, {300, 300}};
  MeasureShape text;
  text.kind = ShapeKind::Text;
  text.points = {{100, 100}, {160, 160}};
  const struct {
    const MeasureShape& shape;
    QPoint click;
    bool hit;
  } cases[] = {
      {flat, {150, 113}, true},    {flat, {150, 114}, false},  {flat, {150, 107}, true},    {flat, {150, 106}, false},
      {flat, {201, 120}, false},   {steep, {113, 150}, true},  {steep, {114, 150}, false},  {steep, {107, 150}, true},
      {rect, {98, 120}, true},     {rect, {97, 120}, false},   {rect, {102, 120}, true},    {rect, {103, 120}, false},
      {rect, {150, 152}, true},    {rect, {150, 153}, false},  {rect, {150, 125}, false},   {circle, {300, 398}, true},
      {circle, {300, 397}, false}, {circle, {300, 402}, true}, {circle, {300, 403}, false}, {two, {300, 398}, true},
      {two, {300, 397}, false},    {text, {92, 92}, true},     {text, {91, 120}, false},    {text, {168, 168}, true},
      {text, {169, 120}, false},
  };
  for (const auto& t : cases) {
    EXPECT_EQ(hitsShape(t.shape, t.click), t.hit)
        << static_cast<int>(t.shape.kind) << " at " << t.click.x() << "," << t.click.y();
  }

  // The first shape hit in list order is selected, the others deselected; a miss changes nothing.
  for (const MeasureShape* s : {&flat, &rect}) c_.shapes().append(std::make_unique<MeasureShape>(*s));
  use(ToolMode::Select, kMeasureFlagIdle);
  click(c_, {150, 150});
  EXPECT_TRUE(c_.shapes().at(1).selected);
  click(c_, {400, 400});
  EXPECT_TRUE(c_.shapes().at(1).selected);
  click(c_, {100, 100});  // on both: the older one wins
  EXPECT_TRUE(c_.shapes().at(0).selected);
  EXPECT_FALSE(c_.shapes().at(1).selected);
  // A new tool clears the selection.
  use(ToolMode::Line);
  EXPECT_FALSE(c_.shapes().at(0).selected);
}

TEST_F(CanvasControllerTest, AutomaticToolsAskTheDetector) {
  // Points the detector cannot place count as clicked.
  use(ToolMode::AutoLineLength2);
  detector_.snap = [](QPoint p) -> std::optional<QPoint> {
    if (p.y() == 150) return std::nullopt;
    return QPoint(100, p.y());
  };
  clicks(c_, {{98, 50}, {103, 100}, {100, 150}});
  EXPECT_EQ(detector_.snaps.size(), 3);
  rightClick(c_, {300, 300});
  ASSERT_EQ(c_.shapes().count(), 1);
  // A vertical edge: the ends split by their place along the line, not by x (which they all share).
  EXPECT_EQ(last().points.mid(0, 2), (QList<QPoint>{{100, 50}, {100, 150}}));
  EXPECT_EQ(last().labels, QStringList{"L:2.96mm"});

  // Line spacing: the middle of the first edge and its foot on the second.
  c_.shapes().destroyAll();
  use(ToolMode::AutoLineSpacing);
  detector_.along = [](QPoint a, QPoint) -> std::optional<Segment> {
    const int y = a.y() < 200 ? 150 : 250;
    return Segment{{100, y}, {300, y}};
  };
  clicks(c_, {{200, 140}, {200, 160}, {210, 240}, {210, 260}});
  ASSERT_EQ(c_.shapes().count(), 1);
  EXPECT_EQ(last().kind, ShapeKind::AutoLineSpacing);
  EXPECT_EQ(last().points.mid(0, 2), (QList<QPoint>{{200, 150}, {200, 250}}));
  EXPECT_EQ(last().labels, QStringList{"L:2.96mm"});
  // Without edges, the middles of the strokes.
  detector_.along = nullptr;
  use(ToolMode::AutoLineSpacing);
  clicks(c_, {{200, 140}, {200, 160}, {200, 240}, {200, 260}});
  EXPECT_EQ(last().points.mid(0, 2), (QList<QPoint>{{200, 150}, {200, 250}}));

  // Angle: the two detected lines, or the strokes themselves.
  use(ToolMode::AutoAngle);
  clicks(c_, {{100, 100}, {300, 100}, {100, 100}, {100, 300}});
  EXPECT_EQ(last().kind, ShapeKind::AutoAngle);
  EXPECT_EQ(last().labels, QStringList{"90.00\u00B0"});

  // Line length 1: the edge found in the stroke's box.
  detector_.inBox = Segment{{120, 100}, {220, 100}};
  use(ToolMode::AutoLineLength1);
  clicks(c_, {{110, 102}, {230, 98}});
  EXPECT_EQ(last().points.mid(0, 2), (QList<QPoint>{{120, 100}, {220, 100}}));

  // The live view's automatic tools complete by themselves.
  c_.shapes().destroyAll();
  c_.setAutoComplete(true);
  detector_.snap = nullptr;
  use(ToolMode::AutoArc);
  clicks(c_, {{100, 200}, {200, 100}});
  EXPECT_EQ(c_.shapes().count(), 0);
  click(c_, {300, 200});
  ASSERT_EQ(c_.shapes().count(), 1);
  EXPECT_EQ(last().kind, ShapeKind::AutoArc);
}

TEST_F(CanvasControllerTest, CalibrationHandOff) {
  // Started at magnification 20 on a 640 x 480 picture: reference 20, rate 10, size scale 0.5.
  use(ToolMode::ParallelLine);
  c_.setCalibrationMode(true);
  host_.distance = 2.0;
  clicks(c_, {{100, 100}, {200, 100}});
  EXPECT_EQ(host_.asked, 1);
  ASSERT_EQ(host_.measured.size(), 1u);
  EXPECT_DOUBLE_EQ(host_.measured[0], 100 * kMmFactor * 10 / (2.0 * 0.5));
  EXPECT_EQ(last().labels, QStringList{"L:2.00mm"});
  EXPECT_FALSE(c_.calibrationMode());
  EXPECT_TRUE(c_.inCycle());  // the label is then placed as usual
  click(c_, {5, 5});

  // Cancelled: the label from the reference scaled by the size scale, nothing reported.
  c_.setRate(ViewRate{20, 10}, 0.5);
  c_.setCalibrationMode(true);
  host_.distance.reset();
  clicks(c_, {{100, 100}, {200, 100}});
  EXPECT_EQ(host_.measured.size(), 1u);
  EXPECT_EQ(last().labels, QStringList{"L:2.96mm"});
}

TEST_F(CanvasControllerTest, EdgePortionAndConfinement) {
  use(ToolMode::EdgePortion);
  c_.handle(CanvasEvent::Press, CanvasButton::Left, {100, 100});
  moveTo(c_, {700, 300});
  ASSERT_TRUE(c_.feedback().edgeSelection);
  EXPECT_EQ(*c_.feedback().edgeSelection, QRect(QPoint(100, 100), QPoint(639, 300)));
  const auto changes = c_.contentChanges();
  c_.handle(CanvasEvent::Release, CanvasButton::Left, {700, 300});
  EXPECT_EQ(detector_.overlays, QList<QRect>{QRect(QPoint(100, 100), QPoint(639, 300))});
  EXPECT_GT(c_.contentChanges(), changes);
  click(c_, {50, 50});
  EXPECT_EQ(host_.warnings, std::vector<std::string>{"SelectSection"});

  // Clicks outside the picture are ignored; moves during a cycle are clamped, for a radius circle to the
  // square that keeps the circle inside.
  use(ToolMode::RadiusCircle);
  click(c_, {700, 100});
  EXPECT_FALSE(c_.inCycle());
  click(c_, {100, 200});
  EXPECT_EQ(c_.confinement(), QRect(QPoint(0, 100), QPoint(200, 300)));
  moveTo(c_, {400, 50});
  EXPECT_EQ(c_.mouse(), QPoint(200, 100));
  EXPECT_EQ(c_.feedback().circles.value(0).radius, 141);
}

}  // namespace
}  // namespace lumivex
