#include "measure/comparison_object.h"
#include "measure/live_marks.h"
#include "measure/live_shapes.h"
#include "measure/live_snapshot.h"
#include "measure/values_dialog.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace lumivex {
namespace {

MeasureShape named(int id) {
  MeasureShape shape;
  shape.kind = ShapeKind::Line;
  shape.points = {QPoint(id, id), QPoint(id + 10, id)};
  return shape;
}

std::vector<int> ids(const LiveShapeList& list) {
  std::vector<int> out;
  for (const MeasureShape& s : list.shapes()) out.push_back(s.points[0].x());
  return out;
}

// Sequences of draw (a number), undo (-1), redo (-2) and delete all (-3), with the list after them.
TEST(LiveShapeListTest, UndoRedoSequences) {
  struct Case {
    std::string name;
    std::vector<int> steps;
    std::vector<int> expected;
  };
  const std::vector<Case> cases = {
      {"undo undo redo redo redo", {1, 2, 3, -1, -1, -2, -2, -2}, {1, 2, 3}},
      {"a new shape after undo empties the redo stack", {1, 2, 3, -1, 4, -2}, {1, 2, 4}},
      {"redo without undo does nothing", {1, 2, -2}, {1, 2}},
      {"undo past the start", {1, -1, -1, -2}, {1}},
      {"delete all forgets redo", {1, 2, -1, -3, -2}, {}},
      {"delete all resets the watermark", {1, 2, -1, -3, 5, 6, -1, -2}, {5, 6}},
      {"undo redo undo", {1, 2, -1, -2, -1}, {1}},
  };
  for (const Case& c : cases) {
    LiveShapeList list;
    for (const int step : c.steps) {
      if (step == -1) {
        list.undo();
      } else if (step == -2) {
        list.redo();
      } else if (step == -3) {
        list.clear();
      } else {
        list.append(named(step));
      }
    }
    EXPECT_EQ(ids(list), c.expected) << c.name;
  }
}

TEST(ComparisonObjectTest, RulerOfOneMillimetreAtRateTen) {
  const DrawingStyle style;
  const auto ruler = makeRuler({100, 100}, {200, 110}, 1.0, 0.02963, 10, 3, QStringLiteral("mm"), style);
  ASSERT_TRUE(ruler);
  EXPECT_EQ(ruler->points, (QList<QPoint>{{100, 100}, {134, 100}}));
  EXPECT_EQ(ruler->labels.value(0), QStringLiteral("L:1.000mm"));
  // Mostly vertical clicks: a vertical ruler, labelled with the factor it was drawn with (1280 x 960).
  const auto vertical = makeRuler({10, 10}, {12, 90}, 1.0, 0.02963 * 2, 10, 3, QStringLiteral("mm"), style);
  ASSERT_TRUE(vertical);
  EXPECT_EQ(vertical->points[1], QPoint(10, 27));
  EXPECT_EQ(vertical->labels.value(0), QStringLiteral("L:1.000mm"));
}

TEST(ComparisonObjectTest, RulerReadingRounding) {
  // 34 px at 0.02963: 1.00742 keeps its hundredths 0 by cutting; 35 px: 1.03705 rounds to 1.04.
  EXPECT_DOUBLE_EQ(rulerReading(34, 0.02963, 10), 1.00);
  EXPECT_DOUBLE_EQ(rulerReading(35, 0.02963, 10), 1.04);
  EXPECT_DOUBLE_EQ(rulerReading(41, 0.02963, 10), 1.21);  // 1.21483 rounds down
}

TEST(ComparisonObjectTest, DialogValuesAreValidated) {
  struct Case {
    QString text;
    bool accepted;
  };
  for (const Case& c : std::vector<Case>{{"1.0", true},
                                         {"0.05", true},
                                         {"0", false},
                                         {"-1", false},
                                         {"abc", false},
                                         {"", false},
                                         {"inf", false},
                                         {"nan", false}}) {
    EXPECT_EQ(positiveValue(c.text).has_value(), c.accepted) << c.text.toStdString();
  }
  // A length far beyond any screen is no ruler.
  EXPECT_FALSE(pixelsOf(1e12, 0.02963, 10));
  EXPECT_EQ(pixelsOf(1.0, 0.02963, 10), 34);

  struct Vertex {
    QString x, y;
    bool accepted;
  };
  for (const Vertex& v : std::vector<Vertex>{{"100", "100", true},
                                             {"1", "1", true},
                                             {"639", "480", true},
                                             {"640", "100", false},
                                             {"0", "100", false},
                                             {"100", "0", false},
                                             {"100", "481", false},
                                             {"1.5", "100", false},
                                             {"x", "100", false}}) {
    EXPECT_EQ(gaugeVertex(v.x, v.y).has_value(), v.accepted) << v.x.toStdString() << "," << v.y.toStdString();
  }
}

TEST(ComparisonObjectTest, AngleGaugeStartsAsARightAngle) {
  const ComparisonObject gauge = makeAngleGauge({100, 100}, DrawingStyle{});
  EXPECT_EQ(gauge.points, (QList<QPoint>{{100, 100}, {100, 0}, {300, 100}}));
  EXPECT_EQ(gauge.labels.value(0), QString::fromUtf8("90.00°"));
  // Near the edges the arms are cut at the area, and still have a length.
  const ComparisonObject corner = makeAngleGauge({639, 1}, DrawingStyle{});
  EXPECT_EQ(corner.points, (QList<QPoint>{{639, 1}, {639, 0}, {640, 1}}));
  EXPECT_EQ(corner.labels.value(0), QString::fromUtf8("90.00°"));
  // Dragging an arm end changes the angle; onto the vertex it does not move.
  ComparisonObject dragged = gauge;
  dragComparison(dragged, 1, {}, {200, 0});
  EXPECT_EQ(dragged.labels.value(0), QString::fromUtf8("45.00°"));
  dragComparison(dragged, 2, {}, {100, 100});
  EXPECT_EQ(dragged.points[2], QPoint(300, 100));
}

TEST(ComparisonObjectTest, ToleranceCircleRadii) {
  const auto circle = makeToleranceCircle(1.0, 0.05, 0.05, 0.02963, 10, 3, QStringLiteral("mm"), DrawingStyle{});
  ASSERT_TRUE(circle);
  EXPECT_EQ(circle->points.value(0), QPoint(320, 240));
  EXPECT_EQ(circle->radii, (std::array<int, 3>{34, 2, 2}));
  EXPECT_EQ(circle->labels, (QStringList{"R:1.000mm", "R+:0.050mm", "R-:0.050mm"}));
  EXPECT_FALSE(makeToleranceCircle(1.0, -0.05, 0.05, 0.02963, 10, 3, QStringLiteral("mm"), DrawingStyle{}));
  EXPECT_FALSE(makeToleranceCircle(0, 0.05, 0.05, 0.02963, 10, 3, QStringLiteral("mm"), DrawingStyle{}));
}

TEST(ComparisonObjectTest, HitsPreferTheNewestObject) {
  QList<ComparisonObject> objects;
  objects.append(*makeRuler({100, 240}, {200, 240}, 10.0, 0.02963, 10, 3, QStringLiteral("mm"), DrawingStyle{}));
  objects.append(*makeToleranceCircle(1.0, 0.05, 0.05, 0.02963, 10, 3, QStringLiteral("mm"), DrawingStyle{}));
  const auto onCircle = hitComparison(objects, {330, 240});
  ASSERT_TRUE(onCircle);
  EXPECT_EQ(onCircle->object, 1);
  const auto onRuler = hitComparison(objects, {110, 257});  // inside the 36-pixel band
  ASSERT_TRUE(onRuler);
  EXPECT_EQ(onRuler->object, 0);
  EXPECT_FALSE(hitComparison(objects, {110, 260}));
}

std::vector<int> offsets(const std::vector<AxisMark>& marks, std::size_t count) {
  std::vector<int> out;
  for (std::size_t i = 0; i < marks.size() && i < count; ++i) out.push_back(marks[i].offset);
  return out;
}

// Graduations against positions worked out by hand: the first pixel k with k x pixel size within the
// tolerance of (or past) each value.
TEST(LiveMarksTest, ScaleGraduationsByHand) {
  struct Case {
    std::string name;
    QString unit;
    double rate;
    int width, height;
    std::vector<int> expected;  // first marks
    std::size_t longIndex;      // a mark that is long, with its label
    QString label;
  };
  const std::vector<Case> cases = {
      // 0.02963 mm per pixel, step 0.5, tolerance doubled to 0.02963.
      {"mm 640 rate 10", "mm", 10, 640, 480, {16, 33, 50, 67}, 1, "1.00"},
      // 0.074075 mm per pixel is wider than the band: 1.0 mm falls between pixels 13 and 14.
      {"mm 1600 rate 10", "mm", 10, 1600, 1200, {7, 14, 20, 27}, 1, "1.00"},
      // 320 x 240: half a video pixel per capture pixel, 0.014815 mm.
      {"mm 320 rate 10", "mm", 10, 320, 240, {32, 66}, 1, "1.00"},
      {"cm 640 rate 10", "cm", 10, 640, 480, {15}, 1, "0.10"},
      // 0.233307 mil per pixel, step 10, every 5th long.
      {"mil 640 rate 50", "mil", 50, 640, 480, {38, 81, 124, 167, 210}, 4, "50.00"},
      {"inch 640 rate 150", "inch", 150, 640, 480, {99, 228}, 99, ""},
  };
  for (const Case& c : cases) {
    const double ps = overlayVideoPixelSize(c.unit, c.rate, c.width, c.height);
    const std::vector<AxisMark> marks = scaleMarks(c.unit, c.rate, ps, 320);
    EXPECT_EQ(offsets(marks, c.expected.size()), c.expected) << c.name;
    if (c.longIndex < marks.size()) {
      EXPECT_TRUE(marks[c.longIndex].longMark) << c.name;
      EXPECT_EQ(marks[c.longIndex].label, c.label) << c.name;
      EXPECT_FALSE(marks[0].longMark) << c.name;
    }
  }
  // Outside 10..200 only the cross is drawn.
  EXPECT_TRUE(scaleMarks("mm", 300, overlayVideoPixelSize("mm", 300, 640, 480), 320).empty());
  EXPECT_TRUE(scaleMarks("mm", 9, overlayVideoPixelSize("mm", 9, 640, 480), 320).empty());
  // Wherever the tolerance rule matches every value, one mark per value: 640 mm rate 10 has 19 in 320 px.
  EXPECT_EQ(scaleMarks("mm", 10, overlayVideoPixelSize("mm", 10, 640, 480), 320).size(), 19u);
}

TEST(LiveMarksTest, CircleRingsByHand) {
  // mm at 640, rate 10: ring 0.5 at pixel 17 (0.5037 mm), labelled below rate 45.
  const auto mm = circleMarks("mm", 10, overlayVideoPixelSize("mm", 10, 640, 480), 240, CaptureClass::Other);
  EXPECT_EQ(offsets(mm, 2), (std::vector<int>{17, 34}));
  EXPECT_EQ(mm[0].label, QStringLiteral("0.5"));
  // cm rings with the cm tolerance land on their radius (168 px = 0.4978 cm), not 5 px inside (164).
  const auto cm = circleMarks("cm", 10, overlayVideoPixelSize("cm", 10, 640, 480), 240, CaptureClass::Other);
  EXPECT_EQ(offsets(cm, 1), std::vector<int>{168});
  // No labels from the label limit on.
  const auto fast = circleMarks("mm", 50, overlayVideoPixelSize("mm", 50, 640, 480), 240, CaptureClass::Other);
  ASSERT_FALSE(fast.empty());
  EXPECT_TRUE(fast[0].label.isEmpty());
  // Still pixel sizes agree with the video ones divided by the capture factor at every size.
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1600, 1200}, {1280, 1024}, {640, 480}, {320, 240}}) {
    EXPECT_NEAR(overlayVideoPixelSize("mm", 20, w, h) / liveSizeFactor(w, h), overlayStillPixelSize("mm", 20), 1e-12);
  }
}

