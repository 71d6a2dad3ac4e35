#pragma once

#include "capture/recorder/timelapse_builder.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>

namespace lumivex {

// Builds one time-lapse video on a worker thread of its own and reports back on the GUI thread (where it
// lives): progress as it goes, the result once. Destroying it cancels and joins; nothing is reported
// afterwards.
class TimelapseTask : public QObject {
 public:
  using Progress = std::function<void(int done, int total)>;
  using Done = std::function<void(const TimelapseResult& result)>;

  TimelapseTask(TimelapseJob job, Progress progress, Done done);
  ~TimelapseTask() override;

  void cancel() { cancel_.store(true); }
  bool running() const { return running_; }

 private:
  Progress progress_;
  Done done_;
  std::atomic<bool> cancel_{false};
  bool running_ = true;  // GUI thread
  std::thread worker_;
};

}  // namespace lumivex
