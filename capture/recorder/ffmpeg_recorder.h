#pragma once

#include "capture/recorder/frame_pacer.h"
#include "capture/recorder/frame_ring.h"
#include "capture/recorder/recorder.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace lumivex {

class AviWriter;

// The recorder of the program: frames are paced by a steady clock and copied into a preallocated ring
// under the recording lock; an encoder thread of its own converts, compresses and writes them through
// AviWriter. A full ring drops the frame and counts it. The file is written under its final name from
// the start, so a recording cut short by a crash still plays up to its last written frame.
class FfmpegRecorder : public Recorder {
 public:
  using Now = std::function<FramePacer::Clock::time_point()>;

  // recordingLock serialises frame writes against start and close (the process's recording lock).
  // now: the steady clock (tests pass their own).
  explicit FfmpegRecorder(std::mutex& recordingLock, Now now = {});
  ~FfmpegRecorder() override;
  FfmpegRecorder(const FfmpegRecorder&) = delete;
  FfmpegRecorder& operator=(const FfmpegRecorder&) = delete;

  QString start(const RecordingFormat& format) override;
  void writeFrame(const std::uint8_t* topDown, int width, int height, int stride, std::int64_t sampleTime) override;
  RecordingResult close() override;
  // GUI thread: a file is open (also after a write error, until close).
  bool isRecording() const override;
  void setFailureListener(std::function<void(const QString& reason)> listener) override;

  // While recording (any thread).
  std::int64_t framesDropped() const;
  int queueCapacity() const;
  // Frames copied but not yet written.
  int framesQueued() const;
  // The stream's frame size of the running recording.
  QSize streamSize() const;

 private:
  void encoderLoop();
  // Frame thread, recording lock held: the frame into the slot at the stream's size.
  void copyInto(FrameRing::Slot& slot, const std::uint8_t* topDown, int frameWidth, int frameHeight, int stride);

  std::mutex& lock_;
  Now now_;
  std::condition_variable wake_;  // the encoder waits on it with lock_

  // Guarded by lock_.
  bool accepting_ = false;
  bool stopping_ = false;
  std::unique_ptr<FrameRing> ring_;
  std::optional<FramePacer> pacer_;
  QSize size_;
  std::int64_t dropped_ = 0;
  std::int64_t resized_ = 0;
  std::function<void(const QString&)> listener_;

  // Used by the GUI thread in start and close, by the encoder thread in between.
  std::unique_ptr<AviWriter> writer_;
  std::thread encoder_;
  QString error_;  // first write error, set by the encoder thread, read after the join

  // Frame thread only: source column offsets for scaling frames of another width.
  std::vector<int> columns_;
  int columnsFor_ = 0;
};

}  // namespace lumivex
