#pragma once

#include "capture/frame_header.h"
#include "core/frame_overlay.h"

#include <cstdint>

namespace lumivex {

// Receives every frame while a recording runs (frame thread). Rows are top-down, stride apart.
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  virtual void writeFrame(const FrameHeader& header, const std::uint8_t* topDown, int stride,
                          std::int64_t sampleTime) = 0;
};

}  // namespace lumivex
