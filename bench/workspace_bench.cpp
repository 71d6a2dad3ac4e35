// Speed of the still workspace: opening a 1600 x 1200 JPEG, one rubber-band move over 200 shapes, and a
// save of the picture with 200 shapes. Run offscreen: QT_QPA_PLATFORM=offscreen bench/bench_workspace
#include "core/atomic_file.h"
#include "image/cx_image.h"
#include "image/cx_image_jpg.h"
#include "image/cx_mem_file.h"
#include "image/picture_file.h"
#include "measure/measure_canvas.h"
#include "measure/shape_builder.h"
#include "workspace/image_workspace.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <random>

namespace {

using namespace lumivex;

QTemporaryDir& folder() {
  static QTemporaryDir dir;
  return dir;
}

// A microscope-like 1600 x 1200 picture: shaded background, discs and bands, sensor noise.
QString jpegPath() {
  static const QString path = [] {
    QImage image(1600, 1200, QImage::Format_RGB888);
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0.0, 5.0);
    for (int y = 0; y < image.height(); ++y) {
      uchar* row = image.scanLine(y);
      for (int x = 0; x < image.width(); ++x) {
        const double shade = 180 + 30 * std::sin(x / 300.0) * std::cos(y / 250.0);
        const bool disc = std::hypot(x - 500.0, y - 600.0) < 220 || std::hypot(x - 1150.0, y - 450.0) < 140;
        const bool band = y > 950 && y < 1050;
        const double v = (disc || band ? 60 : shade) + noise(random);
        row[x * 3] = static_cast<uchar>(std::clamp(v + 10, 0.0, 255.0));
        row[x * 3 + 1] = static_cast<uchar>(std::clamp(v, 0.0, 255.0));
        row[x * 3 + 2] = static_cast<uchar>(std::clamp(v - 10, 0.0, 255.0));
      }
    }
    CxImage picture;
    picture.CreateFromQImage(image);
    const QString p = folder().path() + QStringLiteral("/Still_2024-01-02_030405_100X_N0001.jpg");
    picture.Save(p, CxImage::kTypeJpg);
    return p;
  }();
  return path;
}

// 200 records of every common kind spread over the 640 x 480 view, with their labels.
void addShapes(ShapeList& shapes, int count) {
  const UnitConversion u{0.02963 * 2.5, 47, 3, QStringLiteral("mm")};
  std::mt19937 random(7);
  std::uniform_int_distribution<int> x(20, 600), y(20, 440);
  for (int i = 0; i < count; ++i) {
    const QPoint a(x(random), y(random)), b(x(random), y(random)), c(x(random), y(random));
    std::optional<MeasureShape> shape;
    switch (i % 6) {
      case 0:
        shape = makeLine(a, b, c, u);
        break;
      case 1:
        shape = makeRadiusCircle(a, a + QPoint(25, 10), c, u);
        break;
      case 2:
        shape = makeRectangle(a, a + QPoint(60, 40), c, u);
        break;
      case 3:
        shape = makeAngle(a, b, c, c);
        break;
      case 4:
        shape = makeThreePointCircle(a, a + QPoint(30, 30), a + QPoint(60, 0), c, u);
        break;
      default:
        shape = makeCircleLabel(a, i);
        break;
    }
    if (!shape) continue;
    applyStyle(*shape, ShapeStyle{});
    shapes.append(std::make_unique<MeasureShape>(std::move(*shape)));
  }
}

void moveMouse(QWidget* view, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, QPointF(at), view->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(view, &move);
}

void clickMouse(QWidget* view, QPoint at) {
  moveMouse(view, at);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), view->mapToGlobal(QPointF(at)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), view->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(view, &release);
}

