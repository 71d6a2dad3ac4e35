#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace lumivex {

// Places frames on the stream by a steady clock: the first frame accepted is index 0 and a frame
// arriving t seconds later belongs at floor(t x rate). A frame whose index is not past the last one
// placed is not wanted (the camera delivers faster than the stream's rate). Buffer time stamps are never
// used: they restart whenever the capture graph restarts.
class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;

  explicit FramePacer(int rate) : rate_(rate > 0 ? rate : 1) {}

  // The index for a frame arriving now, or nothing when the frame is not wanted. Does not commit it.
  std::optional<std::int64_t> indexFor(Clock::time_point now) const {
    if (!start_) return 0;
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - *start_).count();
    if (elapsed < 0) return std::nullopt;
    // Fits 64 bits for recordings of up to nine years at 30 frames per second.
    const std::int64_t index = elapsed * rate_ / 1'000'000'000;
    if (index <= last_) return std::nullopt;
    return index;
  }
  // The frame was placed at index (from indexFor at that time).
  void commit(std::int64_t index, Clock::time_point now) {
    if (!start_) start_ = now;
    last_ = index;
  }

  int rate() const { return rate_; }
  std::int64_t lastIndex() const { return last_; }

 private:
  int rate_;
  std::optional<Clock::time_point> start_;
  std::int64_t last_ = -1;
};

}  // namespace lumivex
