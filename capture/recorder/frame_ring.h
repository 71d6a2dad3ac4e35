#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumivex {

// A fixed set of frame slots allocated once, passed between one producer (the frame thread) and one
// consumer (the encoder thread) in order. Not synchronised: the owner guards it with its lock and only
// copies pixels into a slot it holds, outside any other access to that slot.
class FrameRing {
 public:
  struct Slot {
    std::vector<std::uint8_t> pixels;  // top-down BGR24 rows of the stream's size, width * 3 apart
    std::int64_t index = 0;            // stream position of the frame
  };

  // slots frames of frameBytes each, every page touched now so the frame thread never faults one in.
  FrameRing(int slots, std::size_t frameBytes);

  int capacity() const { return static_cast<int>(slots_.size()); }
  int filled() const { return count_; }
  bool full() const { return count_ == capacity(); }
  bool empty() const { return count_ == 0; }

  // The next free slot to fill (producer), or null when every slot holds a frame not yet encoded.
  Slot* freeSlot();
  // Marks the slot from freeSlot as holding a frame.
  void push();
  // The oldest filled slot (consumer), or null.
  Slot* oldest();
  // Releases the slot from oldest.
  void pop();
  // Forgets every frame not yet taken.
  void clear() { head_ = tail_ = count_ = 0; }

  // Slots for a frame size: as many as fit in the budget, at least 3 and at most 16.
  static int slotsFor(std::size_t frameBytes, std::size_t budgetBytes = kBudgetBytes);
  static constexpr std::size_t kBudgetBytes = std::size_t{64} << 20;

 private:
  std::vector<Slot> slots_;
  int head_ = 0;  // next to fill
  int tail_ = 0;  // next to encode
  int count_ = 0;
};

}  // namespace lumivex
