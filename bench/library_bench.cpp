// The media browser and still capture at the sizes that matter: the start-up scan of a folder of 10,000
// pictures, six 1600 x 1200 JPEG thumbnails decoded cold and drawn from the cache, and the save path
// of a 1600 x 1200 still (JPEG quality 90 and BMP).
#include "capture/still/still_capture.h"
#include "core/app_context.h"
#include "library/folder_scan.h"
#include "library/thumbnail_loader.h"
#include "library/thumbnail_strip.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <vector>

namespace {

// A camera-like picture: smooth gradients with sensor noise, so JPEG has real work to do.
QImage scene(int width, int height, quint32 seed) {
  QImage image(width, height, QImage::Format_RGB32);
  QRandomGenerator random(seed);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const int n = static_cast<int>(random.bounded(24u));
      line[x] = qRgb((x / 7 + n) & 0xFF, (y / 5 + n) & 0xFF, ((x + y) / 11 + n) & 0xFF);
    }
  }
  return image;
}

QByteArray jpegOf(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", 90);
  return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

struct Folders {
  QTemporaryDir root;
  QString big;  // 10,000 small pictures and a few sub-folders
  QString six;  // six 1600 x 1200 JPEGs
  QString empty;
  Folders() {
    big = root.filePath(QStringLiteral("big"));
    six = root.filePath(QStringLiteral("six"));
    empty = root.filePath(QStringLiteral("empty"));
    for (const QString& d : {big, six, empty}) QDir().mkpath(d);
    const QByteArray small = jpegOf(scene(64, 48, 1));
    for (int i = 1; i <= 10000; ++i) {
      writeFile(big + QStringLiteral("/Still_2024-01-01_000000_100X_N%1.jpg").arg(i, 5, 10, QLatin1Char('0')), small);
    }
    for (int i = 0; i < 20; ++i) QDir(big).mkdir(QStringLiteral("folder%1").arg(i));
    for (int i = 0; i < 6; ++i) {
      writeFile(six + QStringLiteral("/Still_N%1.jpg").arg(i), jpegOf(scene(1600, 1200, 10 + static_cast<quint32>(i))));
    }
  }
};

Folders& folders() {
  static Folders instance;
  return instance;
}

void BM_StartupScan10000(benchmark::State& state) {
  Folders& f = folders();
  for (auto _ : state) {
    lumivex::ThumbnailStrip strip;
    strip.ScanFolders(f.big, f.empty);
    benchmark::DoNotOptimize(strip.pictures().count());
  }
}
BENCHMARK(BM_StartupScan10000)->Unit(benchmark::kMillisecond);

void BM_SixThumbnailsCold(benchmark::State& state) {
  Folders& f = folders();
  lumivex::ThumbnailStrip strip;
  strip.ScanFolders(f.six, f.empty);
  for (auto _ : state) {
    strip.cache().clear();
    strip.waitForThumbnails();
    benchmark::DoNotOptimize(strip.grab());
  }
}
BENCHMARK(BM_SixThumbnailsCold)->Unit(benchmark::kMillisecond)->UseRealTime();

// The decoding alone, one after the other on this thread: the work the two workers share.
void BM_SixThumbnailDecodesSerial(benchmark::State& state) {
  Folders& f = folders();
  const QStringList paths = lumivex::FolderScan::pictures(f.six);
  for (auto _ : state) {
    for (const QString& path : paths) {
      benchmark::DoNotOptimize(lumivex::ThumbnailLoader::decode({path, 0, 0, QSize(90, 80), false}));
    }
  }
}
BENCHMARK(BM_SixThumbnailDecodesSerial)->Unit(benchmark::kMillisecond);

void BM_SixThumbnailsCached(benchmark::State& state) {
  Folders& f = folders();
  lumivex::ThumbnailStrip strip;
  strip.ScanFolders(f.six, f.empty);
  strip.waitForThumbnails();
  for (auto _ : state) benchmark::DoNotOptimize(strip.grab());
}
BENCHMARK(BM_SixThumbnailsCached)->Unit(benchmark::kMillisecond);

void BM_StillSave(benchmark::State& state) {
  QTemporaryDir home;
  qputenv("HOME", home.path().toUtf8());
  qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
  qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
  lumivex::AppContext& context = lumivex::AppContext::initialise();
  context.folders().resolve(context.paths().programFolder, context.paths().documentsFolder);
  QDir().mkpath(context.folders().pictureFolder());
  context.settings().imageFormat = static_cast<lumivex::ImageFormat>(state.range(0));

  const QImage picture = scene(1600, 1200, 7);
  const int stride = 1600 * 3;
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(stride) * 1200);
  for (int row = 0; row < 1200; ++row) {
    const auto* src = reinterpret_cast<const QRgb*>(picture.constScanLine(1199 - row));
    for (int x = 0; x < 1600; ++x) {
      std::uint8_t* p = frame.data() + static_cast<std::size_t>(row) * stride + x * 3;
      p[0] = static_cast<std::uint8_t>(qBlue(src[x]));
      p[1] = static_cast<std::uint8_t>(qGreen(src[x]));
      p[2] = static_cast<std::uint8_t>(qRed(src[x]));
    }
  }
  lumivex::StillCapture capture;
  capture.setBurnIn([](QPainter& painter, double scale) {  // a typical live line with its label
    painter.setPen(QPen(Qt::red, 2));
    painter.drawLine(lumivex::StillCapture::toPicture({100, 100}, scale),
                     lumivex::StillCapture::toPicture({400, 300}, scale));
    painter.drawText(lumivex::StillCapture::toPicture({400, 300}, scale), QStringLiteral("L:1.234mm"));
  });
  const lumivex::StillFrame view{1600, 1200, stride, frame.data(), frame.size()};
  for (auto _ : state) {
    const auto path = capture.saveStill(view, QStringLiteral("100"), false);
    if (!path) state.SkipWithError("save failed");
    state.PauseTiming();
    if (path) QFile::remove(*path);
    state.ResumeTiming();
  }
  lumivex::AppContext::shutdown();
}
BENCHMARK(BM_StillSave)->Arg(2)->Arg(1)->Unit(benchmark::kMillisecond)->ArgName("ImageFormat");

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  folders();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
