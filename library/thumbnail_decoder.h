#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace lumivex {

// Decodes the browser's thumbnails straight to slot size. Thread-safe (no shared state), so it runs on
// worker threads. Every function returns a null image for a file it cannot read, truncated ones included.
class ThumbnailDecoder {
 public:
  // A picture by its name: "jpg" (any case) as JPEG, anything else as BMP.
  static QImage picture(const QString& path, QSize target);
  // The first frame of a video.
  static QImage video(const QString& path, QSize target);

  // JPEG bytes decoded with the DCT scaled down as far as the target allows, then stretched to it.
  static QImage jpeg(const QByteArray& bytes, QSize target);
  // A BMP file's bytes: everything after the 14-byte file header is taken as the packed DIB, sampled
  // onto the target the way a stretch with COLORONCOLOR picks pixels.
  static QImage bmp(const QByteArray& bytes, QSize target);
};

}  // namespace lumivex
