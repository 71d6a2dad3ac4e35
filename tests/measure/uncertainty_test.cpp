// The uncertainty shown with results: propagated through each kind's formula, checked against values
// worked out by hand, and absent (texts unchanged) unless chosen.
#include "measure/result_text.h"
#include "measure/result_uncertainty.h"
#include "measure/shape_builder.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

namespace lumivex {
namespace {

// 1 view pixel = 0.001 mm; the calibration known to 0.2 %; clicks ±0.5 px.
UnitConversion withUncertainty(std::optional<double> scale = 0.002) {
  UnitConversion u{0.001, 10, 4, QStringLiteral("mm")};
  u.showUncertainty = true;
  u.scaleUncertainty = scale;
  return u;
}

struct HandCase {
  const char* name;
  std::function<std::optional<MeasureShape>(const UnitConversion&)> build;
  QStringList expected;
};

// Hand values (s = scale, r = relative scale uncertainty 0.002, c = 0.5 px a coordinate):
//  line 500 px: U = sqrt((0.5 r)^2 + (s c sqrt2)^2) = sqrt(1e-6 + 5e-7) = 0.0012247 mm
//  radius 100 px: u_r = c sqrt2 = 0.7071 px; R: sqrt(0.0002^2 + 0.00070711^2) = 0.00073485;
//    A = 0.0314159 x sqrt((2r)^2 + (2 u_r / 100)^2) = 0.00046172; G = 0.6283185 x 0.0073485 = 0.0046172
//  rectangle 200 x 100: W sqrt(0.0004^2 + 0.00070711^2) = 0.00081240, H 0.00073485,
//    A = 0.02 x sqrt(0.004^2 + (0.7071/200)^2 + (0.7071/100)^2) = 0.00017720
//  square 100 x 100 as a polygon: dA/dx_i = (y_i+1 - y_i-1)/2 etc., 8 partials of 50 px: 70.711 px^2,
//    with 2 r A = 4e-5 mm^2: 8.124e-5 mm^2
//  right angle with 100 px arms: 4 partials of 1/100 rad, x c: 0.01 rad = 0.573 degrees
//  diameter 100 px: R = d/2 with u = 0.35355 px: sqrt(0.0001^2 + 0.00035355^2) = 0.00036742
TEST(ResultUncertainty, PropagatedAsWorkedOutByHand) {
  const HandCase cases[] = {
      {"line",
       [](const auto& u) {
         return makeLine({0, 0}, {300, 400}, {}, u);
       },
       {"L:0.5000mm ± 0.0012mm"}},
      {"radius circle",
       [](const auto& u) {
         return makeRadiusCircle({0, 0}, {60, 80}, {}, u);
       },
       {"A:0.0314mm2 ± 0.00046mm2", "R:0.1000mm ± 0.00073mm", "G:0.6283mm ± 0.0046mm"}},
      {"rectangle",
       [](const auto& u) {
         return makeRectangle({0, 0}, {200, 100}, {}, u);
       },
       {"A:0.0200mm2 ± 0.00018mm2", "W:0.2000mm ± 0.00081mm", "H:0.1000mm ± 0.00073mm"}},
      {"polygon",
       [](const auto& u) {
         return makePolygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {}, u);
       },
       {"A:0.0100mm2 ± 0.000081mm2"}},
      {"angle",
       [](const auto& u) {
         return makeAngle({100, 0}, {0, 0}, {0, 100}, {}, u);
       },
       {"90.00° ± 0.57°"}},
      {"four-point angle",
       [](const auto& u) {
         return makeFourPointAngle({0, 0}, {100, 0}, {0, 0}, {0, 100}, {}, u);
       },
       {"90.00° ± 0.57°"}},
      {"diameter circle",
       [](const auto& u) {
         return makeDiameterCircle({0, 0}, {100, 0}, {}, u);
       },
       {"A:0.0079mm2 ± 0.00012mm2", "R:0.0500mm ± 0.00037mm", "G:0.3142mm ± 0.0023mm"}},
  };
  for (const HandCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<MeasureShape> shape = c.build(withUncertainty());
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->labels, c.expected);
  }
}