// Decoding the JPEG, building the window and its canvas, and its first paint.
void BM_OpenJpeg1600x1200(benchmark::State& state) {
  const QString path = jpegPath();
  // Icons, fonts and the platform are loaded once per process, not per picture.
  ImageWorkspace::open(path, nullptr, nullptr)->closeWithoutAsking();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (auto _ : state) {
    ImageWorkspace* workspace = ImageWorkspace::open(path, nullptr, nullptr);
    workspace->repaint();
    benchmark::DoNotOptimize(workspace);
    state.PauseTiming();
    workspace->closeWithoutAsking();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenJpeg1600x1200)->Unit(benchmark::kMillisecond)->UseRealTime();

// One mouse move while a line is being drawn over 200 shapes: the controller's work and the repaint of
// what the rubber band covered and covers.
void BM_RubberBandMove200Shapes(benchmark::State& state) {
  ImageWorkspace* workspace = ImageWorkspace::open(jpegPath(), nullptr, nullptr);
  MeasureCanvas* canvas = workspace->canvas();
  addShapes(canvas->controller().shapes(), 200);
  canvas->setTool({ToolMode::Line, kMeasureFlagPaint});
  QWidget* view = canvas->viewport();
  clickMouse(view, {300, 240});
  QApplication::processEvents();
  int i = 0;
  for (auto _ : state) {
    const QPoint at(320 + (i % 50) * 3, 200 + (i % 30) * 2);
    ++i;
    moveMouse(view, at);
    // Painted at once (the platform would otherwise merge paints to its frame rate).
    view->repaint(canvas->lastRepaint());
  }
  state.counters["shapes"] = canvas->controller().shapes().count();
  state.counters["repaint_px"] = canvas->lastRepaint().width() * canvas->lastRepaint().height();
  state.counters["lines"] = static_cast<double>(canvas->controller().feedback().lines.size());
  workspace->closeWithoutAsking();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
BENCHMARK(BM_RubberBandMove200Shapes)->Unit(benchmark::kMillisecond)->UseRealTime();

// The save: rendering the full-size picture with 200 shapes and writing it as a quality-90 JPEG.
void BM_Save200Shapes1600x1200Jpeg(benchmark::State& state) {
  ImageWorkspace* workspace = ImageWorkspace::open(jpegPath(), nullptr, nullptr);
  MeasureCanvas* canvas = workspace->canvas();
  addShapes(canvas->controller().shapes(), 200);
  const QString out = folder().path() + QStringLiteral("/saved.jpg");
  for (auto _ : state) {
    const bool saved = saveRenderedPicture(canvas->renderPicture(), out, canvas->picture().GetExif());
    if (!saved) state.SkipWithError("save failed");
  }
  workspace->closeWithoutAsking();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
BENCHMARK(BM_Save200Shapes1600x1200Jpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

// The save's parts: the rendering alone, the rendering with the JPEG encoding from the rendered rows (what
// the save does) but no file, and the same through a 24-bit container copy of the picture (the save's
// earlier way, kept for comparison).
void BM_SaveParts(benchmark::State& state) {
  ImageWorkspace* workspace = ImageWorkspace::open(jpegPath(), nullptr, nullptr);
  MeasureCanvas* canvas = workspace->canvas();
  addShapes(canvas->controller().shapes(), 200);
  const int64_t mode = state.range(0);
  for (auto _ : state) {
    const QImage rendered = canvas->renderPicture();
    if (mode == 1) {
      CxMemFile encoded;
      encoded.Reserve(static_cast<size_t>(rendered.width()) * static_cast<size_t>(rendered.height()));
      if (!CxImageJPG::EncodeRgb32(rendered, 90, {}, encoded, nullptr)) state.SkipWithError("encode failed");
      benchmark::DoNotOptimize(encoded.GetBuffer());
    } else if (mode == 2) {
      CxImage picture;
      picture.CreateFromQImage(rendered);
      picture.SetJpegQuality(90);
      std::vector<uint8_t> bytes;
      picture.Encode(bytes, CxImage::kTypeJpg);
      benchmark::DoNotOptimize(bytes.data());
    }
    benchmark::DoNotOptimize(rendered.constBits());
  }
  state.SetLabel(mode == 0 ? "render" : mode == 1 ? "render + encode from the rows" : "render + 24-bit copy + encode");
  workspace->closeWithoutAsking();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
BENCHMARK(BM_SaveParts)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The file write alone, of the encoded JPEG of the save above: through the atomic writer (temporary file,
// fsync of the file, rename, fsync of the folder) and as a plain write without any fsync, so the difference
// is what the two fsyncs and the rename cost on this disk.
void BM_WriteEncodedJpeg(benchmark::State& state) {
  ImageWorkspace* workspace = ImageWorkspace::open(jpegPath(), nullptr, nullptr);
  MeasureCanvas* canvas = workspace->canvas();
  addShapes(canvas->controller().shapes(), 200);
  CxImage picture;
  picture.CreateFromQImage(canvas->renderPicture());
  picture.SetJpegQuality(90);
  std::vector<uint8_t> bytes;
  picture.Encode(bytes, CxImage::kTypeJpg);
  workspace->closeWithoutAsking();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  const QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  const QString out = folder().path() + QStringLiteral("/written.jpg");
  const bool atomic = state.range(0) == 1;
  for (auto _ : state) {
    if (atomic) {
      if (!AtomicFile::write(out, data)) state.SkipWithError("write failed");
    } else {
      QFile file(out);
      if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        state.SkipWithError("write failed");
    }
  }
  state.SetLabel((atomic ? "atomic writer, " : "plain write, no fsync, ") + std::to_string(data.size() / 1024) +
                 " KiB");
}
BENCHMARK(BM_WriteEncodedJpeg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
