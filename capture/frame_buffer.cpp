#include "capture/frame_buffer.h"

#include <algorithm>
#include <cstring>

namespace lumivex {

void FrameBuffer::store(const FrameHeader& header, const std::uint8_t* topDown, int srcStride,
                        std::int64_t sampleTime) {
  const int dstStride = FrameHeader::stride(header.width, 24);
  const std::size_t needed = static_cast<std::size_t>(dstStride) * static_cast<std::size_t>(header.height);
  const std::size_t rowBytes = static_cast<std::size_t>(std::min(dstStride, std::abs(srcStride)));
  std::lock_guard lock(mutex_);
  if (pixels_.size() < needed) pixels_.resize(needed);  // grows once per larger size, never shrinks
  std::uint8_t* dst = pixels_.data();
  for (int y = 0; y < header.height; ++y) {
    const std::uint8_t* src = topDown + static_cast<std::ptrdiff_t>(y) * srcStride;
    std::memcpy(dst + static_cast<std::size_t>(header.height - 1 - y) * static_cast<std::size_t>(dstStride), src,
                rowBytes);
  }
  length_ = needed;
  header_ = header;
  sampleTime_ = sampleTime;
}

bool FrameBuffer::copyTo(BufferedFrame& out) const {
  std::lock_guard lock(mutex_);
  if (length_ == 0) return false;
  out.header = header_;
  out.sampleTime = sampleTime_;
  out.pixels.resize(static_cast<qsizetype>(length_));
  std::memcpy(out.pixels.data(), pixels_.data(), length_);
  return true;
}

void FrameBuffer::release() {
  std::lock_guard lock(mutex_);
  std::vector<std::uint8_t>().swap(pixels_);
  length_ = 0;
  header_ = {};
  sampleTime_ = 0;
}

std::size_t FrameBuffer::capacity() const {
  std::lock_guard lock(mutex_);
  return pixels_.size();
}

std::size_t FrameBuffer::length() const {
  std::lock_guard lock(mutex_);
  return length_;
}

}  // namespace lumivex