TEST(ResultUncertainty, OffLeavesEveryTextAsItWas) {
  UnitConversion plain{0.02963, 10, 3, QStringLiteral("mm")};
  UnitConversion on = plain;
  on.showUncertainty = true;
  on.scaleUncertainty = 0.001;
  const std::function<std::optional<MeasureShape>(const UnitConversion&)> builders[] = {
      [](const auto& u) {
        return makeLine({3, 4}, {120, 77}, {}, u);
      },
      [](const auto& u) {
        return makeThreePointCircle({0, 50}, {50, 0}, {100, 50}, {}, u);
      },
      [](const auto& u) {
        return makeTwoCircles({{{0, 50}, {50, 0}, {100, 50}}}, {}, {{{200, 50}, {250, 0}, {300, 50}}}, {}, {}, u);
      },
      [](const auto& u) {
        return makeArc({0, 100}, {100, 0}, {200, 100}, {}, u);
      },
      [](const auto& u) {
        return makeDotLine({0, 0}, {100, 0}, {50, 50}, {}, u);
      },
      [](const auto& u) {
        return makeContinuousLine({{0, 0}, {100, 0}, {100, 70}}, {{}, {}}, u);
      },
      [](const auto& u) {
        return makeAutoAngle({0, 0}, {100, 10}, {0, 0}, {10, 100}, {}, u);
      },
  };
  for (const auto& build : builders) {
    const std::optional<MeasureShape> before = build(plain);
    const std::optional<MeasureShape> after = build(on);
    ASSERT_TRUE(before && after);
    ASSERT_EQ(before->labels.size(), after->labels.size());
    for (qsizetype i = 0; i < before->labels.size(); ++i) {
      EXPECT_FALSE(before->labels[i].contains(u'±')) << before->labels[i].toStdString();
      // With it on the same text comes first, then " ± u".
      EXPECT_TRUE(after->labels[i].startsWith(before->labels[i] + QString::fromUtf16(kPlusMinus)))
          << after->labels[i].toStdString();
    }
  }
}

TEST(ResultUncertainty, UnknownCalibrationShowsNoneOnLengthsButStillOnAngles) {
  const UnitConversion unknown = withUncertainty(std::nullopt);
  EXPECT_EQ(makeLine({0, 0}, {300, 400}, {}, unknown)->labels, QStringList{"L:0.5000mm"});
  EXPECT_EQ(makeAngle({100, 0}, {0, 0}, {0, 100}, {}, unknown)->labels, QStringList{"90.00° ± 0.57°"});
}

TEST(ResultUncertainty, ContinuousTotalCarriesTheSumOfItsSegments) {
  const std::optional<MeasureShape> line =
      makeContinuousLine({{0, 0}, {300, 400}, {300, 0}}, {{}, {}}, withUncertainty());
  ASSERT_TRUE(line);
  // 500 px: 0.0012247; 400 px: sqrt(0.0008^2 + 0.00070711^2) = 0.0010677; shown 0.0012 and 0.0011.
  EXPECT_EQ(line->labels, (QStringList{"0.5000mm ± 0.0012mm", "0.4000mm ± 0.0011mm"}));
  EXPECT_EQ(continuousTotalText(*line, 3, QStringLiteral("cm")), QStringLiteral("T:0.9000mm ± 0.0023mm"));
  // A segment without one (measured with the choice off) leaves the total without one.
  EXPECT_EQ(continuousTotalText(QStringList{"0.5000mm ± 0.0012mm", "0.4000mm"}, 3, QStringLiteral("mm")),
            QStringLiteral("T:0.9000mm"));
}

TEST(ResultUncertainty, TwoSignificantDigits) {
  const std::pair<double, const char*> cases[] = {{0.0012247, "0.0012"}, {12.34, "12"},  {0.96, "0.96"},
                                                  {0.0999, "0.100"},     {150.0, "150"}, {0.0, "0"}};
  for (const auto& [u, text] : cases) EXPECT_EQ(uncertaintyNumber(u), QString::fromLatin1(text)) << u;
}

TEST(ResultUncertainty, FittedRadiusFromTheResidualsWithAPixelGridFloor) {
  // 100 pixels evenly round a large circle: the rounding residuals stay under the grid's variance (1/12),
  // and for an evenly covered circle the radius variance is that over n.
  QList<QPoint> points;
  for (int i = 0; i < 100; ++i) {
    const double a = 2 * std::numbers::pi * i / 100;
    points.append(
        QPoint(static_cast<int>(std::lround(1000 * std::cos(a))), static_cast<int>(std::lround(1000 * std::sin(a)))));
  }
  const std::optional<double> u = fittedRadiusUncertainty(points, {0, 0}, 1000);
  ASSERT_TRUE(u);
  EXPECT_NEAR(*u, 2 * std::sqrt(1.0 / 12 / 100), 2e-3);
  // Points scattered 3 px off the circle give a wider one.
  QList<QPoint> rough = points;
  for (qsizetype i = 0; i < rough.size(); i += 2) rough[i] *= 1.003;
  EXPECT_GT(*fittedRadiusUncertainty(rough, {0, 0}, 1001.5), 3 * *u);
  EXPECT_FALSE(fittedRadiusUncertainty(points.mid(0, 3), {0, 0}, 1000));
}

TEST(ResultUncertainty, ArcFollowsItsAngleAcrossTheWrap) {
  // A half circle: the raw directions jump by 360 degrees right there; the spread must not.
  const std::optional<MeasureShape> arc = makeArc({0, 100}, {100, 0}, {200, 100}, {}, withUncertainty());
  ASSERT_TRUE(arc);
  ASSERT_EQ(arc->labels.size(), 3);
  EXPECT_TRUE(arc->labels[1].startsWith(QStringLiteral("Angle:180.00° ± 0.")));
}

}  // namespace
}  // namespace lumivex
