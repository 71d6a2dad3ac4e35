#pragma once

#include "core/still_kind.h"

#include <atomic>
#include <optional>

namespace lumivex {

// One pending snapshot request shared by the GUI thread, the snapshot key and the frame thread. A second
// request before the next frame merges into the first; the later kind wins.
class StillRequest {
 public:
  void set(StillKind kind) { state_.store(static_cast<int>(kind)); }
  // Takes the pending request (frame thread): at most one caller ever sees it.
  std::optional<StillKind> take() {
    const int kind = state_.exchange(kNone);
    if (kind == kNone) return std::nullopt;
    return static_cast<StillKind>(kind);
  }
  bool pending() const { return state_.load() != kNone; }
  void clear() { state_.store(kNone); }

 private:
  static constexpr int kNone = -1;
  std::atomic<int> state_{kNone};
};

}  // namespace lumivex
