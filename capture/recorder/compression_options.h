#pragma once

#include <QString>

namespace lumivex {

// The compressor a recording is written with: its four-character handler code and a quality on the
// 0..10000 scale compressors have always been set with (-1 = the compressor's own default). Compressors
// without a quality setting ignore it.
struct CompressionOptions {
  QString handler = QStringLiteral("MSVC");
  int quality = -1;

  bool operator==(const CompressionOptions&) const = default;
};

// The options in force for the whole process: set by the recorder dialog (after a successful test) and
// by F3 (the default), read when a recording or a time-lapse starts. Thread-safe.
class CompressionSettings {
 public:
  static CompressionOptions current();
  static void replace(const CompressionOptions& options);
  // Microsoft Video 1 at its own quality.
  static CompressionOptions defaults() { return {}; }
};

}  // namespace lumivex
