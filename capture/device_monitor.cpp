#include "capture/device_monitor.h"

#include "capture/caps_parser.h"

namespace lumivex {

DeviceMonitor::DeviceMonitor(std::function<void(Change)> onChange) : onChange_(std::move(onChange)) {
  ensureGstreamer();
  monitor_.reset(gst_device_monitor_new());
  gst_device_monitor_add_filter(monitor_.get(), "Video/Source", nullptr);
  GstBusPtr bus(gst_device_monitor_get_bus(monitor_.get()));
  watch_ = gst_bus_add_watch(bus.get(), &DeviceMonitor::onBusMessage, this);
  started_ = gst_device_monitor_start(monitor_.get());
}

DeviceMonitor::~DeviceMonitor() {
  if (started_) gst_device_monitor_stop(monitor_.get());
  if (watch_) g_source_remove(watch_);
}

gboolean DeviceMonitor::onBusMessage(GstBus*, GstMessage* message, gpointer self) {
  auto* monitor = static_cast<DeviceMonitor*>(self);
  if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_DEVICE_ADDED) monitor->onChange_(Change::Added);
  if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_DEVICE_REMOVED) monitor->onChange_(Change::Removed);
  return G_SOURCE_CONTINUE;
}

std::vector<DeviceEntry> DeviceMonitor::devices() const {
  std::vector<DeviceEntry> out;
  GList* list = gst_device_monitor_get_devices(monitor_.get());
  for (GList* it = list; it; it = it->next) {
    auto* device = GST_DEVICE(it->data);
    GstStructure* props = gst_device_get_properties(device);
    const char* path = props ? gst_structure_get_string(props, "device.path") : nullptr;
    if (!path && props) path = gst_structure_get_string(props, "api.v4l2.path");
    if (path && g_str_has_prefix(path, "/dev/video")) {
      const QString node = QString::fromUtf8(path);
      bool seen = false;
      for (const DeviceEntry& e : out) seen = seen || e.displayName == node;
      if (!seen) {
        DeviceEntry entry;
        entry.displayName = node;
        gchar* name = gst_device_get_display_name(device);
        entry.friendlyName = QString::fromUtf8(name);
        g_free(name);
        GstCapsPtr caps(gst_device_get_caps(device));
        entry.capabilities = parseCapabilities(caps.get());
        out.push_back(std::move(entry));
      }
    }
    if (props) gst_structure_free(props);
  }
  g_list_free_full(list, gst_object_unref);
  return out;
}

}  // namespace lumivex
