// lumivex-image timelapse: a time-lapse video of stills, as the timed-capture dialog makes it.
#include "capture/recorder/compressor_catalog.h"
#include "capture/recorder/timelapse_builder.h"
#include "tools/lumivex_image/command_registry.h"

#include <cstdio>

namespace lumivex::tool {
namespace {

int failWith(const QString& text) {
  std::fprintf(stderr, "lumivex-image: %s\n", qPrintable(text));
  return 1;
}

int timelapse(const QStringList& args) {
  TimelapseJob job;
  job.options = CompressionSettings::defaults();
  QStringList rest = args;
  while (!rest.isEmpty() && rest.front().startsWith(QLatin1String("--"))) {
    const QString option = rest.takeFirst();
    if (rest.isEmpty()) return failWith(option + QStringLiteral(" needs a value"));
    const QString value = rest.takeFirst();
    if (option == QLatin1String("--fps")) {
      bool ok = false;
      job.fps = value.toInt(&ok);
      if (!ok) return failWith(QStringLiteral("--fps needs a number"));
    } else if (option == QLatin1String("--codec")) {
      job.options.handler = value.leftJustified(4, QLatin1Char(' '), true);
      if (!CompressorCatalog::isAvailable(job.options.handler)) {
        QStringList names;
        for (const CompressorInfo& c : CompressorCatalog::available()) names << c.handler.trimmed();
        return failWith(QStringLiteral("unknown codec %1 (available: %2)").arg(value, names.join(QLatin1Char(' '))));
      }
    } else if (option == QLatin1String("--quality")) {
      job.options.quality = value.toInt();
    } else {
      return failWith(QStringLiteral("unknown option ") + option);
    }
  }
  if (rest.size() < 2) return failWith(QStringLiteral("usage: timelapse [--fps N] [--codec FOURCC] OUT.avi STILL..."));
  job.output = rest.takeFirst();
  job.stills = rest;
  const TimelapseResult result = TimelapseBuilder::build(job);
  for (const QString& skipped : result.unreadable)
    std::fprintf(stderr, "skipped (unreadable): %s\n", qPrintable(skipped));
  if (!result.ok()) return failWith(result.error);
  std::printf("%s: %d frames at %d fps\n", qPrintable(job.output), result.framesWritten, job.fps);
  return 0;
}

// Codes are four characters; "DIB" is given without its trailing space.
const bool kRegistered = registerCommand(
    "timelapse", "[--fps N (10)] [--codec MSVC|MJPG|DIB|HFYU|FMP4] [--quality 0-10000] OUT.avi STILL...", timelapse);

}  // namespace
}  // namespace lumivex::tool
