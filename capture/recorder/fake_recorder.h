#pragma once

#include "capture/recorder/recorder.h"
#include "core/atomic_file.h"

#include <QFile>

#include <atomic>
#include <mutex>
#include <vector>

namespace lumivex {

// A recorder for tests of the code that drives recordings: remembers what it was asked, can refuse to
// start and can fail while writing. It writes a small placeholder file so what lists recordings has a
// real file to list.
class FakeRecorder : public Recorder {
 public:
  QString start(const RecordingFormat& format) override {
    starts.push_back(format);
    if (!refuseWith.isEmpty()) return refuseWith;
    if (const WriteResult written = AtomicFile::write(format.path, "RIFF"); !written) return written.reason;
    recording_ = true;
    frames_ = 0;
    return {};
  }
  void writeFrame(const std::uint8_t*, int width, int height, int, std::int64_t) override {
    if (!recording_) return;
    frames_.fetch_add(1);
    std::lock_guard lock(mutex_);
    lastSize_ = QSize(width, height);
  }
  RecordingResult close() override {
    if (!recording_) return {};
    recording_ = false;
    ++closes;
    RecordingResult result;
    result.path = starts.back().path;
    result.framesWritten = frames_.load();
    result.error = failure_;
    if (result.framesWritten == 0) {
      QFile::remove(result.path);
      result.path.clear();
    }
    failure_.clear();
    return result;
  }
  bool isRecording() const override { return recording_; }
  void setFailureListener(std::function<void(const QString&)> listener) override { listener_ = std::move(listener); }

  // Acts as the encoder thread meeting a write error.
  void failWrite(const QString& reason) {
    failure_ = reason;
    if (listener_) listener_(reason);
  }
  std::int64_t frames() const { return frames_.load(); }

  QString refuseWith;  // a start failure to report, when not empty
  std::vector<RecordingFormat> starts;
  int closes = 0;
  QSize lastFrameSize() const {
    std::lock_guard lock(mutex_);
    return lastSize_;
  }

 private:
  mutable std::mutex mutex_;
  QSize lastSize_;
  bool recording_ = false;
  std::atomic<std::int64_t> frames_{0};
  QString failure_;
  std::function<void(const QString&)> listener_;
};

}  // namespace lumivex
