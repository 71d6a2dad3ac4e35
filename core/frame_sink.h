#pragma once

#include <cstdint>

namespace lumivex {

// Receives every frame while a recording runs. Called on the frame thread: implementations copy what
// they need and return at once.
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // 24-bit BGR rows, top row first, stride bytes apart.
  virtual void writeFrame(const std::uint8_t* topDown, int width, int height, int stride, std::int64_t sampleTime) = 0;
};

}  // namespace lumivex
