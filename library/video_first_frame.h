#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace lumivex {

// Reads the first frame of a video's first video stream through libavformat/libavcodec and scales it
// with libswscale. Thread-safe; a null image for a file without a decodable video stream.
class VideoFirstFrame {
 public:
  // The frame scaled to target, or at its own size when target is empty.
  static QImage read(const QString& path, QSize target = {});
};

}  // namespace lumivex
