#include "measure/detection/detect_line_fit.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <random>

namespace lumivex::detection {
namespace {

TEST(LineFit, AgreesWithOpenCvLeastSquares) {
  std::mt19937 random(5);
  std::normal_distribution<double> noise(0.0, 0.8);
  for (double degrees : {0.0, 12.0, 45.0, 89.0, 90.0, 133.0, 178.0}) {
    const double a = degrees * std::numbers::pi / 180.0;
    std::vector<QPointF> points;
    std::vector<cv::Point2f> cvPoints;
    for (int i = -30; i <= 40; i += 3) {
      const QPointF p(200 + i * std::cos(a) + noise(random), 150 + i * std::sin(a) + noise(random));
      points.push_back(p);
      cvPoints.emplace_back(static_cast<float>(p.x()), static_cast<float>(p.y()));
    }
    cv::Vec4f reference;
    cv::fitLine(cvPoints, reference, cv::DIST_L2, 0, 0.01, 0.01);
    const auto line = fitLine(points);
    ASSERT_TRUE(line) << degrees;
    // Parallel directions and the same reference point (the centroid), to single precision.
    const double cross = line->direction.x() * reference[1] - line->direction.y() * reference[0];
    EXPECT_NEAR(cross, 0.0, 1e-4) << degrees;
    EXPECT_NEAR(line->point.x(), reference[2], 1e-3) << degrees;
    EXPECT_NEAR(line->point.y(), reference[3], 1e-3) << degrees;
  }
  EXPECT_FALSE(fitLine({QPointF(3, 4)}));
  EXPECT_FALSE(fitLine({QPointF(3, 4), QPointF(3, 4)}));
}

TEST(LineFit, EndsAreTheOutermostProjections) {
  struct Case {
    const char* name;
    std::vector<QPointF> points;
    QPointF first, second;
  };
  const std::vector<Case> cases = {
      {"horizontal", {{10, 5}, {40, 5}, {25, 5}, {0, 5}}, {0, 5}, {40, 5}},
      {"diagonal with scatter", {{0, 1}, {1, 0}, {10, 11}, {11, 10}}, {0.5, 0.5}, {10.5, 10.5}},
      // All projections share the reference point's x; the ends must still be the two extremes.
      {"vertical", {{7, 30}, {7, 2}, {7, 18}}, {7, 2}, {7, 30}},
  };
  for (const Case& c : cases) {
    const auto ends = fittedLineEnds(c.points);
    ASSERT_TRUE(ends) << c.name;
    const auto near = [](QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()) < 1e-6; };
    const bool inOrder = near(ends->first, c.first) && near(ends->second, c.second);
    const bool reversed = near(ends->first, c.second) && near(ends->second, c.first);
    EXPECT_TRUE(inOrder || (c.first.x() == c.second.x() && reversed)) << c.name;
  }
}

}  // namespace
}  // namespace lumivex::detection
