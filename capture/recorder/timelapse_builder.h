#pragma once

#include "capture/recorder/compression_options.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace lumivex {

// A time-lapse video made of a series of stills.
struct TimelapseJob {
  QStringList stills;  // BMP or JPEG pictures, in playing order
  QString output;      // the AVI to write; replaced only when the whole video was written
  int fps = 10;
  CompressionOptions options;
};

struct TimelapseResult {
  QString error;           // empty on success
  int framesWritten = 0;   // one per readable still
  QStringList unreadable;  // stills skipped because they could not be read
  bool cancelled = false;
  bool ok() const { return error.isEmpty() && !cancelled; }
};

// Builds the video: the first readable still sets the frame size (others are scaled to it), each still
// is one frame at the given rate. Pictures are decoded on a helper thread while the previous one is
// compressed; for a Motion JPEG video, JPEG stills of the video's size go in as they are (no second
// compression, so no further loss and no time spent). The video goes through the atomic writer: a
// failure or a cancel never leaves half a video or destroys an existing file.
class TimelapseBuilder {
 public:
  // done of total stills handled so far; called on the building thread.
  using Progress = std::function<void(int done, int total)>;

  static constexpr int kDefaultFps = 10;
  static constexpr int kMaxFps = 60;

  static TimelapseResult build(const TimelapseJob& job, const Progress& progress = {},
                               const std::atomic<bool>* cancel = nullptr);
};

}  // namespace lumivex
