#include "capture/recorder/frame_ring.h"

#include <algorithm>

namespace lumivex {

FrameRing::FrameRing(int slots, std::size_t frameBytes) : slots_(static_cast<std::size_t>(std::max(1, slots))) {
  // value-initialised: zero-filled, which writes every page.
  for (Slot& slot : slots_) slot.pixels.assign(frameBytes, 0);
}

FrameRing::Slot* FrameRing::freeSlot() { return full() ? nullptr : &slots_[static_cast<std::size_t>(head_)]; }

void FrameRing::push() {
  if (full()) return;
  head_ = (head_ + 1) % capacity();
  ++count_;
}

FrameRing::Slot* FrameRing::oldest() { return empty() ? nullptr : &slots_[static_cast<std::size_t>(tail_)]; }

void FrameRing::pop() {
  if (empty()) return;
  tail_ = (tail_ + 1) % capacity();
  --count_;
}

int FrameRing::slotsFor(std::size_t frameBytes, std::size_t budgetBytes) {
  if (frameBytes == 0) return 3;
  const std::size_t fit = budgetBytes / frameBytes;
  return static_cast<int>(std::clamp<std::size_t>(fit, 3, 16));
}

}  // namespace lumivex
