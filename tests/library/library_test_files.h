#pragma once

#include "tests/support/temp_home.h"

#include <QBuffer>
#include <QImage>
#include <QProcess>
#include <QString>

namespace lumivex::test {

// A picture whose colour says which one it is, written by Qt's own writers.
inline QImage solidPicture(QSize size, QColor color) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(color);
  return image;
}

inline bool writePicture(const QString& path, QSize size, QColor color, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!solidPicture(size, color).save(&buffer, format, 90)) return false;
  return writeBytes(path, bytes);
}

// What an independent reader (ImageMagick) says a file is: "JPEG 640x480", "BMP3 320x240"; empty when it
// cannot read it or is not installed.
inline QString identify(const QString& path) {
  QProcess process;
  process.start(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m %wx%h"), path});
  if (!process.waitForFinished(20000) || process.exitCode() != 0) return {};
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

}  // namespace lumivex::test
