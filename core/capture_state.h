#pragma once

#include <atomic>

namespace lumivex {

// What the capture side has configured, read by the live view and still capture without either knowing
// the other. Written on the GUI thread when the graph is (re)built; read anywhere.
struct CaptureState {
  std::atomic<int> width{640};
  std::atomic<int> height{480};
  std::atomic<bool> highResolutionModel{false};
};

CaptureState& captureState();

}  // namespace lumivex
