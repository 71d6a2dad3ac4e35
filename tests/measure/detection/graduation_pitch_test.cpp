// Graduation pitch of a stage micrometer: accuracy on synthetic pictures of known geometry (fixed seeds),
// the pieces it is built of against hand-computed values, and the failures that must give a reason and
// never a scale.
#include "measure/detection/graduation_pitch.h"
#include "measure/detection/graduation_marks.h"
#include "measure/detection/graduation_spectrum.h"
#include "measure/detection/micrometer_picture.h"
#include "tests/measure/detection/detection_pictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>

namespace lumivex::detection {
namespace {

struct AccuracyCase {
  double period;
  double angle;
  uint32_t seed;
  bool horizontal;
  bool light;
  double relativeLimit;  // largest relative error accepted
};

// The accuracy conditions (blur 1.5, noise 10, lighting +-30 %, two marks missing): at most 0.05 % at 20
// pixels per period and 0.1 % at 8; the others within the uncertainty the measurement itself reports.
TEST(GraduationPitch, AccuracyOnSyntheticMicrometers) {
  const AccuracyCase cases[] = {
      {8.0, 0.0, 11, false, false, 0.001},   {8.0, 4.5, 12, false, false, 0.001},
      {8.0, -9.5, 13, true, false, 0.001},   {8.0, 7.2, 14, false, true, 0.001},
      {20.0, 0.0, 21, false, false, 0.0005}, {20.0, -3.3, 22, false, false, 0.0005},
      {20.0, 9.8, 23, true, true, 0.0005},   {20.0, -7.0, 24, false, false, 0.0005},
      {40.0, 2.0, 41, false, false, 0.0005}, {40.0, -8.0, 42, true, false, 0.0005},
      {4.0, 0.5, 1104, false, false, 0.003}, {4.0, 3.0, 1112, false, false, 0.003},
  };
  int covered = 0;
  for (const AccuracyCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.period << " px, " << c.angle << " deg, seed " << c.seed);
    const MicrometerPicture picture(accuracyScene(c.period, c.angle, c.seed, c.horizontal, c.light));
    const GraduationPitch r = measureGraduationPitch(picture.view(), picture.marksBox().adjusted(-5, -5, 5, 5));
    ASSERT_TRUE(r.ok()) << graduationQualityText(r).toStdString();
    const double error = std::abs(r.pitch - c.period);
    EXPECT_LE(error / c.period, c.relativeLimit);
    if (error <= r.expandedUncertainty()) ++covered;
    EXPECT_EQ(r.direction, c.horizontal ? MarkDirection::kHorizontal : MarkDirection::kVertical);
    // At 4 pixels per period the blur leaves a sine, as good read dark or light, and the angle is rough.
    EXPECT_NEAR(r.angleDegrees, c.angle, c.period > 4.0 ? 1.0 : 3.0);
    if (c.period > 4.0) {
      EXPECT_EQ(r.darkMarks, !c.light);
    }
    // Most of the marks there are, the two missing ones left out.
    const int shown = std::min(101, static_cast<int>(1500.0 / c.period)) - 2;
    EXPECT_GE(r.marksUsed, shown * 6 / 10);
    EXPECT_LE(r.marksUsed, shown);
  }
  // About 95 % coverage is what the uncertainty promises; on a dozen cases allow one miss.
  EXPECT_GE(covered, static_cast<int>(std::size(cases)) - 1);
}

// At 4 pixels per period, blur 1.5 leaves the short marks 6 % of their contrast while every fifth, longer
// mark stands out: the whole region repeats every 20 pixels. The short marks are found in their own band
// and measured, or the result is a refusal; never a scale five (or two and a half) times too coarse.
TEST(GraduationPitch, BlurredShortMarksNeverGiveAFiveTimesCoarserScale) {
  struct Case {
    double angle;
    uint32_t seed;
    bool horizontal;
    bool light;
    QRect region;
    bool measured;  // else a refusal with its reason is as good
  };
  const Case cases[] = {
      {5.75, 1044, false, false, QRect(32, 20, 416, 84), true},
      {-8.59, 1080, false, true, QRect(34, 32, 414, 89), false},
      {9.99, 1120, true, true, QRect(29, 38, 105, 405), false},
      {2.19, 1144, true, true, QRect(18, 28, 55, 422), false},
      // The short marks blurred into one grey band beside the longer ones: found in that band.
      {-0.31, 1124, false, false, QRect(24, 28, 425, 30), true},
      {5.19, 1060, true, false, QRect(31, 22, 66, 421), true},
      {-3.12, 1148, false, false, QRect(31, 20, 410, 69), false},
      {3.43, 1096, false, false, QRect(34, 31, 410, 55), false},
      // A ripple of that band repeats every 10 pixels: neither it nor every fifth mark is the scale.
      {-8.38, 1028, false, false, QRect(37, 33, 410, 98), false},
      {-2.44, 1040, false, true, QRect(23, 19, 423, 63), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.angle << " deg, seed " << c.seed);
    const MicrometerPicture picture(accuracyScene(4.0, c.angle, c.seed, c.horizontal, c.light));
    const GraduationPitch r = measureGraduationPitch(picture.view(), c.region);
    if (c.measured) {
      ASSERT_TRUE(r.ok()) << graduationQualityText(r).toStdString();
    }
    if (r.ok()) {
      EXPECT_LE(std::abs(r.pitch - 4.0), r.expandedUncertainty());
    } else {
      EXPECT_EQ(r.pitch, 0.0);
    }
  }
}

TEST(GraduationPitch, AngleAndMarkLinesOnASharpPicture) {
  for (double angle : {-30.0, -6.0, 0.0, 6.0, 30.0}) {
    SCOPED_TRACE(angle);
    MicrometerScene scene = accuracyScene(12.0, angle, 7);
    scene.blurSigma = 0.8;
    scene.noiseSigma = 2.0;
    scene.illumination = 0.0;
    scene.removed.clear();
    const MicrometerPicture picture(scene);
    const GraduationPitch r = measureGraduationPitch(picture.view(), picture.marksBox());
    ASSERT_TRUE(r.ok()) << graduationQualityText(r).toStdString();
    EXPECT_NEAR(r.pitch, 12.0, 0.012);
    EXPECT_NEAR(r.angleDegrees, angle, 0.3);
    // Each drawn mark runs along the marks (perpendicular to the scale) and neighbours are a pitch apart.
    ASSERT_GE(r.marks.size(), 10u);
    const double a = angle * std::numbers::pi / 180.0;
    const QPointF along(-std::sin(a), -std::cos(a));
    const QPointF across(std::cos(a), -std::sin(a));
    for (size_t i = 0; i + 1 < r.marks.size(); ++i) {
      const QPointF d = r.marks[i].to - r.marks[i].from;
      const double length = std::hypot(d.x(), d.y());
      ASSERT_GT(length, 0.0);
      EXPECT_NEAR(std::abs(QPointF::dotProduct(d, along)) / length, 1.0, 1e-3);
      const QPointF step = r.marks[i + 1].from - r.marks[i].from;
      EXPECT_NEAR(std::abs(QPointF::dotProduct(step, across)), 12.0 * (r.marks[i + 1].index - r.marks[i].index), 0.1);
    }
  }
}

// A dark speck on a few marks moves them; they are dropped and the pitch stays.
TEST(GraduationPitch, DirtyMarksAreDropped) {
  MicrometerScene scene = accuracyScene(10.0, 0.0, 5);
  scene.illumination = 0.0;
  const MicrometerPicture clean(scene);
  const QRect box = clean.marksBox();
  test::TestPicture dirty(clean.width(), clean.height(), 0, false);
  for (int y = 0; y < clean.height(); ++y)
    for (int x = 0; x < clean.width(); ++x) dirty.setGrey(x, y, clean.view().row(y)[3 * x]);
  // Specks just beside marks 20, 47 and 71, in the rows every mark has.
  const double left = (clean.width() - 1) / 2.0 - 50.0 * 10.0 + scene.shift;
  for (int k : {20, 47, 71}) dirty.disc(QPointF(left + k * 10.0 + 2.5, box.bottom() - 8.0), 2.5, 40);
  const GraduationPitch r = measureGraduationPitch(dirty.view(), box);
  ASSERT_TRUE(r.ok());
  EXPECT_NEAR(r.pitch, 10.0, 0.003);
  int dropped = 0;
  for (const GraduationMark& m : r.marks) dropped += m.used ? 0 : 1;
  EXPECT_GE(dropped, 2);
}

struct FailureCase {
  const char* what;
  std::function<void(test::TestPicture&)> draw;
  QRect region;
  GraduationQuality quality;
};

TEST(GraduationPitch, FailuresGiveAReasonAndNoScale) {
  std::mt19937 random(3);
  std::normal_distribution<double> noise(0.0, 10.0);
  auto addNoise = [&](test::TestPicture& p) {
    for (int y = 0; y < p.height(); ++y)
      for (int x = 0; x < p.width(); ++x)
        p.setGrey(x, y, static_cast<uint8_t>(std::clamp(p.pixel(x, y)[0] + noise(random), 0.0, 255.0)));
  };
  // Smoothed noise: blobs of every size, nothing that repeats.
  auto texture = [&](test::TestPicture& p) {
    std::vector<double> field(static_cast<size_t>(p.width()) * p.height());
    for (double& v : field) v = noise(random);
    for (int pass = 0; pass < 3; ++pass)
      for (int y = 1; y + 1 < p.height(); ++y)
        for (int x = 1; x + 1 < p.width(); ++x) {
          double sum = 0;
          for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) sum += field[static_cast<size_t>(y + dy) * p.width() + x + dx];
          field[static_cast<size_t>(y) * p.width() + x] = sum / 9.0;
        }
    for (int y = 0; y < p.height(); ++y)
      for (int x = 0; x < p.width(); ++x)
        p.setGrey(
            x, y,
            static_cast<uint8_t>(std::clamp(128.0 + 8.0 * field[static_cast<size_t>(y) * p.width() + x], 0.0, 255.0)));
  };
  auto marks = [](double period, int count, double width) {
    return [=](test::TestPicture& p) {
      for (int k = 0; k < count; ++k) {
        const double x = 20.0 + k * period;
        p.box(x - width / 2, 10, x + width / 2, 70, 30);
      }
    };
  };
  const QRect whole(0, 0, 400, 80);
  const FailureCase cases[] = {
      {"uniform", [](test::TestPicture&) {}, whole, GraduationQuality::kNoContrast},
      {"uniform with noise", addNoise, whole, GraduationQuality::kNoPeriodicStructure},
      {"random texture", texture, whole, GraduationQuality::kNoPeriodicStructure},
      {"one mark", marks(0, 1, 3), whole, GraduationQuality::kTooFewMarks},
      {"three marks", marks(60, 3, 3), whole, GraduationQuality::kTooFewMarks},
      {"2.5 pixels per period", marks(2.5, 140, 0.8), whole, GraduationQuality::kAliasing},
      {"region too small", marks(8, 40, 2), QRect(10, 10, 12, 3), GraduationQuality::kRegionTooSmall},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    test::TestPicture picture(400, 80, 200);
    c.draw(picture);
    const GraduationPitch r = measureGraduationPitch(picture.view(), c.region);
    EXPECT_EQ(r.quality, c.quality) << graduationQualityText(r).toStdString();
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.pitch, 0.0);
    EXPECT_FALSE(graduationQualityText(r).isEmpty());
  }
  const BgrView eightBit{nullptr, 10, 10, 12, true, 8};
  EXPECT_EQ(measureGraduationPitch(eightBit, QRect(0, 0, 10, 10)).quality, GraduationQuality::kNotAPicture);
}

