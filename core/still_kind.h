#pragma once

namespace lumivex {

// Who asked for a still. The frame thread hands the kind back with the frame (message 0x8001) and still
// capture decides by it: a key press restarts the graph after saving.
enum class StillKind : int {
  Command = 0,      // the Camera command and F2, timed capture, the grab into memory
  SnapshotKey = 1,  // the camera's own snapshot key
};

}  // namespace lumivex