TEST(LiveSnapshotTest, ReadersNeverSeeAHalfPublishedSnapshot) {
  auto slot = std::make_shared<LiveSnapshotSlot>();
  LiveShapesOverlay shapes(slot);
  LiveComparisonOverlay comparison(slot);
  std::atomic<bool> stop{false};
  std::atomic<int> frames{0};
  std::thread reader([&] {
    QImage image(640, 480, QImage::Format_RGB32);
    while (!stop.load()) {
      image.fill(Qt::black);
      QPainter painter(&image);
      shapes.draw(painter, image.size(), 1.0, 1.0);
      comparison.draw(painter, image.size(), 1.0, 1.0);
      const auto s = slot->current();
      // Every snapshot is published whole: as many comparison objects as shapes.
      if (s && s->shapes) {
        EXPECT_EQ(static_cast<int>(s->shapes->size()), s->comparisons.size());
      }
      ++frames;
    }
  });
  for (int i = 0; i < 200 || frames.load() < 5; ++i) {
    auto s = std::make_shared<LiveSnapshot>();
    auto list = std::make_shared<std::vector<MeasureShape>>();
    for (int j = 0; j < i % 7; ++j) {
      list->push_back(named(10 + j * 20));
      s->comparisons.append(makeAngleGauge({100 + j, 300}, DrawingStyle{}));
    }
    s->shapes = std::move(list);
    slot->publish(std::move(s));
    if (i > 100000) break;
  }
  stop = true;
  reader.join();
  EXPECT_GE(frames.load(), 5);
}

}  // namespace
}  // namespace lumivex
