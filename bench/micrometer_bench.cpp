// Graduation pitch of a stage micrometer: accuracy over random synthetic pictures (reported as counters:
// relative error by pixels per period and the share of cases whose error the reported expanded
// uncertainty covers), and the speed on a 600 x 100 region of a 1600 x 1200 picture.
#include "measure/detection/graduation_pitch.h"
#include "measure/detection/micrometer_picture.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <random>

namespace {

using namespace lumivex::detection;

constexpr std::array<double, 4> kPeriods = {4.0, 8.0, 20.0, 40.0};

struct Tally {
  int cases = 0;
  int failed = 0;
  int covered = 0;
  double worst = 0.0;      // largest relative error
  double squares = 0.0;    // sum of squared relative errors
  double uncertainty = 0;  // sum of relative expanded uncertainties
};

// 200 cases, 50 per period, rotated -10..+10 degrees, a quarter of them horizontal and a quarter light on
// dark, region = the marks' box widened by up to 12 pixels on each side, as a hand would drag it.
void BM_MicrometerAccuracy(benchmark::State& state) {
  std::array<Tally, kPeriods.size()> tallies{};
  const double only = qEnvironmentVariableIntValue("MICROMETER_PERIOD");
  const bool oneCase = qEnvironmentVariableIsSet("MICROMETER_CASE");
  const int theCase = qEnvironmentVariableIntValue("MICROMETER_CASE");
  const bool ratios = qEnvironmentVariableIsSet("MICROMETER_RATIOS");
  for (auto _ : state) {
    tallies = {};
    std::mt19937 random(20);
    std::uniform_real_distribution<double> angle(-10.0, 10.0);
    std::uniform_int_distribution<int> margin(0, 12);
    std::uniform_int_distribution<int> quarter(0, 3);
    for (int i = 0; i < 200; ++i) {
      const size_t slot = static_cast<size_t>(i) % kPeriods.size();
      const double period = kPeriods[slot];
      const double a = angle(random);
      const bool horizontal = quarter(random) == 0;
      const bool light = quarter(random) == 0;
      const MicrometerScene scene = accuracyScene(period, a, static_cast<uint32_t>(1000 + i), horizontal, light);
      const MicrometerPicture picture(scene);
      const QRect box = picture.marksBox().adjusted(-margin(random), -margin(random), margin(random), margin(random));
      // MICROMETER_PERIOD=4 measures only the cases of that period (the same pictures and regions),
      // MICROMETER_CASE=124 only that case; MICROMETER_RATIOS=1 prints every case's error over its
      // expanded uncertainty.
      if (only > 0 && period != only) continue;
      if (oneCase && i != theCase) continue;
      const GraduationPitch r = measureGraduationPitch(picture.view(), box);
      if (!r.ok() || std::abs(r.pitch - period) > r.expandedUncertainty())
        std::fprintf(stderr, "case %d: seed %d, region %d %d %d %d\n", i, 1000 + i, box.x(), box.y(), box.width(),
                     box.height());
      Tally& t = tallies[slot];
      ++t.cases;
      if (!r.ok()) {
        ++t.failed;
        std::fprintf(stderr, "case %d (%.0f px, %.2f deg, %s%s): %s\n", i, period, a,
                     horizontal ? "horizontal" : "vertical", light ? ", light" : "",
                     qPrintable(graduationQualityText(r)));
        continue;
      }
      const double error = std::abs(r.pitch - period) / period;
      if (std::abs(r.pitch - period) > r.expandedUncertainty())
        std::fprintf(stderr, "case %d (%.0f px, %.2f deg, %s%s): pitch %.5f +- %.5f\n", i, period, a,
                     horizontal ? "horizontal" : "vertical", light ? ", light" : "", r.pitch, r.expandedUncertainty());
      t.worst = std::max(t.worst, error);
      t.squares += error * error;
      t.uncertainty += r.relativeUncertainty();
      if (std::abs(r.pitch - period) <= r.expandedUncertainty()) ++t.covered;
      if (ratios)
        std::fprintf(stderr, "case %d (%.0f px): error %.3f of the uncertainty, which is %.2e of the pitch\n", i,
                     period, std::abs(r.pitch - period) / r.expandedUncertainty(), r.relativeUncertainty());
    }
  }
  int cases = 0, covered = 0, failed = 0;
  for (size_t s = 0; s < kPeriods.size(); ++s) {
    const Tally& t = tallies[s];
    const int measured = t.cases - t.failed;
    const std::string p = std::to_string(static_cast<int>(kPeriods[s])) + "px_";
    state.counters[p + "max_err_%"] = 100.0 * t.worst;
    state.counters[p + "rms_err_%"] = measured > 0 ? 100.0 * std::sqrt(t.squares / measured) : 0.0;
    state.counters[p + "mean_U_%"] = measured > 0 ? 100.0 * t.uncertainty / measured : 0.0;
    state.counters[p + "covered_%"] = measured > 0 ? 100.0 * t.covered / measured : 0.0;
    cases += t.cases;
    covered += t.covered;
    failed += t.failed;
  }
  state.counters["coverage_%"] = 100.0 * covered / std::max(1, cases);
  state.counters["failed"] = failed;
}
BENCHMARK(BM_MicrometerAccuracy)->Iterations(1)->Unit(benchmark::kSecond);

// The simulated camera's geometry at 1600 x 1200: 20 pixels per 10 um, marks 30 to 80 pixels long.
const MicrometerPicture& largePicture() {
  static const MicrometerPicture picture = [] {
    MicrometerScene scene;
    scene.width = 1600;
    scene.height = 1200;
    scene.pixelsPerPeriod = 20.0;
    scene.graduations = 61;
    scene.angleDegrees = 1.5;
    scene.noiseSigma = 3.0;
    scene.blurSigma = 1.0;
    return MicrometerPicture(scene);
  }();
  return picture;
}

void BM_GraduationPitch600x100(benchmark::State& state) {
  const QRect box = largePicture().marksBox();
  const QRect region(box.center().x() - 300, box.bottom() - 99, 600, 100);
  for (auto _ : state) {
    const GraduationPitch r = measureGraduationPitch(largePicture().view(), region);
    if (!r.ok()) state.SkipWithError("no pitch found");
    benchmark::DoNotOptimize(r.pitch);
  }
}
BENCHMARK(BM_GraduationPitch600x100)->Unit(benchmark::kMillisecond);

void BM_GraduationPitchWholePicture(benchmark::State& state) {
  for (auto _ : state) {
    const GraduationPitch r = measureGraduationPitch(largePicture().view(), QRect(0, 0, 1600, 1200));
    if (!r.ok()) state.SkipWithError("no pitch found");
    benchmark::DoNotOptimize(r.pitch);
  }
}
BENCHMARK(BM_GraduationPitchWholePicture)->Unit(benchmark::kMillisecond);

}  // namespace
