#include "capture/recorder/timelapse_task.h"

#include <QMetaObject>

namespace lumivex {

TimelapseTask::TimelapseTask(TimelapseJob job, Progress progress, Done done)
    : progress_(std::move(progress)), done_(std::move(done)) {
  worker_ = std::thread([this, job = std::move(job)] {
    const TimelapseResult result = TimelapseBuilder::build(
        job,
        [this](int doneCount, int total) {
          // Posted: the GUI never waits for the worker, and a destroyed task drops what is still queued.
          QMetaObject::invokeMethod(
              this,
              [this, doneCount, total] {
                if (progress_) progress_(doneCount, total);
              },
              Qt::QueuedConnection);
        },
        &cancel_);
    QMetaObject::invokeMethod(
        this,
        [this, result] {
          running_ = false;
          if (done_) done_(result);
        },
        Qt::QueuedConnection);
  });
}

TimelapseTask::~TimelapseTask() {
  cancel_.store(true);
  if (worker_.joinable()) worker_.join();
}

}  // namespace lumivex
