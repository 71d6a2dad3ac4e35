#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace lumivex::test {

// What ffprobe (an independent reader) says about a file's first video stream.
struct ProbedVideo {
  bool ok = false;
  QString codec;  // "msvideo1"
  QString tag;    // "MSVC"
  int width = 0;
  int height = 0;
  QString rate;                   // "25/1"
  long long headerFrames = -1;    // frames counted in the stream header (written and skipped)
  long long readFrames = -1;      // frames the decoder produced
  double duration = 0.0;          // seconds
  std::vector<long long> keyPts;  // positions of the key frames
  std::vector<long long> pts;     // positions of every non-empty frame
};

ProbedVideo probeVideo(const QString& path);
// The first decoded frame as RGB24 bytes (width x height x 3), through ffmpeg.
std::vector<std::uint8_t> firstFrameRgb(const QString& path);
// Whether GStreamer decodes the file to its end without an error (what the player relies on).
bool gstreamerPlays(const QString& path, QString* error = nullptr);

}  // namespace lumivex::test
