#include "measure/geometry.h"
#include "measure/shape_builder.h"

#include <cmath>
#include <numbers>
#include <random>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

const UnitConversion kMm2{0.02963, 10, 2, QStringLiteral("mm")};

QStringList labelsOf(const std::optional<MeasureShape>& shape) { return shape ? shape->labels : QStringList{}; }

TEST(WorkedExamples, ResultTexts) {
  UnitConversion mm3 = kMm2;
  mm3.decimals = 3;
  EXPECT_EQ(labelsOf(makeLine({10, 10}, {110, 10}, {0, 0}, kMm2)), QStringList{"L:2.96mm"});
  EXPECT_EQ(labelsOf(makeLine({10, 10}, {110, 10}, {0, 0}, mm3)), QStringList{"L:2.963mm"});
  EXPECT_EQ(labelsOf(makeRadiusCircle({200, 200}, {200, 300}, {0, 0}, kMm2)),
            (QStringList{"A:27.58mm2", "R:2.96mm", "G:18.62mm"}));
  EXPECT_EQ(labelsOf(makeDiameterCircle({100, 200}, {300, 200}, {0, 0}, kMm2)),
            (QStringList{"A:27.58mm2", "R:2.96mm", "G:18.62mm"}));
  EXPECT_EQ(labelsOf(makeRectangle({50, 80}, {150, 30}, {0, 0}, kMm2)),
            (QStringList{"A:4.39mm2", "W:2.96mm", "H:1.48mm"}));
  const QString degree = QString(QChar(0x00B0));
  EXPECT_EQ(labelsOf(makeAngle({200, 100}, {100, 100}, {100, 0}, {0, 0})), QStringList{"90.00" + degree});
  EXPECT_EQ(labelsOf(makeAngle({0, 100}, {100, 100}, {200, 100}, {0, 0})), QStringList{"180.00" + degree});
  EXPECT_EQ(labelsOf(makeAngle({200, 100}, {100, 100}, {0, 100}, {0, 0})), QStringList{"0.00" + degree});
  EXPECT_EQ(labelsOf(makeAngle({0, 0}, {100, 100}, {200, 200}, {0, 0})), QStringList{"0.00" + degree});
  // A 10 x 10 square counts 100 pixels: 100 * 0.02963^2 = 0.0878 mm2.
  EXPECT_EQ(polygonPixelCount({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), 100);
  EXPECT_EQ(labelsOf(makePolygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {0, 10}, kMm2)), QStringList{"A:0.09mm2"});

  MeasureShape continuous;
  continuous.kind = ShapeKind::ContinuousLine;
  continuous.labels = {"1.23mm", "2.00mm"};
  EXPECT_EQ(continuousTotalText(continuous, 2, "mm"), QStringLiteral("T:3.23mm"));
  continuous.labels = {"0.00mm", "0.00mm"};
  EXPECT_EQ(continuousTotalText(continuous, 2, "mm"), QString());
}

TEST(WorkedExamples, ArcClockwiseIsTheComplement) {
  // Points exactly on the circle of radius 100 around (200, 200).
  const QString degree = QString(QChar(0x00B0));
  const auto counterClockwise = makeArc({300, 200}, {280, 140}, {200, 100}, {0, 0}, kMm2);
  ASSERT_TRUE(counterClockwise);
  EXPECT_EQ(counterClockwise->labels[1], "Angle:90.00" + degree);
  // Traversed clockwise the raw sweep is 270; the arc shows 360 - 270.
  const auto clockwise = makeArc({200, 100}, {280, 140}, {300, 200}, {0, 0}, kMm2);
  ASSERT_TRUE(clockwise);
  EXPECT_EQ(clockwise->labels[1], "Angle:90.00" + degree);
  const auto large = makeArc({200, 100}, {140, 280}, {300, 200}, {0, 0}, kMm2);
  ASSERT_TRUE(large);
  EXPECT_EQ(large->labels[0], QStringLiteral("R:2.96mm"));
  EXPECT_EQ(large->labels[1], "Angle:270.00" + degree);
  // 270 degrees of a 100-pixel radius with 62.83: 270 * 100 * 0.02963 * 62.83 / 3600.
  EXPECT_EQ(large->labels[2], QStringLiteral("Arc:13.96mm"));
  EXPECT_EQ(large->points[4], QPoint(200, 200));
}

