#pragma once

#include <QString>

#include <vector>

namespace lumivex {

// One compressor a recording can be written with.
struct CompressorInfo {
  QString handler;      // four-character code in the stream header ("MSVC")
  QString displayName;  // shown in the chooser ("Microsoft Video 1")
  bool hasQuality = false;
  bool lossless = false;
};

// The compressors offered to the user: those the FFmpeg libraries here can encode into an AVI file and
// GStreamer here can decode again (so the player can show what was recorded). Microsoft Video 1 first.
class CompressorCatalog {
 public:
  // Checked once per process (needs GStreamer's registry; without GStreamer the playback check is
  // skipped rather than offering nothing).
  static const std::vector<CompressorInfo>& available();
  // Every compressor known to this program, available here or not.
  static const std::vector<CompressorInfo>& known();
  // The entry of a handler code (case-sensitive, as in the stream header), or null when not known.
  static const CompressorInfo* find(const QString& handler);
  static bool isAvailable(const QString& handler);
};

}  // namespace lumivex
