#pragma once

namespace lumivex {

// Shows the busy cursor for the life of the object, so every way out of a long command (an early
// failure, a cancelled dialog, the end) restores the cursor. GUI thread only; guards may nest.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace lumivex
