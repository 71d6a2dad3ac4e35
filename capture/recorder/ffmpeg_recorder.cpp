#include "capture/recorder/ffmpeg_recorder.h"

#include "capture/recorder/avi_writer.h"
#include "core/logging.h"

#include <QtGlobal>

#include <cstring>

namespace lumivex {

FfmpegRecorder::FfmpegRecorder(std::mutex& recordingLock, Now now) : lock_(recordingLock), now_(std::move(now)) {
  if (!now_) now_ = [] { return FramePacer::Clock::now(); };
}

FfmpegRecorder::~FfmpegRecorder() { close(); }

void FfmpegRecorder::setFailureListener(std::function<void(const QString&)> listener) {
  std::lock_guard lock(lock_);
  listener_ = std::move(listener);
}

bool FfmpegRecorder::isRecording() const { return writer_ != nullptr; }

std::int64_t FfmpegRecorder::framesDropped() const {
  std::lock_guard lock(lock_);
  return dropped_;
}

int FfmpegRecorder::queueCapacity() const {
  std::lock_guard lock(lock_);
  return ring_ ? ring_->capacity() : 0;
}

int FfmpegRecorder::framesQueued() const {
  std::lock_guard lock(lock_);
  return ring_ ? ring_->filled() : 0;
}

QSize FfmpegRecorder::streamSize() const {
  std::lock_guard lock(lock_);
  return size_;
}

QString FfmpegRecorder::start(const RecordingFormat& format) {
  close();
  auto writer = std::make_unique<AviWriter>();
  if (QString error = writer->open(format.path, {format.size, format.rate, format.options}); !error.isEmpty()) {
    return error;
  }
  const QSize size = writer->format().size;
  const std::size_t frameBytes = static_cast<std::size_t>(size.width()) * 3u * static_cast<std::size_t>(size.height());
  // Allocated (and touched) here, on the GUI thread, so the frame thread never allocates.
  auto ring = std::make_unique<FrameRing>(FrameRing::slotsFor(frameBytes), frameBytes);
  writer_ = std::move(writer);
  error_.clear();
  {
    std::lock_guard lock(lock_);
    ring_ = std::move(ring);
    pacer_.emplace(writer_->format().rate);
    size_ = size;
    dropped_ = 0;
    resized_ = 0;
    stopping_ = false;
    accepting_ = true;
  }
  encoder_ = std::thread([this] { encoderLoop(); });
  return {};
}

void FfmpegRecorder::writeFrame(const std::uint8_t* topDown, int frameWidth, int frameHeight, int stride,
                                std::int64_t) {
  if (!topDown || frameWidth <= 0 || frameHeight <= 0) return;
  const auto now = now_();
  std::lock_guard lock(lock_);
  if (!accepting_) return;
  const std::optional<std::int64_t> index = pacer_->indexFor(now);
  if (!index) return;  // ahead of the stream's rate: not wanted, nothing copied
  FrameRing::Slot* slot = ring_->freeSlot();
  if (!slot) {
    // The encoder is behind: this position of the stream stays empty (counted once, not once per
    // camera frame that arrives while it lasts).
    ++dropped_;
    pacer_->commit(*index, now);
    return;
  }
  copyInto(*slot, topDown, frameWidth, frameHeight, stride);
  slot->index = *index;
  pacer_->commit(*index, now);
  ring_->push();
  wake_.notify_one();
}

void FfmpegRecorder::copyInto(FrameRing::Slot& slot, const std::uint8_t* topDown, int frameWidth, int frameHeight,
                              int stride) {
  const int width = size_.width();
  const int height = size_.height();
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3u;
  std::uint8_t* out = slot.pixels.data();
  if (frameWidth == width && frameHeight == height) {
    for (int y = 0; y < height; ++y) {
      std::memcpy(out + rowBytes * static_cast<std::size_t>(y), topDown + static_cast<std::ptrdiff_t>(stride) * y,
                  rowBytes);
    }
    return;
  }
  // Another size (F10-F12, the settings dialog, a reconnection): nearest neighbour onto the stream's
  // size, reading only inside the frame.
  ++resized_;
  if (columnsFor_ != frameWidth || static_cast<int>(columns_.size()) != width) {
    columns_.resize(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
      const long long source = static_cast<long long>(x) * frameWidth / width;
      columns_[static_cast<std::size_t>(x)] = static_cast<int>(source) * 3;
    }
    columnsFor_ = frameWidth;
  }
  for (int y = 0; y < height; ++y) {
    const int sy = static_cast<int>(static_cast<long long>(y) * frameHeight / height);
    const std::uint8_t* in = topDown + static_cast<std::ptrdiff_t>(stride) * sy;
    std::uint8_t* row = out + rowBytes * static_cast<std::size_t>(y);
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = in + columns_[static_cast<std::size_t>(x)];
      row[3 * x] = p[0];
      row[3 * x + 1] = p[1];
      row[3 * x + 2] = p[2];
    }
  }
}

void FfmpegRecorder::encoderLoop() {
  const int width = writer_->format().size.width();
  const int height = writer_->format().size.height();
  bool failed = false;
  std::unique_lock lock(lock_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !ring_->empty(); });
    FrameRing::Slot* slot = ring_->oldest();
    if (!slot) break;  // stopping and drained
    lock.unlock();
    QString error;
    if (!failed) error = writer_->write(slot->pixels.data(), width, height, width * 3, slot->index);
    lock.lock();
    ring_->pop();
    if (!error.isEmpty()) {
      // The first write error ends the recording: no more frames are taken, the queued ones are dropped.
      failed = true;
      error_ = error;
      accepting_ = false;
      ring_->clear();
      auto listener = listener_;
      lock.unlock();
      if (listener) listener(error);
      lock.lock();
    }
  }
}

RecordingResult FfmpegRecorder::close() {
  if (!writer_) return {};
  {
    std::lock_guard lock(lock_);
    accepting_ = false;
    stopping_ = true;
  }
  wake_.notify_all();
  if (encoder_.joinable()) encoder_.join();

  RecordingResult result;
  result.path = writer_->path();
  result.error = error_;
  result.framesWritten = writer_->framesWritten();
  {
    std::lock_guard lock(lock_);
    result.framesDropped = dropped_;
    result.framesResized = resized_;
    result.indexes = pacer_ ? pacer_->lastIndex() + 1 : 0;
    ring_.reset();
  }
  if (result.framesWritten == 0) {
    writer_->discard();
    result.path.clear();
  } else {
    // What was written is kept even after a write error: the index makes it seekable if it still fits.
    const QString finishError = writer_->finish();
    if (result.error.isEmpty()) result.error = finishError;
  }
  writer_.reset();
  qCInfo(lcRecorder, "Recording %s closed: %lld frames written, %lld dropped (queue full), %lld scaled%s%s",
         qPrintable(result.path.isEmpty() ? QStringLiteral("(removed, no frame)") : result.path),
         static_cast<long long>(result.framesWritten), static_cast<long long>(result.framesDropped),
         static_cast<long long>(result.framesResized),
         result.error.isEmpty() ? "" : ", error: ", qPrintable(result.error));
  return result;
}

}  // namespace lumivex
