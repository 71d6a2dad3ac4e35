#pragma once

#include <gst/gst.h>

#include <memory>

namespace lumivex {

// Owning handles for GStreamer objects: each releases its one reference.
struct GstObjectUnref {
  void operator()(gpointer object) const {
    if (object) gst_object_unref(object);
  }
};
struct GstCapsUnref {
  void operator()(GstCaps* caps) const {
    if (caps) gst_caps_unref(caps);
  }
};
struct GstSampleUnref {
  void operator()(GstSample* sample) const {
    if (sample) gst_sample_unref(sample);
  }
};
struct GstMessageUnref {
  void operator()(GstMessage* message) const {
    if (message) gst_message_unref(message);
  }
};

using GstElementPtr = std::unique_ptr<GstElement, GstObjectUnref>;
using GstBusPtr = std::unique_ptr<GstBus, GstObjectUnref>;
using GstDeviceMonitorPtr = std::unique_ptr<GstDeviceMonitor, GstObjectUnref>;
using GstCapsPtr = std::unique_ptr<GstCaps, GstCapsUnref>;
using GstSamplePtr = std::unique_ptr<GstSample, GstSampleUnref>;
using GstMessagePtr = std::unique_ptr<GstMessage, GstMessageUnref>;

// Initialises GStreamer once for the process; false when it cannot be (the caller then has no media).
bool ensureGstreamer();

}  // namespace lumivex
