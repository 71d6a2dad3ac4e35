#pragma once

#include "capture/frame_header.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace lumivex {

// A whole frame as the still capture takes it: header, bottom-up 24-bit pixels, sample time.
struct BufferedFrame {
  FrameHeader header;
  QByteArray pixels;
  std::int64_t sampleTime = 0;
  bool valid() const { return header.width > 0 && !pixels.isEmpty(); }
};

// The last buffered frame: 24-bit rows bottom-up, grown on demand and never shrunk. The frame thread
// stores under the lock and readers copy under the same lock, so a reader always gets one whole frame.
class FrameBuffer {
 public:
  // Frame thread. Copies top-down rows (srcStride apart), turning them bottom-up with DIB padding.
  void store(const FrameHeader& header, const std::uint8_t* topDown, int srcStride, std::int64_t sampleTime);
  // Any thread. False when nothing is buffered. Reuses out's storage when it is large enough.
  bool copyTo(BufferedFrame& out) const;
  // Frees the pixels (graph released).
  void release();

  std::size_t capacity() const;
  std::size_t length() const;

 private:
  mutable std::mutex mutex_;  // guards everything below
  std::vector<std::uint8_t> pixels_;
  std::size_t length_ = 0;
  FrameHeader header_;
  std::int64_t sampleTime_ = 0;
};

}  // namespace lumivex
