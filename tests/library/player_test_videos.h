#pragma once

#include "tests/support/temp_home.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstring>

namespace lumivex::test {

// AVI files of 10 s at 5 frames a second (50 frames), 160 x 120: the top half red for the first 1.5 s and
// green after, the bottom half blue, so a picture tells which end is up and which side of 1.5 s it is.
enum class TestVideo {
  AllKeyMsvc,   // Microsoft Video 1, every frame a key frame
  DefaultMsvc,  // Microsoft Video 1 as FFmpeg writes it: key frames at 0 and 5.2 s only
  Mjpeg,
  RawTopDown,      // uncompressed BGR, rows stored top first (negative height)
  RawBottomUp,     // uncompressed BGR, rows stored bottom first, as Windows writes them
  KilledNoIndex,   // a recording cut off: no index, header counts zero, last chunk torn
  MjpegWithSound,  // with a PCM track
  UnknownCodec,    // a four-character code no decoder knows
  ZeroFrames,
  NotAvi,
  Missing,
};

inline QString runFfmpeg(const QStringList& arguments) {
  QProcess ffmpeg;
  ffmpeg.start(QStringLiteral("ffmpeg"),
               QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")} + arguments);
  if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
    return QString::fromUtf8(ffmpeg.readAllStandardError()) + QStringLiteral(" (ffmpeg failed)");
  }
  return {};
}

inline QStringList pictureSource(double seconds = 10.0) {
  const QString graph = QStringLiteral(
                            "color=c=red:s=160x120:r=5:d=%1,"
                            "drawbox=x=0:y=60:w=160:h=60:color=blue:t=fill,"
                            "drawbox=x=0:y=0:w=160:h=60:color=lime:t=fill:enable='gte(t,1.5)'")
                            .arg(seconds);
  return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), graph};
}

inline void putLe32(QByteArray& bytes, qsizetype at, qint32 value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((static_cast<quint32>(value) >> (8 * i)) & 0xFF);
}

inline qint32 le32(const QByteArray& bytes, qsizetype at) {
  quint32 v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<quint8>(bytes[at + i]);
  return static_cast<qint32>(v);
}

// Writes the video to path; an empty answer means success.
inline QString makeTestVideo(TestVideo kind, const QString& path) {
  using L = QStringList;
  switch (kind) {
    case TestVideo::AllKeyMsvc:
      return runFfmpeg(pictureSource() + L{"-c:v", "msvideo1", "-keyint_min", "0", path});
    case TestVideo::DefaultMsvc:
      return runFfmpeg(pictureSource() + L{"-c:v", "msvideo1", path});
    case TestVideo::Mjpeg:
      return runFfmpeg(pictureSource() + L{"-c:v", "mjpeg", "-q:v", "3", path});
    case TestVideo::RawTopDown:
      return runFfmpeg(pictureSource() + L{"-c:v", "rawvideo", "-pix_fmt", "bgr24", path});
    case TestVideo::RawBottomUp: {
      // FFmpeg stores top row first; flipped rows under a positive height read the right way up.
      const QString error =
          runFfmpeg(pictureSource() + L{"-vf", "vflip", "-c:v", "rawvideo", "-pix_fmt", "bgr24", path});
      if (!error.isEmpty()) return error;
      QByteArray bytes = readBytes(path);
      const qsizetype strf = bytes.indexOf("strf");
      if (strf < 0) return QStringLiteral("no strf");
      const qsizetype height = strf + 8 + 8;
      putLe32(bytes, height, std::abs(le32(bytes, height)));
      return writeBytes(path, bytes) ? QString() : QStringLiteral("cannot write");
    }
    case TestVideo::KilledNoIndex: {
      const QString error = runFfmpeg(pictureSource() + L{"-c:v", "mjpeg", "-q:v", "3", path});
      if (!error.isEmpty()) return error;
      QByteArray bytes = readBytes(path);
      const qsizetype index = bytes.lastIndexOf("idx1");
      const qsizetype avih = bytes.indexOf("avih");
      const qsizetype strh = bytes.indexOf("strh");
      if (index < 0 || avih < 0 || strh < 0) return QStringLiteral("unexpected layout");
      bytes.truncate(index - 1000);
      putLe32(bytes, 4, 0);              // RIFF size never written
      putLe32(bytes, avih + 8 + 16, 0);  // total frames
      putLe32(bytes, strh + 8 + 32, 0);  // stream length
      return writeBytes(path, bytes) ? QString() : QStringLiteral("cannot write");
    }
    case TestVideo::MjpegWithSound:
      return runFfmpeg(pictureSource() +
                       L{"-f", "lavfi", "-i", "sine=d=10", "-c:v", "mjpeg", "-c:a", "pcm_s16le", path});
    case TestVideo::UnknownCodec: {
      const QString error = runFfmpeg(pictureSource() + L{"-c:v", "mjpeg", path});
      if (!error.isEmpty()) return error;
      QByteArray bytes = readBytes(path);
      const qsizetype strh = bytes.indexOf("strh");
      const qsizetype strf = bytes.indexOf("strf");
      if (strh < 0 || strf < 0) return QStringLiteral("unexpected layout");
      bytes.replace(strh + 12, 4, "ZQZQ");
      bytes.replace(strf + 8 + 16, 4, "ZQZQ");
      return writeBytes(path, bytes) ? QString() : QStringLiteral("cannot write");
    }
    case TestVideo::ZeroFrames:
      return runFfmpeg(pictureSource(1.0) + L{"-frames:v", "0", "-c:v", "mjpeg", path});
    case TestVideo::NotAvi:
      return writeBytes(path, QByteArray(4096, 'R')) ? QString() : QStringLiteral("cannot write");
    case TestVideo::Missing:
      return {};
  }
  return QStringLiteral("unknown kind");
}

}  // namespace lumivex::test
