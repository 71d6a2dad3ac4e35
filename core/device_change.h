#pragma once

namespace lumivex {

// What the device monitor saw (message 0x8010): a camera arrived, one was removed, or a device node of
// a present camera changed (handled after a second, once the node has settled).
enum class DeviceChange : int { Arrived = 1, Removed = 2, NodeChanged = 3 };

}  // namespace lumivex
