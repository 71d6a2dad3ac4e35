#include "capture/recorder/compressor_probe.h"

#include "capture/recorder/avi_writer.h"
#include "capture/recorder/video_naming.h"

#include <QDir>
#include <QFile>

#include <mutex>
#include <optional>
#include <vector>

namespace lumivex {

QString CompressorProbe::scratchPath(const QString& videoFolder) {
  return videoFolder + QLatin1Char('/') + QLatin1String(VideoNaming::kScratchName);
}

QString CompressorProbe::test(const QString& videoFolder, QSize size, int rate, const CompressionOptions& options) {
  if (!QDir().mkpath(videoFolder)) return QStringLiteral("Cannot create the folder %1").arg(videoFolder);
  const QString path = scratchPath(videoFolder);
  QString error;
  {
    AviWriter writer;
    error = writer.open(path, {size, rate, options});
    if (error.isEmpty()) {
      const QSize stream = writer.format().size;
      const std::vector<std::uint8_t> grey(static_cast<std::size_t>(stream.width()) * 3u * stream.height(), 128);
      error = writer.write(grey.data(), stream.width(), stream.height(), stream.width() * 3, 0);
      const QString finished = writer.finish();
      if (error.isEmpty()) error = finished;
    }
  }
  QFile::remove(path);
  return error;
}

QString CompressorProbe::testAndUse(const QString& videoFolder, QSize size, int rate,
                                    const CompressionOptions& options) {
  // F3 tests the default every time; the same options at the same size and rate passed already, and a
  // 1600 x 1200 test costs the GUI thread a frame's compression.
  struct Passed {
    QString folder;
    QSize size;
    int rate = 0;
    CompressionOptions options;
    bool operator==(const Passed&) const = default;
  };
  static std::mutex lock;
  static std::optional<Passed> last;
  const Passed now{videoFolder, size, rate, options};
  {
    std::lock_guard guard(lock);
    if (last == now && CompressionSettings::current() == options) return {};
  }
  QString error = test(videoFolder, size, rate, options);
  if (error.isEmpty()) {
    CompressionSettings::replace(options);
    std::lock_guard guard(lock);
    last = now;
  }
  return error;
}

}  // namespace lumivex