TEST(Refusals, ShapesThatCannotBeFormed) {
  EXPECT_FALSE(makeArc({0, 0}, {10, 10}, {20, 20}, {0, 0}, kMm2));
  EXPECT_FALSE(makeArc({0, 5}, {10, 5}, {20, 5}, {0, 0}, kMm2));
  EXPECT_FALSE(makeArc({0, 0}, {0, 0}, {20, 5}, {0, 0}, kMm2));
  EXPECT_FALSE(makeThreePointCircle({5, 0}, {5, 10}, {5, 20}, {0, 0}, kMm2));
  EXPECT_FALSE(makeThreePointCircle({0, 0}, {10, 20}, {20, 40}, {0, 0}, kMm2));
  EXPECT_FALSE(makeThreePointCircle({0, 0}, {0, 0}, {20, 40}, {0, 0}, kMm2));
  EXPECT_FALSE(
      makeTwoCircles({QPoint{0, 0}, {1, 1}, {2, 2}}, {}, {QPoint{0, 100}, {100, 0}, {200, 100}}, {}, {}, kMm2));
  EXPECT_FALSE(makeDotLine({5, 5}, {5, 5}, {20, 40}, {0, 0}, kMm2));
  EXPECT_FALSE(makeAngle({100, 100}, {100, 100}, {0, 0}, {0, 0}));
  EXPECT_FALSE(fitCircle({{0, 0}, {1, 1}}));
  EXPECT_FALSE(fitCircle({{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
  EXPECT_FALSE(makeAutoCircle({{0, 0}, {5, 0}, {10, 0}}, {}, kMm2));
  // Nearly collinear clicks across an actual-size view: the centre lies some 3.4e9 pixels away, beyond
  // what a stored point holds (it used to wrap into a wrong, for the arc even negative, radius).
  EXPECT_FALSE(makeThreePointCircle({0, 0}, {1500, 1}, {3001, 2}, {0, 0}, kMm2));
  EXPECT_FALSE(
      makeTwoCircles({QPoint{0, 0}, {1500, 1}, {3001, 2}}, {}, {QPoint{0, 100}, {100, 0}, {200, 100}}, {}, {}, kMm2));
  EXPECT_FALSE(makeArc({0, 0}, {1500, 1}, {3001, 2}, {0, 0}, kMm2));
  // Still a circle when the centre is merely far away.
  EXPECT_TRUE(makeThreePointCircle({0, 0}, {150, 1}, {301, 2}, {0, 0}, kMm2));
  EXPECT_TRUE(makeArc({0, 0}, {150, 1}, {301, 2}, {0, 0}, kMm2));
}

// Circumcentre by the determinant formula, independent of the slope method.
QPointF circumcentre(QPointF a, QPointF b, QPointF c) {
  const double d = 2 * (a.x() * (b.y() - c.y()) + b.x() * (c.y() - a.y()) + c.x() * (a.y() - b.y()));
  const double a2 = a.x() * a.x() + a.y() * a.y(), b2 = b.x() * b.x() + b.y() * b.y(),
               c2 = c.x() * c.x() + c.y() * c.y();
  return {(a2 * (b.y() - c.y()) + b2 * (c.y() - a.y()) + c2 * (a.y() - b.y())) / d,
          (a2 * (c.x() - b.x()) + b2 * (a.x() - c.x()) + c2 * (b.x() - a.x())) / d};
}

double cross(QPoint a, QPoint b, QPoint c) {
  return double(b.x() - a.x()) * (c.y() - a.y()) - double(c.x() - a.x()) * (b.y() - a.y());
}

TEST(RandomCrossChecks, ThreePointCentreMatchesTheCircumcentre) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(0, 640);
  int checked = 0;
  while (checked < 2000) {
    const QPoint p1(coord(rng), coord(rng)), p2(coord(rng), coord(rng)), p3(coord(rng), coord(rng));
    // Away from near-collinear triples, where any method loses its digits, and off the integer-half branches.
    if (std::abs(cross(p1, p2, p3)) < 2000 || p1.x() == p2.x() || p1.x() == p3.x()) continue;
    const QPointF truth = circumcentre(p1, p2, p3);
    if (std::abs(truth.x()) > 1e5 || std::abs(truth.y()) > 1e5) continue;
    const auto centre = threePointCentre(p1, p2, p3);
    ASSERT_TRUE(centre);
    EXPECT_NEAR(centre->exact.x(), truth.x(), 1e-6 * (1 + std::abs(truth.x())));
    EXPECT_NEAR(centre->exact.y(), truth.y(), 1e-6 * (1 + std::abs(truth.y())));
    EXPECT_EQ(centre->rounded, QPoint(int(centre->exact.x() + 0.5), int(centre->exact.y() + 0.5)));
    ++checked;
  }
}

TEST(RandomCrossChecks, VerticalChordBranchesUseIntegerHalves) {
  // P1, P2 on a vertical: the centre's y is the integer half of y1 + y2.
  const auto even = threePointCentre({0, 0}, {0, 100}, {100, 50});
  ASSERT_TRUE(even);
  EXPECT_EQ(even->rounded, QPoint(38, 50));  // exact centre (37.5, 50)
  const auto odd = threePointCentre({0, 0}, {0, 101}, {100, 50});
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->exact.y(), 50);
  // P1P3 horizontal: the centre still lies on the bisector of P1P3.
  const auto flat = threePointCentre({0, 0}, {50, 50}, {100, 0});
  ASSERT_TRUE(flat);
  EXPECT_EQ(flat->rounded, QPoint(50, 0));
}

TEST(RandomCrossChecks, ArcAngleMatchesAnAtan2Sweep) {
  // The sweep from P1 to P3 that passes P2, measured with atan2 around the exact circumcentre of the
  // clicked points; the arc tool truncates its centre, hence the tolerance.
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> coord(0, 800);
  auto degrees = [](QPointF c, QPoint p) { return std::atan2(c.y() - p.y(), p.x() - c.x()) * 180 / std::numbers::pi; };
  auto sweep = [](double from, double to) { return std::fmod(to - from + 720.0, 360.0); };
  int checked = 0;
  while (checked < 2000) {
    const QPoint p1(coord(rng), coord(rng)), p2(coord(rng), coord(rng)), p3(coord(rng), coord(rng));
    if (std::abs(cross(p1, p2, p3)) < 2000) continue;
    const QPointF centre = circumcentre(p1, p2, p3);
    const double r = pixelDistance(centre, QPointF(p1));
    if (r < 100 || r > 2000) continue;
    const double s13 = sweep(degrees(centre, p1), degrees(centre, p3));
    const double s12 = sweep(degrees(centre, p1), degrees(centre, p2));
    if (std::abs(s13 - 180) < 5) continue;  // either side is a half circle within the tolerance
    const double expected = s12 < s13 ? s13 : 360 - s13;
    const auto circle = arcCircle(p1, p2, p3);
    ASSERT_TRUE(circle);
    EXPECT_NEAR(arcAngle(circle->centre, p1, p3, circle->counterClockwise), expected, 1.5);
    EXPECT_NEAR(circle->radius, r, 1.5);
    ++checked;
  }
}

TEST(RandomCrossChecks, LeastSquaresCircleRecoversKnownCircles) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int i = 0; i < 200; ++i) {
    const QPointF centre(100 + unit(rng) * 500, 100 + unit(rng) * 500);
    const double r = 20 + unit(rng) * 300;
    const double start = unit(rng) * 360;
    const double span = 120 + unit(rng) * 240;
    QList<QPoint> points;
    for (int k = 0; k < 40; ++k) {
      const double a = (start + span * k / 39) * std::numbers::pi / 180;
      points.append(
          QPoint(int(std::lround(centre.x() + r * std::cos(a))), int(std::lround(centre.y() + r * std::sin(a)))));
    }
    const auto fit = fitCircle(points);
    ASSERT_TRUE(fit);
    // Whole-pixel sample points bias an algebraic fit by a fraction of a pixel.
    EXPECT_NEAR(fit->centre.x(), centre.x(), 1.0);
    EXPECT_NEAR(fit->centre.y(), centre.y(), 1.0);
    EXPECT_NEAR(fit->radius, r, 1.0);
  }
}