TEST(GraduationMarks, LatticeFitDropsOutliersAndGivesTheSlopeError) {
  // Marks 7.5 apart with a known +-0.1 wobble and one mark 2 pixels off.
  std::vector<int> index;
  std::vector<double> position;
  for (int k = 0; k < 20; ++k) {
    index.push_back(k);
    position.push_back(3.0 + 7.5 * k + (k % 2 == 0 ? 0.1 : -0.1) + (k == 13 ? 2.0 : 0.0));
  }
  const LatticeFit fit = fitLattice(index, position);
  ASSERT_TRUE(fit.fitted);
  EXPECT_FALSE(fit.used[13]);
  EXPECT_EQ(fit.usedCount, 19);
  // Without mark 13 the wobble alternates: the slope is 7.5 up to the odd count's imbalance.
  EXPECT_NEAR(fit.pitch, 7.5, 0.002);
  // Alternating residuals correlate negatively: no widening, the plain standard error of the slope.
  double kBar = 0, skk = 0, ss = 0;
  for (int k = 0; k < 20; ++k)
    if (k != 13) kBar += k / 19.0;
  for (int k = 0; k < 20; ++k) {
    if (k == 13) continue;
    skk += (k - kBar) * (k - kBar);
    ss += fit.residual[static_cast<size_t>(k)] * fit.residual[static_cast<size_t>(k)];
  }
  EXPECT_NEAR(fit.standardUncertainty, std::sqrt(ss / 17.0 / skk), 1e-12);
}

