#pragma once

#include "capture/recorder/compression_options.h"

#include <QSize>
#include <QString>

namespace lumivex {

// Tries a compressor before it is used: writes one frame of the given size into the scratch file
// "test.avi" of the video folder (made when missing) and removes it again. Only options that pass
// replace the process's compression options.
class CompressorProbe {
 public:
  // Empty when the compressor works at that size and rate, else the reason.
  static QString test(const QString& videoFolder, QSize size, int rate, const CompressionOptions& options);
  // Tests and, on success, makes the options current. Empty on success; the previous options stay otherwise.
  static QString testAndUse(const QString& videoFolder, QSize size, int rate, const CompressionOptions& options);
  // The scratch file's path in a video folder.
  static QString scratchPath(const QString& videoFolder);
};

}  // namespace lumivex
