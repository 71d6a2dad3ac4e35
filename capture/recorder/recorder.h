#pragma once

#include "capture/recorder/compression_options.h"
#include "core/frame_sink.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>

namespace lumivex {

// What a recording is written as.
struct RecordingFormat {
  QString path;  // the file, created under its final name and written progressively
  QSize size;    // the stream's frame size (frames of another size are scaled to it)
  int rate = 5;  // frames per second in the stream header (25, 15 or 5 by the rate class)
  CompressionOptions options;
};

// How a recording ended.
struct RecordingResult {
  QString path;                    // the file; empty when nothing is left behind
  QString error;                   // the first write error, or empty
  std::int64_t framesWritten = 0;  // frames in the file
  std::int64_t framesDropped = 0;  // stream positions left empty because the encoder's queue was full
  std::int64_t framesResized = 0;  // frames of another size, scaled to the stream's
  std::int64_t indexes = 0;        // stream length in frames (written and skipped)
  bool listed() const { return !path.isEmpty(); }
};

// Records the frame path into an AVI file. start and close run on the GUI thread; writeFrame on the
// frame thread, and it never waits on the encoder: it places the frame by the clock, copies it into a
// queue of preallocated frames and returns. A recording that fails while writing stops taking frames and
// tells the failure listener (on its own thread) once; the owner then closes it.
class Recorder : public FrameSink {
 public:
  // Empty on success, else the reason (nothing is left behind).
  virtual QString start(const RecordingFormat& format) = 0;
  // Stops taking frames, writes every queued frame, finishes the file. A recording that received no
  // frame is removed. Safe to call when not recording (returns an empty result).
  virtual RecordingResult close() = 0;
  virtual bool isRecording() const = 0;
  // Called once, on the encoder's thread, with the reason of the first write error.
  virtual void setFailureListener(std::function<void(const QString& reason)> listener) = 0;
};

}  // namespace lumivex
