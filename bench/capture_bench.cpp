// The FrameHandler's own work per frame: copy, flip to bottom-up, compose into the video area with the
// crosshair and the time stamp. Run: build-*/bench/bench_capture
#include "capture/frame_buffer.h"
#include "capture/frame_composer.h"
#include "capture/frame_handler.h"
#include "capture/still_request.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

// Counts heap allocations so the benchmark can report allocations per frame (target: none).
static std::atomic<long> gAllocations{0};
void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

void BM_FrameHandler(benchmark::State& state) {
  static int argc = 1;
  static char name[] = "bench_capture";
  static char* argv[] = {name, nullptr};
  if (!QGuiApplication::instance()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);  // fonts for the time stamp; lives for the process
  }
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(width) * 3 * static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i * 7);
  lumivex::FrameBuffer buffer;
  lumivex::StillRequest request;
  lumivex::FrameComposer composer;
  composer.setCrosshair(true);
  composer.setTimeStamp(true);
  lumivex::FrameHandler handler(buffer, request, composer);
  std::int64_t t = 0;
  handler.onFrame(frame.data(), width, height, width * 3, ++t);  // first frame sizes everything
  const long before = gAllocations.load();
  for (auto _ : state) {
    handler.onFrame(frame.data(), width, height, width * 3, ++t);
    benchmark::ClobberMemory();
  }
  state.counters["allocs_per_frame"] =
      static_cast<double>(gAllocations.load() - before) / static_cast<double>(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(frame.size()));
}

}  // namespace

BENCHMARK(BM_FrameHandler)->Args({640, 480})->Args({1280, 960})->Args({1600, 1200})->Unit(benchmark::kMillisecond);
