#include "capture/recorder/timelapse_builder.h"

#include "capture/recorder/avi_writer.h"
#include "capture/recorder/jpeg_frame_info.h"
#include "core/atomic_file.h"
#include "image/cx_image.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace lumivex {
namespace {

uint32_t typeOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("bmp")) return CxImage::kTypeBmp;
  if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) return CxImage::kTypeJpg;
  return CxImage::kTypeUnknown;
}

// One still: decoded (24-bit), or a JPEG picture the stream takes as it is, or the note that it could not
// be read.
struct Decoded {
  int position = 0;
  std::optional<CxImage> image;
  QByteArray jpeg;
  QSize size;
};

// Decodes the stills in order on its own thread, at most kAhead pictures ahead of the encoder. For a
// Motion JPEG video, JPEG stills of the video's size are not decoded at all: their bytes are the frame.
class DecodeAhead {
 public:
  static constexpr std::size_t kAhead = 3;

  DecodeAhead(const QStringList& stills, const std::atomic<bool>* cancel, const QString& handler)
      : stills_(stills), cancel_(cancel), handler_(handler), thread_([this] { run(); }) {}
  ~DecodeAhead() {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  // The next picture in order; nothing after the last.
  std::optional<Decoded> next() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
    if (ready_.empty()) return std::nullopt;
    Decoded d = std::move(ready_.front());
    ready_.pop_front();
    changed_.notify_all();
    return d;
  }

 private:
  void run() {
    for (int i = 0; i < stills_.size(); ++i) {
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return ready_.size() < kAhead || quit_; });
        if (quit_) break;
      }
      if (cancel_ && cancel_->load()) break;
      Decoded d = read(i);
      std::lock_guard lock(mutex_);
      ready_.push_back(std::move(d));
      changed_.notify_all();
    }
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
  }

  Decoded read(int position) {
    Decoded d;
    d.position = position;
    const QString& path = stills_[position];
    const uint32_t type = typeOf(path);
    QFile file(path);
    if (type == CxImage::kTypeUnknown || !file.open(QIODevice::ReadOnly)) return d;
    const QByteArray bytes = file.readAll();
    if (type == CxImage::kTypeJpg && handler_ == QLatin1String(kMotionJpeg)) {
      if (const std::optional<QSize> size = motionJpegFrameSize(bytes)) {
        if (streamSize_.isEmpty()) streamSize_ = AviWriter::acceptedSize(handler_, *size);
        if (*size == streamSize_) {
          d.jpeg = bytes;
          d.size = *size;
          return d;
        }
      }
    }
    CxImage image;
    if (image.Decode(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()), type) &&
        (image.GetBpp() == 24 || image.IncreaseBpp24())) {
      d.size = QSize(static_cast<int>(image.GetWidth()), static_cast<int>(image.GetHeight()));
      if (streamSize_.isEmpty()) streamSize_ = AviWriter::acceptedSize(handler_, d.size);
      d.image = std::move(image);
    }
    return d;
  }

  static constexpr char kMotionJpeg[] = "MJPG";
  const QStringList& stills_;
  const std::atomic<bool>* cancel_;
  const QString handler_;
  QSize streamSize_;  // decoder thread only
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Decoded> ready_;
  bool finished_ = false;
  bool quit_ = false;
  std::thread thread_;  // last: starts once everything above exists
};

}  // namespace

TimelapseResult TimelapseBuilder::build(const TimelapseJob& job, const Progress& progress,
                                        const std::atomic<bool>* cancel) {
  TimelapseResult result;
  if (job.stills.isEmpty()) {
    result.error = QStringLiteral("No pictures to make a video of");
    return result;
  }
  if (job.fps < 1 || job.fps > kMaxFps) {
    result.error = QStringLiteral("The frame rate must be between 1 and %1").arg(kMaxFps);
    return result;
  }
  // Written under the atomic writer's temporary name and renamed over the output at the end.
  AtomicFile file(job.output);
  if (const WriteResult opened = file.open(); !opened) {
    result.error = QStringLiteral("Cannot write %1: %2").arg(job.output, opened.reason);
    return result;
  }
  AviWriter writer;
  const int total = static_cast<int>(job.stills.size());
  {
    DecodeAhead decoder(job.stills, cancel, job.options.handler);
    int done = 0;
    while (std::optional<Decoded> d = decoder.next()) {
      if (cancel && cancel->load()) break;
      ++done;
      if (!d->image && d->jpeg.isEmpty()) {
        result.unreadable << job.stills[d->position];
      } else {
        if (!writer.isOpen()) {
          result.error = writer.open(file.temporaryPath(), {d->size, job.fps, job.options});
          if (!result.error.isEmpty()) break;
        }
        if (d->image) {
          // DIB rows are bottom-up: start at the top row and walk backwards.
          const CxImage& image = *d->image;
          const std::uint8_t* top = image.GetBits(static_cast<uint32_t>(d->size.height() - 1));
          result.error = writer.write(top, d->size.width(), d->size.height(), -static_cast<int>(image.GetEffWidth()),
                                      result.framesWritten);
        } else {
          result.error = writer.writeEncoded(d->jpeg, result.framesWritten);
        }
        if (!result.error.isEmpty()) break;
        ++result.framesWritten;
      }
      if (progress) progress(done, total);
    }
  }
  result.cancelled = cancel && cancel->load();
  if (result.error.isEmpty() && !result.cancelled && result.framesWritten == 0) {
    result.error = QStringLiteral("None of the pictures could be read");
  }
  if (writer.isOpen() && result.ok()) result.error = writer.finish();
  writer.abandon();
  if (!result.ok()) return result;  // the temporary goes with `file`
  if (const WriteResult committed = file.commit(); !committed) {
    result.error = QStringLiteral("Cannot write %1: %2").arg(job.output, committed.reason);
  }
  return result;
}

}  // namespace lumivex
