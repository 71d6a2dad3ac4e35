#pragma once

#include "capture/size_presets.h"

#include <QString>

#include <vector>

namespace lumivex {

// One video input device of the device list.
struct DeviceEntry {
  bool selected = false;
  QString displayName;   // identity: the device node ("/dev/video0") or "demo:N" for a simulated camera
  QString friendlyName;  // what the user sees
  bool demo = false;
  std::vector<CameraCapability> capabilities;
};

}  // namespace lumivex
