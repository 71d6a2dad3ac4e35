#pragma once

#include "capture/demo_scene.h"

#include <QSize>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

typedef struct _GstElement GstElement;

namespace lumivex {

class DemoCamera;

// Feeds a simulated camera's frames into the pipeline's appsrc at 30 frames per second from its own
// thread, as a camera driver would. When the camera is unplugged it posts an error on the pipeline's
// bus (as v4l2src does when its device disappears) and stops feeding.
class DemoFeeder {
 public:
  DemoFeeder(std::shared_ptr<DemoCamera> camera, GstElement* appsrc, QSize size);
  ~DemoFeeder();
  DemoFeeder(const DemoFeeder&) = delete;
  DemoFeeder& operator=(const DemoFeeder&) = delete;

  static constexpr int kFps = 30;

 private:
  void loop();

  std::shared_ptr<DemoCamera> camera_;
  GstElement* appsrc_;  // borrowed, reffed for the feeder's life
  QSize size_;
  DemoScene scene_;

  std::mutex mutex_;
  std::condition_variable wake_;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace lumivex
