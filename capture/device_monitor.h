#pragma once

#include "capture/device_entry.h"
#include "media/gst_ptr.h"

#include <functional>
#include <vector>

namespace lumivex {

// The real cameras of the system, listed and watched through GstDeviceMonitor ("Video/Source"). Device
// arrivals and removals arrive on the GUI thread (the bus watch runs in Qt's GLib event loop).
class DeviceMonitor {
 public:
  enum class Change { Added, Removed };

  explicit DeviceMonitor(std::function<void(Change)> onChange);
  ~DeviceMonitor();
  DeviceMonitor(const DeviceMonitor&) = delete;
  DeviceMonitor& operator=(const DeviceMonitor&) = delete;

  // V4L2 cameras (one entry per device node), in the monitor's order.
  std::vector<DeviceEntry> devices() const;

 private:
  static gboolean onBusMessage(GstBus* bus, GstMessage* message, gpointer self);

  std::function<void(Change)> onChange_;
  GstDeviceMonitorPtr monitor_;
  guint watch_ = 0;
  bool started_ = false;
};

}  // namespace lumivex
