#pragma once

namespace lumivex {

// The camera's snapshot key while it is attached (the "SampleGrabber" of the graph). Reports each press
// through the callback given at construction; detaching is destroying it.
class SnapKeySource {
 public:
  virtual ~SnapKeySource() = default;
  // False when the key cannot be read (no key device, no permission): presses then do nothing.
  virtual bool active() const = 0;
};

}  // namespace lumivex
