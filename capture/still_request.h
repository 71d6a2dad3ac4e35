#pragma once

#include <atomic>
#include <optional>

namespace lumivex {

// One pending snapshot request shared by the GUI thread, the snapshot key and the frame thread. A second
// request before the next frame merges into the first; the later kind wins.
// Kinds: 0 = command, timer or grab; 1 = the camera's own snapshot key.
class StillRequest {
 public:
  void set(int kind) { state_.store(kind < 0 ? 0 : kind); }
  // Takes the pending request (frame thread): at most one caller ever sees it.
  std::optional<int> take() {
    const int kind = state_.exchange(kNone);
    if (kind == kNone) return std::nullopt;
    return kind;
  }
  bool pending() const { return state_.load() != kNone; }
  void clear() { state_.store(kNone); }

 private:
  static constexpr int kNone = -1;
  std::atomic<int> state_{kNone};
};

}  // namespace lumivex
