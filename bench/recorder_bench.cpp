// Recording and time-lapse figures. Run: build/bench/bench_recorder
//  - BM_WriteFrame: what FrameSink::writeFrame costs the frame thread (pacing + one copy into the ring);
//    the encoder is drained between iterations so every call takes the copying path.
//  - BM_Encode: what the encoder thread spends per frame (conversion, compression, writing).
//  - BM_PreviewWhileRecording: the simulated camera at 1280 x 960 through the real pipeline for a few
//    seconds, without and with an MSVC recording: frames the preview composed per second, frames written,
//    frames dropped.
//  - BM_Timelapse200: 200 stills of 1600 x 1200 (JPEG q90) into one video.
#include "capture/capture_window.h"
#include "capture/demo_camera_hub.h"
#include "capture/demo_scene.h"
#include "capture/gst_capture_service.h"
#include "capture/recorder/avi_writer.h"
#include "capture/recorder/ffmpeg_recorder.h"
#include "capture/recorder/timelapse_builder.h"
#include "core/app_context.h"
#include "image/cx_image.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace {

using namespace lumivex;

void ensureApp() {
  static int argc = 1;
  static char name[] = "bench_recorder";
  static char* argv[] = {name, nullptr};
  if (!QGuiApplication::instance()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);  // lives for the process
  }
}

// A camera-like frame: the specimen with sensor noise, so compressors see realistic content.
std::vector<std::uint8_t> cameraFrame(int width, int height, unsigned seed) {
  const QImage scene = DemoScene::specimen(QSize(width, height)).convertToFormat(QImage::Format_BGR888);
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width) * height * 3);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    const uchar* in = scene.constScanLine(y);
    std::uint8_t* out = &bgr[static_cast<std::size_t>(y) * width * 3];
    for (int x = 0; x < width * 3; ++x)
      out[x] = static_cast<std::uint8_t>(std::clamp(in[x] + int(random() % 9) - 4, 0, 255));
  }
  return bgr;
}

void BM_WriteFrame(benchmark::State& state) {
  ensureApp();
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const int frameWidth = static_cast<int>(state.range(2));
  const int frameHeight = static_cast<int>(state.range(3));
  QTemporaryDir dir;
  std::mutex lock;
  std::int64_t ns = 0;
  FfmpegRecorder recorder(lock, [&] { return FramePacer::Clock::time_point(std::chrono::nanoseconds(ns)); });
  RecordingFormat format{dir.filePath(QStringLiteral("bench.avi")), {width, height}, 5, {}};
  format.options.handler = QStringLiteral("MJPG");  // the fastest drain; writeFrame does not depend on it
  if (!recorder.start(format).isEmpty()) {
    state.SkipWithError("cannot start");
    return;
  }
  const auto frame = cameraFrame(frameWidth, frameHeight, 1);
  for (auto _ : state) {
    state.PauseTiming();
    while (recorder.framesQueued() > 0) std::this_thread::yield();
    ns += 200'000'000;
    state.ResumeTiming();
    recorder.writeFrame(frame.data(), frameWidth, frameHeight, frameWidth * 3, 0);
  }
  const RecordingResult result = recorder.close();
  state.counters["dropped"] = static_cast<double>(result.framesDropped);
  state.counters["written"] = static_cast<double>(result.framesWritten);
}

void BM_Encode(benchmark::State& state) {
  ensureApp();
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const char* codecs[] = {"MSVC", "MJPG", "DIB ", "HFYU", "FMP4"};
  const QString handler = QString::fromLatin1(codecs[state.range(2)]);
  state.SetLabel(handler.toStdString());
  QTemporaryDir dir;
  AviWriter writer;
  CompressionOptions options;
  options.handler = handler;
  if (!writer.open(dir.filePath(QStringLiteral("encode.avi")), {{width, height}, 5, options}).isEmpty()) {
    state.SkipWithError("cannot open");
    return;
  }
  const std::vector<std::uint8_t> frames[] = {cameraFrame(width, height, 1), cameraFrame(width, height, 2)};
  std::int64_t index = 0;
  for (auto _ : state) {
    const auto& f = frames[index % 2];
    if (!writer.write(f.data(), width, height, width * 3, index++).isEmpty()) state.SkipWithError("write failed");
  }
  state.counters["MB_per_frame"] = static_cast<double>(writer.bytesWritten()) / 1e6 / static_cast<double>(index);
  writer.finish();
}