TEST(GraduationMarks, SlowlyWanderingResidualsWidenTheUncertainty) {
  std::vector<int> index;
  std::vector<double> wandering, independent;
  std::mt19937 random(9);
  std::normal_distribution<double> noise(0.0, 0.05);
  for (int k = 0; k < 60; ++k) {
    index.push_back(k);
    wandering.push_back(10.0 * k + 0.05 * std::sin(k / 6.0));
    independent.push_back(10.0 * k + noise(random));
  }
  const LatticeFit slow = fitLattice(index, wandering);
  const LatticeFit white = fitLattice(index, independent);
  ASSERT_TRUE(slow.fitted && white.fitted);
  double skk = 0, ss = 0;
  for (int k = 0; k < 60; ++k) {
    skk += (k - 29.5) * (k - 29.5);
    ss += slow.residual[static_cast<size_t>(k)] * slow.residual[static_cast<size_t>(k)];
  }
  EXPECT_GT(slow.standardUncertainty, 3.0 * std::sqrt(ss / 58.0 / skk));
  EXPECT_LT(white.standardUncertainty, 0.003);
}

TEST(GraduationMarks, StudentQuantiles) {
  EXPECT_DOUBLE_EQ(studentT95(1), 12.706);
  EXPECT_DOUBLE_EQ(studentT95(10), 2.228);
  EXPECT_NEAR(studentT95(40), 2.021, 0.001);
  EXPECT_NEAR(studentT95(120), 1.980, 0.001);
  EXPECT_NEAR(studentT95(100000), 1.960, 0.001);
}

