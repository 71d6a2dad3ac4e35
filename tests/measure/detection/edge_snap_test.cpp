#include "measure/detection/edge_snap.h"
#include "measure/geometry.h"

#include "tests/measure/detection/detection_pictures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lumivex::detection {
namespace {

using test::TestPicture;

double distance(QPoint a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

TEST(EdgeSnap, BlackDiscFromItsCentreLandsOnTheRim) {
  TestPicture picture(80, 60);
  picture.disc(QPointF(40, 30), 12.0);
  const auto p = EdgeSnap(picture.view(), 40, 30, kDefaultDetectionRange);
  ASSERT_TRUE(p);
  // The first pixel of full contrast lies just outside the rim.
  EXPECT_NEAR(distance(*p, QPointF(40, 30)), 12.5, 1.0);
}

TEST(EdgeSnap, StrongerContrastWinsOverANearerWeakOne) {
  // A faint ring at radius 5 (contrast 150) and the disc's rim at 12 (contrast 255): level 160 is tried
  // first over every ring, so the far rim is found before the near ring.
  TestPicture picture(80, 60, 255);
  picture.disc(QPointF(40, 30), 12.0, 0);
  picture.paint([](double x, double y) { return std::abs(std::hypot(x - 40, y - 30) - 5.0) < 0.7; }, 150);
  const auto p = EdgeSnap(picture.view(), 40, 30, 20);
  ASSERT_TRUE(p);
  EXPECT_GT(distance(*p, QPointF(40, 30)), 10.0);

  // Without the rim the faint ring is found at a lower level.
  TestPicture faint(80, 60, 0);
  faint.paint([](double x, double y) { return std::abs(std::hypot(x - 40, y - 30) - 5.0) < 0.7; }, 150);
  const auto q = EdgeSnap(faint.view(), 40, 30, 20);
  ASSERT_TRUE(q);
  EXPECT_NEAR(distance(*q, QPointF(40, 30)), 5.0, 1.0);
}

TEST(EdgeSnap, ScansTheBottomRowFirst) {
  // Two qualifying pixels on ring 3, straight above and straight below the click: the lower one on screen
  // comes first in stored order, whichever way the buffer holds its rows.
  for (bool bottomUp : {true, false}) {
    TestPicture picture(21, 21, 0, bottomUp);
    picture.setGrey(10, 7, 255);
    picture.setGrey(10, 13, 255);
    const auto p = EdgeSnap(picture.view(), 10, 10, 8);
    ASSERT_TRUE(p);
    EXPECT_EQ(*p, QPoint(10, 13)) << bottomUp;
  }
}

TEST(EdgeSnap, Failures) {
  TestPicture uniform(50, 50, 128);
  TestPicture edged(50, 50);
  edged.box(0, 0, 25, 50);
  struct Case {
    const char* name;
    const TestPicture* picture;
    int x, y, radius;
    bool found;
  };
  const Case cases[] = {
      {"uniform", &uniform, 25, 25, 20, false},
      {"edge in range", &edged, 30, 25, 20, true},
      {"edge beyond range", &edged, 49, 25, 20, false},
      {"radius 1 has no ring", &edged, 26, 25, 1, false},
      {"radius 0", &edged, 26, 25, 0, false},
      {"click left of the picture", &edged, -3, 25, 20, false},
      {"click below the picture", &edged, 25, 50, 20, false},
      {"window clipped at the top", &edged, 20, 0, 20, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EdgeSnap(c.picture->view(), c.x, c.y, c.radius).has_value(), c.found) << c.name;
  }
  BgrView eightBit = edged.view();
  eightBit.bitsPerPixel = 8;
  EXPECT_FALSE(EdgeSnap(eightBit, 30, 25, 20));
}

TEST(EdgeSnap, SnappedPointsGiveTheCircle) {
  // The automatic circle tool: clicks inside a dark disc near its rim, snapped, then the least-squares fit.
  struct Case {
    double cx, cy, r;
  };
  for (const Case& c : {Case{60.3, 50.7, 14.5}, Case{100.0, 80.0, 40.0}, Case{75.5, 64.25, 25.0}}) {
    TestPicture picture(200, 160);
    picture.disc(QPointF(c.cx, c.cy), c.r);
    QList<QPoint> snapped;
    for (int i = 0; i < 8; ++i) {
      const double a = i * 0.7 + 0.2;
      const int x = static_cast<int>(std::lround(c.cx + (c.r - 6) * std::cos(a)));
      const int y = static_cast<int>(std::lround(c.cy + (c.r - 6) * std::sin(a)));
      const auto p = EdgeSnap(picture.view(), x, y, kDefaultDetectionRange);
      ASSERT_TRUE(p);
      snapped.append(*p);
    }
    const auto circle = lumivex::fitCircle(snapped);
    ASSERT_TRUE(circle);
    EXPECT_NEAR(circle->centre.x(), c.cx, 1.0);
    EXPECT_NEAR(circle->centre.y(), c.cy, 1.0);
    EXPECT_NEAR(circle->radius, c.r, 1.5);
  }
}

}  // namespace
}  // namespace lumivex::detection
