#include "capture/demo_feeder.h"

#include "capture/demo_camera.h"
#include "core/thread_handover.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <chrono>

namespace lumivex {

DemoFeeder::DemoFeeder(std::shared_ptr<DemoCamera> camera, GstElement* appsrc, QSize size)
    : camera_(std::move(camera)), appsrc_(GST_ELEMENT(gst_object_ref(appsrc))), size_(size) {
  thread_ = std::thread([this] { loop(); });
}

DemoFeeder::~DemoFeeder() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  thread_.join();
  gst_object_unref(appsrc_);
}

void DemoFeeder::loop() {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const auto period = std::chrono::nanoseconds(1000000000 / kFps);
  const int stride = (size_.width() * 3 + 3) & ~3;  // GStreamer's BGR row alignment
  const auto bytes = static_cast<gsize>(stride) * static_cast<gsize>(size_.height());
  std::uint64_t index = 0;
  auto next = start;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      if (wake_.wait_until(lock, next, [this] { return quit_; })) return;
    }
    next += period;
    if (!camera_->plugged()) {
      GError* error = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND, "Device unplugged");
      gst_element_post_message(appsrc_, gst_message_new_error(GST_OBJECT(appsrc_), error, "demo camera unplugged"));
      g_error_free(error);
      return;
    }
    scene_.setDrift(camera_->drift());
    scene_.setNoise(camera_->noise());
    scene_.setStampFrameNumber(camera_->stampFrameNumber());
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
      gst_buffer_unref(buffer);
      continue;
    }
    const double t = std::chrono::duration<double>(Clock::now() - start).count();
    scene_.render(map.data, stride, size_, camera_->picture(), index, t);
    handOverReleased(map.data);
    gst_buffer_unmap(buffer, &map);
    GST_BUFFER_OFFSET(buffer) = index;
    ++index;
    // Takes the buffer; a full queue (consumer too slow) drops it, as a live camera would.
    gst_app_src_push_buffer(GST_APP_SRC(appsrc_), buffer);
    // A slow machine skips ticks rather than queueing a backlog.
    const auto now = Clock::now();
    if (next < now) next = now;
  }
}

}  // namespace lumivex