TEST(GraduationMarks, MovingAverageOverAPeriodKeepsOnlyTheMarks) {
  // A ramp plus a sine of period 6.4: the ramp goes entirely, the sine stays.
  std::vector<double> profile;
  for (int i = 0; i < 200; ++i) profile.push_back(50.0 + 0.3 * i + 10.0 * std::sin(2.0 * std::numbers::pi * i / 6.4));
  const std::vector<double> d = periodDetrended(profile, 6.4);
  EXPECT_TRUE(std::isnan(d[0]));
  EXPECT_TRUE(std::isnan(d[199]));
  for (int i = 10; i < 190; ++i)
    EXPECT_NEAR(d[static_cast<size_t>(i)], 10.0 * std::sin(2.0 * std::numbers::pi * i / 6.4), 0.5);
}

TEST(GraduationSpectrum, PeakFrequencyBetweenBins) {
  for (double period : {3.3, 7.77, 25.0}) {
    std::vector<double> samples;
    for (int i = 0; i < 500; ++i) samples.push_back(std::cos(2.0 * std::numbers::pi * i / period + 0.4) + 0.01 * i);
    const ProfileSpectrum spectrum(samples);
    const auto peak = spectrum.strongest(0.02, 0.5);
    ASSERT_TRUE(peak.has_value());
    EXPECT_NEAR(1.0 / peak->frequency, period, period * 1e-3);
    EXPECT_GT(spectrum.prominence(*peak), 1000.0);
  }
}

}  // namespace
}  // namespace lumivex::detection
