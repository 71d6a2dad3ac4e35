// The live overlays on the frame path: one 640 x 480 composition with 50 live shapes, the scale, the
// circles and three comparison objects (target: at most 1 ms more than a bare frame), the allocations per
// frame, and publishing a snapshot on the GUI thread (target: at most 50 us).
#include "measure/comparison_object.h"
#include "measure/live_marks.h"
#include "measure/live_snapshot.h"
#include "measure/shape_builder.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <atomic>
#include <cstddef>

namespace {
std::atomic<long> allocations{0};
}  // namespace

// Every heap allocation of the process is counted, C++ and C alike (Qt's containers and strings take
// their memory with malloc): these replace glibc's entry points and forward to its own.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);

void* malloc(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(p, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  *out = __libc_memalign(alignment, size);
  return *out ? 0 : 12;  // ENOMEM
}
}

namespace {

using namespace lumivex;

void ensureApp() {
  static int argc = 1;
  static char name[] = "bench_live_overlay";
  static char* argv[] = {name, nullptr};
  if (!QGuiApplication::instance()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);  // fonts for the labels; lives for the process
  }
}

std::shared_ptr<const std::vector<MeasureShape>> fiftyShapes() {
  auto shapes = std::make_shared<std::vector<MeasureShape>>();
  const UnitConversion units{0.02963, 10.0, 3, QStringLiteral("mm")};
  for (int i = 0; i < 50; ++i) {
    const QPoint a(20 + (i % 10) * 60, 20 + (i / 10) * 90);
    std::optional<MeasureShape> shape =
        (i % 2) ? makeLine(a, a + QPoint(40, 20), a + QPoint(0, 30), units)
                : makeRadiusCircle(a + QPoint(20, 20), a + QPoint(40, 20), a + QPoint(0, 40), units);
    if (shape) shapes->push_back(std::move(*shape));
  }
  return shapes;
}

std::shared_ptr<const LiveSnapshot> fullSnapshot() {
  auto s = std::make_shared<LiveSnapshot>();
  s->shapes = fiftyShapes();
  const DrawingStyle style;
  s->comparisons.append(*makeRuler({100, 400}, {300, 400}, 5.0, 0.02963, 10, 3, QStringLiteral("mm"), style));
  s->comparisons.append(makeAngleGauge({400, 300}, style));
  s->comparisons.append(*makeToleranceCircle(1.0, 0.05, 0.05, 0.02963, 10, 3, QStringLiteral("mm"), style));
  auto overlay = std::make_shared<LiveOverlayScale>();
  overlay->scale = overlay->circles = true;
  overlay->rate = 10;
  overlay->unit = QStringLiteral("mm");
  overlay->videoPixelSize = overlayVideoPixelSize(overlay->unit, 10, 640, 480);
  overlay->scaleX = scaleMarks(overlay->unit, 10, overlay->videoPixelSize, 320);
  overlay->scaleY = scaleMarks(overlay->unit, 10, overlay->videoPixelSize, 240);
  overlay->circleX = circleMarks(overlay->unit, 10, overlay->videoPixelSize, 320, CaptureClass::Other);
  overlay->circleY = circleMarks(overlay->unit, 10, overlay->videoPixelSize, 240, CaptureClass::Other);
  s->overlay = std::move(overlay);
  return s;
}

// The frame path as the composer runs it: each overlay blends onto the frame itself.
void BM_LiveOverlays(benchmark::State& state) {
  ensureApp();
  auto slot = std::make_shared<LiveSnapshotSlot>();
  slot->publish(fullSnapshot());
  LiveShapesOverlay shapes(slot);
  LiveComparisonOverlay comparison(slot);
  QImage image(640, 480, QImage::Format_RGB32);
  image.fill(Qt::darkGray);
  long frames = 0;
  long before = 0;
  for (auto _ : state) {
    if (frames == 1) before = allocations.load();
    shapes.drawOnFrame(image, 1.0, 1.0);
    comparison.drawOnFrame(image, 1.0, 1.0);
    ++frames;
  }
  if (frames > 1)
    state.counters["allocs_per_frame"] =
        static_cast<double>(allocations.load() - before) / static_cast<double>(frames - 1);
}
BENCHMARK(BM_LiveOverlays)->Unit(benchmark::kMicrosecond);

// The earlier frame path, for comparison: a painter opened on the frame for each overlay.
void BM_LiveOverlaysThroughPainter(benchmark::State& state) {
  ensureApp();
  auto slot = std::make_shared<LiveSnapshotSlot>();
  slot->publish(fullSnapshot());
  LiveShapesOverlay shapes(slot);
  LiveComparisonOverlay comparison(slot);
  QImage image(640, 480, QImage::Format_RGB32);
  image.fill(Qt::darkGray);
  long frames = 0;
  long before = 0;
  for (auto _ : state) {
    if (frames == 1) before = allocations.load();
    {
      QPainter painter(&image);
      shapes.draw(painter, image.size(), 1.0, 1.0);
    }
    {
      QPainter painter(&image);
      comparison.draw(painter, image.size(), 1.0, 1.0);
    }
    ++frames;
  }
  if (frames > 1)
    state.counters["allocs_per_frame"] =
        static_cast<double>(allocations.load() - before) / static_cast<double>(frames - 1);
}
BENCHMARK(BM_LiveOverlaysThroughPainter)->Unit(benchmark::kMicrosecond);

void BM_PublishSnapshot(benchmark::State& state) {
  ensureApp();
  LiveSnapshotSlot slot;
  const auto shapes = fiftyShapes();
  const auto base = fullSnapshot();
  for (auto _ : state) {
    auto s = std::make_shared<LiveSnapshot>();
    s->shapes = shapes;
    s->comparisons = base->comparisons;
    s->overlay = base->overlay;
    s->feedback.lines.append(Segment{{10, 10}, {200, 200}});
    slot.publish(std::move(s));
  }
}
BENCHMARK(BM_PublishSnapshot)->Unit(benchmark::kMicrosecond);

}  // namespace
