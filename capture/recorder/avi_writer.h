#pragma once

#include "capture/recorder/compression_options.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>

namespace lumivex {

// One AVI file with one video stream, written progressively through the FFmpeg libraries: the header
// when it is opened, each frame as it is written, the index and the final counts when it is finished.
// Frames are placed by index (one index per 1/rate second); indexes skipped between two frames stay
// empty (players repeat the previous picture), so the file plays at its real speed. A key frame is
// written at least once per second of the stream. Not thread-safe: one thread uses it at a time.
class AviWriter {
 public:
  struct Format {
    QSize size;    // the stream's frame size
    int rate = 5;  // frames per second in the stream header
    CompressionOptions options;
  };

  AviWriter();
  ~AviWriter();
  AviWriter(const AviWriter&) = delete;
  AviWriter& operator=(const AviWriter&) = delete;

  // Creates (or truncates) the file and writes its header. Empty on success, else the reason.
  QString open(const QString& path, const Format& format);
  // Encodes one frame of BGR24 rows, top row first, stride bytes apart (negative for bottom-up rows
  // given from the last row's address). A frame of another size is scaled to the stream's size. index
  // must be greater than the previous one. Empty on success, else the reason (the file stays usable
  // for finish()).
  QString write(const std::uint8_t* bgr, int width, int height, int stride, std::int64_t index);
  // Writes a frame that is already compressed the stream's way (a baseline JPEG picture of the stream's
  // size into a Motion JPEG stream), as a key frame at index. Empty on success.
  QString writeEncoded(const QByteArray& frame, std::int64_t index);
  // Drains the encoder, writes the index and the header's counts and closes the file. Empty on success.
  QString finish();
  // Closes without writing anything more (after a failure); the file is left as it is.
  void abandon();
  // Closes and removes the file, when this writer created it (a file that was there before stays).
  void discard();

  bool isOpen() const;
  std::int64_t framesWritten() const { return frames_; }
  std::int64_t keyFrames() const { return keyFrames_; }
  std::int64_t bytesWritten() const;
  const QString& path() const { return path_; }
  const Format& format() const { return format_; }

  // The stream size a compressor accepts for a wanted size (some need multiples of 2 or 4).
  static QSize acceptedSize(const QString& handler, QSize wanted);

 private:
  struct Impl;
  // Writes every packet the encoder has ready.
  QString drain();
  void removeCreatedFile();

  std::unique_ptr<Impl> impl_;
  QString path_;
  Format format_;
  bool createdHere_ = false;
  std::int64_t frames_ = 0;
  std::int64_t keyFrames_ = 0;
  std::int64_t lastKeyIndex_ = 0;
};

}  // namespace lumivex
