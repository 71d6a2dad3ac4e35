#include "measure/detection/hough_search.h"
#include "measure/detection/region_line_detect.h"
#include "measure/detection/region_line_marking.h"

#include "tests/measure/detection/detection_pictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace lumivex::detection {
namespace {

using test::distanceToLine;
using test::TestPicture;

QRect box(int l, int t, int r, int b) { return QRect(QPoint(l, t), QPoint(r, b)); }

double angleBetween(const LineSegment& s, double degrees) {
  double a = std::atan2(s.p2.y() - s.p1.y(), s.p2.x() - s.p1.x()) * 180.0 / std::numbers::pi - degrees;
  a = std::fmod(std::fmod(a, 180.0) + 180.0, 180.0);
  return std::min(a, 180.0 - a);
}

TEST(RegionLineDetect, FindsStraightEdgesAtSeveralAngles) {
  // An edge through the region's centre, marked with the class its direction belongs to. The outline is
  // the row of dark pixels touching bright ones, so the segment runs parallel to the true edge up to two
  // pixels (a diagonal step) on its dark side.
  struct Case {
    double degrees;  // direction on screen, y downwards
    OrientationClass orientation;
  };
  const Case cases[] = {
      {90.0, OrientationClass::kVertical},  {0.0, OrientationClass::kHorizontal}, {45.0, OrientationClass::kDownRight},
      {-45.0, OrientationClass::kUpRight},  {84.0, OrientationClass::kVertical},  {3.5, OrientationClass::kHorizontal},
      {40.0, OrientationClass::kDownRight}, {-50.0, OrientationClass::kUpRight},
  };
  for (const Case& c : cases) {
    TestPicture picture(320, 240);
    const QPointF through(160.3, 120.6);
    picture.halfPlane(through, c.degrees);
    const QRect region = box(100, 60, 220, 180);
    const auto s = RegionLineDetect(picture.view(), region, c.orientation);
    ASSERT_TRUE(s) << c.degrees;
    EXPECT_LE(distanceToLine(QPointF(s->p1), through, c.degrees), 2.0) << c.degrees;
    EXPECT_LE(distanceToLine(QPointF(s->p2), through, c.degrees), 2.0) << c.degrees;
    EXPECT_LT(angleBetween(*s, c.degrees), 1.5) << c.degrees;
    EXPECT_TRUE(region.contains(s->p1) && region.contains(s->p2)) << c.degrees;

    const auto d = RegionLineDetectDilated(picture.view(), region);
    ASSERT_TRUE(d) << c.degrees;
    EXPECT_LE(distanceToLine(QPointF(d->p1), through, c.degrees), 2.5) << c.degrees;
    EXPECT_LE(distanceToLine(QPointF(d->p2), through, c.degrees), 2.5) << c.degrees;
  }
}

TEST(RegionLineDetect, SameAnswerForEitherRowOrderAndEveryRun) {
  TestPicture up(200, 150, 255, true), down(200, 150, 255, false);
  for (TestPicture* p : {&up, &down}) {
    p->halfPlane(QPointF(100, 75), 70.0);
    p->disc(QPointF(60, 40), 9.0);
  }
  const QRect region = box(30, 10, 170, 140);
  const auto first = RegionLineDetect(up.view(), region, OrientationClass::kDownRight);
  ASSERT_TRUE(first);
  EXPECT_EQ(RegionLineDetect(down.view(), region, OrientationClass::kDownRight), first);
  EXPECT_EQ(RegionLineDetect(up.view(), region, OrientationClass::kDownRight), first);
}

TEST(RegionLineDetect, NothingToFind) {
  TestPicture uniform(120, 100, 90);
  TestPicture edged(120, 100);
  edged.halfPlane(QPointF(60, 50), 90.0);
  struct Case {
    const char* name;
    const TestPicture* picture;
    QRect region;
    OrientationClass orientation;
  };
  const Case cases[] = {
      {"uniform region", &uniform, box(10, 10, 100, 90), OrientationClass::kVertical},
      {"edge outside the band", &edged, box(55, 10, 115, 90), OrientationClass::kVertical},
      {"region outside the picture", &edged, box(200, 10, 260, 90), OrientationClass::kVertical},
      {"one column wide", &edged, box(60, 10, 60, 90), OrientationClass::kVertical},
      {"diagonal of five", &edged, box(58, 40, 61, 43), OrientationClass::kVertical},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(RegionLineDetect(c.picture->view(), c.region, c.orientation)) << c.name;
  }
  BgrView eightBit = edged.view();
  eightBit.bitsPerPixel = 8;
  EXPECT_FALSE(RegionLineDetect(eightBit, box(10, 10, 110, 90), OrientationClass::kVertical));
  EXPECT_FALSE(RegionLineDetectDilated(eightBit, box(10, 10, 110, 90)));
}

TEST(RegionLineDetect, RegionReachingPastThePictureIsClipped) {
  // A marking near the border widens past it; the part inside is searched instead of memory outside.
  TestPicture picture(100, 100);
  picture.halfPlane(QPointF(15, 50), 90.0);
  const auto s = RegionLineDetect(picture.view(), box(-25, 10, 55, 90), OrientationClass::kVertical);
  ASSERT_TRUE(s);
  EXPECT_NEAR(s->p1.x(), 15, 1);
  EXPECT_NEAR(s->p2.x(), 15, 1);
}

TEST(HoughSearch, VoteBoundGivesTheSameSegmentsAsTheFullSearch) {
  std::mt19937 random(11);
  for (int round = 0; round < 40; ++round) {
    const int w = 20 + static_cast<int>(random() % 60);
    const int h = 20 + static_cast<int>(random() % 60);
    BinaryImage image(w, h, 0);
    const int lines = static_cast<int>(random() % 4);
    for (int l = 0; l < lines; ++l) {
      const double x0 = random() % w, y0 = random() % h, x1 = random() % w, y1 = random() % h;
      for (int i = 0; i <= 100; ++i) {
        const int x = static_cast<int>(x0 + (x1 - x0) * i / 100.0);
        const int y = static_cast<int>(y0 + (y1 - y0) * i / 100.0);
        image.row(y)[x] = 255;
      }
    }
    const int noise = static_cast<int>(random() % 40);
    for (int i = 0; i < noise; ++i) image.row(static_cast<int>(random() % h))[random() % w] = 255;
    for (int lowest : {6, 11}) {
      EXPECT_EQ(shortestHoughSegment(image, lowest, HoughStart::kVoteBound),
                shortestHoughSegment(image, lowest, HoughStart::kDiagonal))
          << "round " << round << " lowest " << lowest;
    }
    // No transform above the bound finds anything.
    EXPECT_TRUE(houghSegments(image, houghVoteBound(image) + 1).empty()) << round;
  }
}

TEST(HoughSearch, ShortestSegmentTruncatesAndTakesTheLastOfEqualOnes) {
  struct Case {
    const char* name;
    std::vector<BufferSegment> segments;
    int expected;
  };
  const std::vector<Case> cases = {
      {"empty", {}, -1},
      {"one", {{0, 0, 3, 4}}, 0},
      {"equal lengths", {{0, 0, 3, 4}, {10, 10, 10, 5}, {9, 9, 9, 20}}, 1},
      {"5.9 and 5.1 both count as 5", {{0, 0, 5, 3}, {0, 0, 5, 1}, {0, 0, 0, 8}}, 1},
      {"shorter later", {{0, 0, 0, 5}, {0, 0, 0, 4}}, 1},
      {"shorter earlier", {{0, 0, 0, 4}, {0, 0, 0, 5}}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(shortestSegmentIndex(c.segments), c.expected) << c.name;
}

TEST(RegionMarking, TableRows) {
  using O = OrientationClass;
  struct Case {
    const char* name;
    QPoint p1, p2;
    QRect region;
    O orientation;
  };
  const Case cases[] = {
      {"right and down", {100, 100}, {150, 160}, box(100, 100, 150, 160), O::kDownRight},
      {"exactly vertical down: 40 wider", {100, 100}, {100, 160}, box(80, 100, 120, 160), O::kVertical},
      {"down, slightly right", {100, 100}, {110, 160}, box(80, 100, 130, 160), O::kDownRight},
      {"down, slightly left", {100, 100}, {90, 160}, box(70, 100, 120, 160), O::kUpRight},
      {"left and down", {150, 100}, {100, 160}, box(100, 100, 150, 160), O::kUpRight},
      {"exactly horizontal right", {100, 100}, {160, 100}, box(100, 80, 160, 120), O::kHorizontal},
      {"right, slightly up", {100, 100}, {160, 95}, box(100, 75, 160, 120), O::kUpRight},
      {"right, slightly down", {100, 100}, {160, 105}, box(100, 80, 160, 125), O::kDownRight},
      {"left and up", {150, 160}, {100, 100}, box(100, 100, 150, 160), O::kDownRight},
      {"exactly vertical up", {100, 160}, {100, 100}, box(80, 100, 120, 160), O::kVertical},
      {"up, slightly right runs up to the right", {100, 160}, {110, 100}, box(80, 100, 130, 160), O::kUpRight},
      {"up, slightly left runs down to the right", {100, 160}, {90, 100}, box(70, 100, 120, 160), O::kDownRight},
      {"right and up", {100, 160}, {150, 100}, box(100, 100, 150, 160), O::kUpRight},
      {"exactly horizontal left", {160, 100}, {100, 100}, box(100, 80, 160, 120), O::kHorizontal},
      {"left, slightly down", {160, 100}, {100, 105}, box(100, 80, 160, 125), O::kUpRight},
      {"left, slightly up", {160, 100}, {100, 95}, box(100, 75, 160, 120), O::kDownRight},
      // An extent of exactly 20 counts as under 20.
      {"dx exactly 20", {100, 100}, {120, 160}, box(80, 100, 140, 160), O::kDownRight},
      {"dy exactly 20", {100, 100}, {160, 120}, box(100, 80, 160, 140), O::kDownRight},
      {"dx 21 is diagonal", {100, 100}, {121, 160}, box(100, 100, 121, 160), O::kDownRight},
      // Both extents small: the later row (rightward, upward, leftward) replaces the earlier one.
      {"small down-right: rightward row", {100, 100}, {105, 104}, box(100, 80, 105, 124), O::kDownRight},
      {"small up-right: upward row", {100, 100}, {105, 96}, box(80, 96, 125, 100), O::kUpRight},
      {"small down-left: leftward row", {100, 100}, {95, 104}, box(95, 80, 100, 124), O::kUpRight},
  };
  for (const Case& c : cases) {
    const auto m = regionFromMarking(c.p1, c.p2);
    ASSERT_TRUE(m) << c.name;
    EXPECT_EQ(m->region, c.region) << c.name;
    EXPECT_EQ(m->orientation, c.orientation) << c.name;
  }
  EXPECT_FALSE(regionFromMarking(QPoint(5, 5), QPoint(5, 5)));
}

TEST(RegionMarking, LineSpacingAndAngleCombinations) {
  const LineSegment markA{{10, 50}, {30, 52}}, markB{{90, 50}, {110, 60}};
  struct Case {
    const char* name;
    std::optional<LineSegment> first, second;
    SpacingPoints expected;
  };
  const Case cases[] = {
      {"vertical second line", LineSegment{{20, 10}, {20, 91}}, LineSegment{{60, 0}, {60, 100}}, {{20, 50}, {60, 50}}},
      {"horizontal second line", LineSegment{{0, 10}, {10, 10}}, LineSegment{{0, 40}, {100, 40}}, {{5, 10}, {5, 40}}},
      // M = (0, 10) onto y = x: foot (5, 5).
      {"diagonal second line", LineSegment{{0, 0}, {0, 21}}, LineSegment{{0, 0}, {50, 50}}, {{0, 10}, {5, 5}}},
      // M = (0, 0) onto y = 2x + 5: foot (-2, 1).
      {"steep second line", LineSegment{{0, 0}, {0, 1}}, LineSegment{{0, 5}, {10, 25}}, {{0, 0}, {-2, 1}}},
      {"first failed", std::nullopt, LineSegment{{60, 0}, {60, 100}}, {{20, 51}, {100, 55}}},
      {"second failed", LineSegment{{20, 10}, {20, 90}}, std::nullopt, {{20, 51}, {100, 55}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(lineSpacingPoints(c.first, c.second, markA, markB), c.expected) << c.name;
  }
  const LineSegment s1{{1, 2}, {3, 4}}, s2{{5, 6}, {7, 8}};
  EXPECT_EQ(angleToolPoints(s1, s2, markA, markB), (std::array<QPoint, 4>{QPoint(1, 2), {3, 4}, {5, 6}, {7, 8}}));
  EXPECT_EQ(angleToolPoints(s1, std::nullopt, markA, markB),
            (std::array<QPoint, 4>{QPoint(10, 50), {30, 52}, {90, 50}, {110, 60}}));
}

TEST(RegionMarking, ParallelEdgesAtAKnownSpacing) {
  // A dark band between two vertical edges; each edge is marked by a horizontal-ish stroke crossing it
  // (as the line-spacing tool is used), detected, and the spacing read from midpoint and foot.
  for (double spacing : {24.0, 37.5, 61.0}) {
    TestPicture picture(320, 240);
    const double left = 120.0;
    picture.box(left, 0, left + spacing, 240);
    const auto first = regionFromMarking(QPoint(100, 100), QPoint(100, 160));
    const int right = static_cast<int>(left + spacing);
    const auto second = regionFromMarking(QPoint(right, 100), QPoint(right, 160));
    ASSERT_TRUE(first && second);
    // The vertical marking's region is centred on the stroke: move the first onto the left edge.
    const QRect firstRegion = first->region.translated(20, 0);
    const auto a = RegionLineDetect(picture.view(), firstRegion, first->orientation);
    const auto b = RegionLineDetect(picture.view(), second->region, second->orientation);
    ASSERT_TRUE(a && b) << spacing;
    const SpacingPoints p = lineSpacingPoints(a, b, {}, {});
    // Each outline lies on the dark side of its edge, so the measured spacing is the band less about 1.
    EXPECT_NEAR(std::hypot(p.to.x() - p.from.x(), p.to.y() - p.from.y()), spacing - 1.0, 1.0) << spacing;
  }
}

}  // namespace
}  // namespace lumivex::detection