TEST(RandomCrossChecks, PolygonCountMatchesBruteForceEvenOdd) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> coord(0, 60);
  std::uniform_int_distribution<int> size(3, 9);
  for (int i = 0; i < 300; ++i) {
    QList<QPoint> poly;
    const int n = size(rng);
    for (int k = 0; k < n; ++k) poly.append(QPoint(coord(rng), coord(rng)));
    long long brute = 0;
    for (int y = -1; y <= 61; ++y) {
      for (int x = -1; x <= 61; ++x) {
        const double px = x + 0.5, py = y + 0.5;
        bool inside = false;
        for (int k = 0, j = n - 1; k < n; j = k++) {
          const QPointF a = poly[k], b = poly[j];
          if ((a.y() > py) != (b.y() > py) && px < (b.x() - a.x()) * (py - a.y()) / (b.y() - a.y()) + a.x())
            inside = !inside;
        }
        brute += inside;
      }
    }
    EXPECT_EQ(polygonPixelCount(poly), brute);
  }
}

TEST(RandomCrossChecks, DotLineFootIsTheVectorProjection) {
  std::mt19937 rng(9);
  std::uniform_int_distribution<int> coord(0, 640);
  for (int i = 0; i < 2000; ++i) {
    const QPoint a(coord(rng), coord(rng)), b(coord(rng), coord(rng)), q(coord(rng), coord(rng));
    if (a == b) continue;
    const QPointF ab = b - a, aq = q - a;
    const double t = (ab.x() * aq.x() + ab.y() * aq.y()) / (ab.x() * ab.x() + ab.y() * ab.y());
    const QPointF expected = QPointF(a) + t * ab;
    const auto foot = perpendicularFoot(a, b, q);
    ASSERT_TRUE(foot);
    EXPECT_NEAR(foot->x(), expected.x(), 1e-6);
    EXPECT_NEAR(foot->y(), expected.y(), 1e-6);
  }
}

