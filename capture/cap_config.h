#pragma once

#include "core/atomic_file.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace lumivex {

// The capture format last applied, kept as the 88-byte VIDEOINFOHEADER image of CapConfig.dat. Only the
// fields this program reads are named; the rest of the bytes are carried through unchanged.
class CapConfig {
 public:
  static constexpr int kBytes = 88;
  static constexpr std::uint32_t kFourccYuy2 = 0x32595559;
  static constexpr std::int64_t kDefaultFrameTime = 333333;  // 30 frames per second, in 100-ns units

  CapConfig();
  // A YUY2 format of the given size (16 bits per pixel) at the frame time, with its bit rate.
  static CapConfig defaultFormat(int width, int height, std::int64_t frameTime = kDefaultFrameTime);
  // Exactly the first 88 bytes; nullopt for fewer.
  static std::optional<CapConfig> fromBytes(const QByteArray& bytes);
  // nullopt when the file is missing or shorter than 88 bytes.
  static std::optional<CapConfig> read(const QString& path);
  WriteResult write(const QString& path) const;

  const QByteArray& bytes() const { return bytes_; }
  int width() const;
  int height() const;
  int bitCount() const;
  std::int64_t frameTime() const;
  std::uint32_t bitRate() const;
  std::uint32_t imageSize() const;

  // New size: image size = width x height x bytes per pixel, bit rate recomputed from the frame time.
  void setSize(int width, int height);
  static std::uint32_t bitRateFor(std::int64_t frameTime, std::uint32_t imageSize);

 private:
  std::int32_t i32(int offset) const;
  void setI32(int offset, std::int32_t value);

  QByteArray bytes_;
};

// The program folder's CapConfig.dat.
QString capConfigPath();

}  // namespace lumivex