void BM_PreviewWhileRecording(benchmark::State& state) {
  ensureApp();
  const bool recording = state.range(0) != 0;
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toLocal8Bit());
  AppContext::initialise();
  DemoCameraHub::instance().reset();
  DemoCameraHub::instance().addCamera(QStringLiteral("Lumivex Demo Camera"));
  GstCaptureService service(true);
  QObject receiver;
  service.setReceiver(&receiver);
  if (service.connectDevice() != CaptureService::ConnectResult::Connected) {
    state.SkipWithError("no simulated camera");
    return;
  }
  service.setCaptureSize(CaptureService::SizePreset::Medium);  // 1280 x 960, rate class 14: 15 fps
  CaptureWindow& window = service.window();
  auto recorder = std::make_shared<FfmpegRecorder>(AppContext::current().recordingLock());
  const auto pump = [](int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  };
  pump(1000);  // settle
  RecordingResult result;
  for (auto _ : state) {
    if (recording) {
      recorder->start({home.filePath(QStringLiteral("preview.avi")), {1280, 960}, 15, {}});
      window.frameHandler().setRecorder(recorder);
    }
    const std::uint64_t before = window.frameHandler().framesSeen();
    QElapsedTimer t;
    t.start();
    pump(8000);
    const double seconds = static_cast<double>(t.elapsed()) / 1000.0;
    state.counters["preview_fps"] = static_cast<double>(window.frameHandler().framesSeen() - before) / seconds;
    if (recording) {
      window.frameHandler().setRecorder(nullptr);
      result = recorder->close();
      state.counters["written_fps"] = static_cast<double>(result.framesWritten) / seconds;
      state.counters["dropped"] = static_cast<double>(result.framesDropped);
    }
  }
  service.release();
  DemoCameraHub::instance().reset();
  AppContext::shutdown();
}

void BM_Timelapse200(benchmark::State& state) {
  ensureApp();
  const char* codec = state.range(0) == 0 ? "MJPG" : "MSVC";
  state.SetLabel(codec);
  QTemporaryDir dir;
  TimelapseJob job;
  QImage scene = DemoScene::specimen(QSize(1600, 1200)).convertToFormat(QImage::Format_RGB888);
  for (int i = 0; i < 200; ++i) {
    // The specimen drifting a little, as a series of stills would show it.
    QImage still(scene.size(), scene.format());
    still.fill(Qt::gray);
    for (int y = 0; y + i < scene.height(); ++y) {
      std::memcpy(still.scanLine(y), scene.constScanLine(y + i), static_cast<std::size_t>(scene.bytesPerLine()));
    }
    CxImage image;
    image.CreateFromQImage(still);
    image.SetJpegQuality(90);
    const QString path = dir.filePath(QStringLiteral("Still_N%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
    image.Save(path, CxImage::kTypeJpg);
    job.stills << path;
  }
  job.output = dir.filePath(QStringLiteral("timelapse.avi"));
  job.options.handler = QString::fromLatin1(codec);
  for (auto _ : state) {
    const TimelapseResult result = TimelapseBuilder::build(job);
    if (!result.ok()) state.SkipWithError("build failed");
    state.counters["frames"] = result.framesWritten;
  }
}

}  // namespace

BENCHMARK(BM_WriteFrame)
    ->Args({1600, 1200, 1600, 1200})
    ->Args({1280, 960, 1280, 960})
    ->Args({1600, 1200, 1280, 960})  // a frame of another size, scaled on the way in
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode)
    ->Args({1600, 1200, 0})
    ->Args({1280, 960, 0})
    ->Args({640, 480, 0})
    ->Args({1600, 1200, 1})
    ->Args({1600, 1200, 2})
    ->Args({1600, 1200, 3})
    ->Args({1600, 1200, 4})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewWhileRecording)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_Timelapse200)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
