// Speed of the automatic detections on a 1280 x 960 frame, as each live click waits on them.
#include "measure/detection/edge_overlay.h"
#include "measure/detection/edge_snap.h"
#include "measure/detection/region_line_detect.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using namespace lumivex::detection;

constexpr int kWidth = 1280;
constexpr int kHeight = 960;
constexpr int kStride = (kWidth * 3 + 3) / 4 * 4;

// A grey frame with sensor-like noise, a dark disc of radius 100 at (400, 300) and a dark half-plane right
// of a line at 10 degrees from vertical through (900, 480), rows stored bottom-up as in a DIB.
const std::vector<uint8_t>& frame() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> b(static_cast<size_t>(kStride) * kHeight);
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0.0, 4.0);
    const double a = 10.0 * 3.14159265358979 / 180.0;
    for (int y = 0; y < kHeight; ++y) {
      uint8_t* row = b.data() + static_cast<size_t>(kHeight - 1 - y) * kStride;
      for (int x = 0; x < kWidth; ++x) {
        const bool dark =
            std::hypot(x - 400.0, y - 300.0) < 100.0 || (x - 900.0) * std::cos(a) - (y - 480.0) * std::sin(a) > 0.0;
        const double v = (dark ? 40.0 : 210.0) + noise(random);
        const uint8_t g = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
        row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = g;
      }
    }
    return b;
  }();
  return bytes;
}

BgrView view() { return BgrView{frame().data(), kWidth, kHeight, kStride, true, 24}; }

void BM_EdgeSnapNearEdge(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(EdgeSnap(view(), 400, 212, kDefaultDetectionRange));
}
BENCHMARK(BM_EdgeSnapNearEdge)->Unit(benchmark::kMicrosecond);

// Nothing within range: every level and ring is scanned.
void BM_EdgeSnapNoEdge(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(EdgeSnap(view(), 150, 800, kDefaultDetectionRange));
}
BENCHMARK(BM_EdgeSnapNoEdge)->Unit(benchmark::kMicrosecond);

void BM_RegionLineDetectEdge(benchmark::State& state) {
  const QRect region(QPoint(800, 380), QPoint(999, 579));
  for (auto _ : state) benchmark::DoNotOptimize(RegionLineDetect(view(), region, OrientationClass::kVertical));
}
BENCHMARK(BM_RegionLineDetectEdge)->Unit(benchmark::kMillisecond);

void BM_RegionLineDetectNoEdge(benchmark::State& state) {
  const QRect region(QPoint(20, 600), QPoint(219, 799));
  for (auto _ : state) benchmark::DoNotOptimize(RegionLineDetect(view(), region, OrientationClass::kVertical));
}
BENCHMARK(BM_RegionLineDetectNoEdge)->Unit(benchmark::kMillisecond);

void BM_RegionLineDetectDilatedEdge(benchmark::State& state) {
  const QRect region(QPoint(800, 380), QPoint(999, 579));
  for (auto _ : state) benchmark::DoNotOptimize(RegionLineDetectDilated(view(), region));
}
BENCHMARK(BM_RegionLineDetectDilatedEdge)->Unit(benchmark::kMillisecond);

void BM_EdgeOverlayWhole(benchmark::State& state) {
  std::vector<uint8_t> copy = frame();
  for (auto _ : state) {
    state.PauseTiming();
    copy = frame();
    state.ResumeTiming();
    EdgeOverlay(BgrSurface{copy.data(), kWidth, kHeight, kStride, true, 24});
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_EdgeOverlayWhole)->Unit(benchmark::kMillisecond);

}  // namespace