TEST(RandomCrossChecks, FourPointAngleMatchesTheDirectionAngle) {
  // Two segments that cross in their middles: the angle between them is the angle between their
  // directions, folded into 0..180 by the farther-end rule.
  std::mt19937 rng(13);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int i = 0; i < 1000; ++i) {
    const double a = unit(rng) * 180, b = unit(rng) * 180;
    auto end = [](double deg, double len) {
      const double r = deg * std::numbers::pi / 180;
      return QPoint(int(std::lround(320 + len * std::cos(r))), int(std::lround(240 + len * std::sin(r))));
    };
    const QPoint a1 = end(a + 180, 100), a2 = end(a, 200), b1 = end(b + 180, 100), b2 = end(b, 200);
    const double expected =
        std::abs(std::atan2(a2.y() - a1.y(), a2.x() - a1.x()) - std::atan2(b2.y() - b1.y(), b2.x() - b1.x())) * 180 /
        std::numbers::pi;
    const double folded = expected > 180 ? 360 - expected : expected;
    if (folded < 1 || folded > 179) continue;
    const auto angle = angleBetweenLines(a1, a2, b1, b2);
    ASSERT_TRUE(angle);
    EXPECT_NEAR(*angle, folded, 1e-5);  // the degree factor is 57.29578..., not 180 / pi
  }
}

TEST(Layouts, PointsAndAnchorsPerKind) {
  const auto line = makeLine({0, 0}, {100, 0}, {5, 5}, kMm2);
  ASSERT_TRUE(line);
  EXPECT_EQ(line->points, (QList<QPoint>{{0, 0}, {100, 0}, {0, 10}, {0, -10}, {100, 10}, {100, -10}, {5, 5}}));
  EXPECT_EQ(line->points[labelAnchorIndex(line->kind, 7)], QPoint(5, 5));
  // A 45-degree line: the ticks stand perpendicular, 10 pixels each way, truncated.
  const auto slant = makeLine({0, 0}, {100, 100}, {}, kMm2);
  EXPECT_EQ(slant->points[2], QPoint(-7, 7));
  EXPECT_EQ(slant->points[3], QPoint(7, -7));
  const auto parallel = makeParallelLine({0, 0}, {0, 50}, {}, kMm2);
  EXPECT_EQ(parallel->points[2], QPoint(-100, 0));
  const auto three = makeThreePointCircle({0, 100}, {100, 0}, {200, 100}, {9, 9}, kMm2);
  ASSERT_TRUE(three);
  EXPECT_EQ(three->points, (QList<QPoint>{{100, 100}, {100, 0}, {0, 100}, {200, 100}, {9, 9}}));
  const auto two = makeTwoCircles({QPoint{0, 100}, {100, 0}, {200, 100}}, {1, 1},
                                  {QPoint{300, 100}, {400, 0}, {500, 100}}, {2, 2}, {3, 3}, kMm2);
  ASSERT_TRUE(two);
  EXPECT_EQ(two->points.size(), 11);
  EXPECT_EQ(two->points[3], QPoint(100, 100));
  EXPECT_EQ(two->points[8], QPoint(400, 100));
  EXPECT_EQ(two->labels, (QStringList{"R:2.96mm", "R:2.96mm", "L:8.89mm"}));
  const auto continuous = makeContinuousLine({{0, 0}, {100, 0}, {100, 50}}, {{7, 7}, {8, 8}}, kMm2);
  EXPECT_EQ(continuous->points, (QList<QPoint>{{0, 0}, {100, 0}, {7, 7}, {100, 50}, {8, 8}}));
  EXPECT_EQ(continuous->labels, (QStringList{"2.96mm", "1.48mm"}));
  const auto diameter = makeDiameterCircle({1, 1}, {4, 4}, {}, kMm2);
  EXPECT_EQ(diameter->points[0], QPoint(2, 2));
}

}  // namespace
}  // namespace lumivex
