#pragma once

#include <QString>

namespace lumivex {

// What an AVI file's chunk structure promises before a playback graph is built for it. GStreamer does
// not reliably report an AVI without frames (its demuxer's error is sometimes swallowed while the
// decoder is being chosen), and the graph would then wait for a first frame that never comes.
class AviProbe {
 public:
  enum class Verdict {
    NotAvi,     // no RIFF AVI header: left to the media framework to judge
    NoFrames,   // an AVI whose movie list holds no video frame
    HasFrames,  // at least one video frame with data
  };

  static Verdict inspect(const QString& path);
};

}  // namespace lumivex
