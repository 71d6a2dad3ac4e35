#include "capture/timed/timed_capture_controller.h"

#include <QMetaObject>

namespace lumivex {

TimedCaptureController::TimedCaptureController(SeriesClock& clock, Hooks hooks)
    : clock_(clock), hooks_(std::move(hooks)) {}

TimedCaptureController::~TimedCaptureController() { cancel(); }

std::chrono::milliseconds TimedCaptureController::intervalOf(int minutes, int seconds) {
  return std::chrono::milliseconds(static_cast<qint64>(seconds) * 1000 + static_cast<qint64>(minutes) * 60000);
}

TimedCaptureController::StartResult TimedCaptureController::start(const StartFields& start, int intervalMinutes,
                                                                  int intervalSeconds, int count) {
  if (start.isBefore(clock_.localNow())) return StartResult::StartInThePast;
  cancel();
  const int generation = ++generation_;
  state_ = State::Running;
  taken_ = 0;
  awaited_ = 0;
  stills_.clear();
  TimedSeries::Callbacks callbacks;
  // Worker thread: post only. A series replaced or stopped meanwhile finds its generation stale.
  callbacks.takePicture = [this, generation](int picture) {
    QMetaObject::invokeMethod(
        this, [this, generation, picture] { onPicture(generation, picture); }, Qt::QueuedConnection);
  };
  callbacks.finished = [this, generation] {
    QMetaObject::invokeMethod(
        this, [this, generation] { onFinished(generation); }, Qt::QueuedConnection);
  };
  series_ = std::make_unique<TimedSeries>(
      clock_, SeriesPlan{start.earliestReaching(), intervalOf(intervalMinutes, intervalSeconds), count},
      std::move(callbacks));
  return StartResult::Started;
}

void TimedCaptureController::stop() {
  ++generation_;
  if (series_) series_->stop();
  state_ = State::Idle;
  taken_ = 0;
  awaited_ = 0;
}

void TimedCaptureController::cancel() {
  ++generation_;
  series_.reset();  // stops and joins
  if (state_ == State::Running) state_ = State::Idle;
  awaited_ = 0;
}

void TimedCaptureController::onPicture(int generation, int picture) {
  if (generation != generation_ || state_ != State::Running) return;
  taken_ = picture;
  ++awaited_;
  if (hooks_.requestStill) hooks_.requestStill();
  if (hooks_.pictureTaken) hooks_.pictureTaken(taken_);
}

void TimedCaptureController::onFinished(int generation) {
  if (generation != generation_ || state_ != State::Running) return;
  state_ = State::Finished;
  if (series_) series_->join();
  if (hooks_.finished) hooks_.finished();
}

void TimedCaptureController::stillSaved(int kind, const QString& path) {
  if (kind != 0 || awaited_ == 0) return;
  --awaited_;
  stills_ << path;
}

}  // namespace lumivex
