// The player at the camera's largest size, 1600 x 1200: opening a file to its first frame shown paused,
// and an accurate 2-second jump (the worst case for FFmpeg's Microsoft Video 1, whose key frames are 26
// frames apart, so a jump decodes up to 25 frames before it shows one). Files are made with ffmpeg.
#include "library/player/gst_playback_graph.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <map>

namespace {

class CountingDisplay : public lumivex::VideoDisplay {
 public:
  void present(QImage) override { ++frames; }
  std::atomic<int> frames{0};
};

// 10 s at 15 frames a second of a moving test picture; empty when ffmpeg cannot make it.
QString video(const char* codec) {
  static QTemporaryDir dir;
  static std::map<std::string, QString> made;
  const auto found = made.find(codec);
  if (found != made.end()) return found->second;
  const QString path = dir.filePath(QStringLiteral("%1.avi").arg(QLatin1String(codec)));
  QProcess ffmpeg;
  ffmpeg.start(QStringLiteral("ffmpeg"),
               {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("testsrc2=s=1600x1200:r=15:d=10"),
                QStringLiteral("-c:v"), QLatin1String(codec), path});
  const bool ok = ffmpeg.waitForFinished(300000) && ffmpeg.exitCode() == 0;
  return made[codec] = ok ? path : QString();
}

void BM_OpenToFirstFrame(benchmark::State& state, const char* codec) {
  const QString path = video(codec);
  if (path.isEmpty()) {
    state.SkipWithError("ffmpeg cannot make the video");
    return;
  }
  CountingDisplay display;
  for (auto _ : state) {
    lumivex::GstPlaybackGraph graph;
    graph.create();
    graph.setDisplayWindow(&display);
    if (!graph.renderFile(path)) state.SkipWithError("cannot render");
    graph.destroy();
  }
}
BENCHMARK_CAPTURE(BM_OpenToFirstFrame, msvc, "msvideo1")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenToFirstFrame, mjpeg, "mjpeg")->Unit(benchmark::kMillisecond);

void BM_JumpTwoSeconds(benchmark::State& state, const char* codec) {
  const QString path = video(codec);
  if (path.isEmpty()) {
    state.SkipWithError("ffmpeg cannot make the video");
    return;
  }
  CountingDisplay display;
  lumivex::GstPlaybackGraph graph;
  graph.create();
  graph.setDisplayWindow(&display);
  if (!graph.renderFile(path)) {
    state.SkipWithError("cannot render");
    return;
  }
  // 1.6 s, 3.6 s, ... 7.6 s: each jump lands 24 frames after the key frame before it, or close to that.
  double from = 1.6;
  for (auto _ : state) {
    graph.setPosition(from);
    from = from >= 7.0 ? 1.6 : from + 2.0;
  }
  graph.destroy();
}
BENCHMARK_CAPTURE(BM_JumpTwoSeconds, msvc, "msvideo1")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_JumpTwoSeconds, mjpeg, "mjpeg")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
