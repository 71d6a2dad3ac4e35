#include "capture/timed/timed_series.h"

namespace lumivex {

TimedSeries::TimedSeries(SeriesClock& clock, SeriesPlan plan, Callbacks callbacks)
    : clock_(clock), plan_(std::move(plan)), callbacks_(std::move(callbacks)), worker_([this] { run(); }) {}

TimedSeries::~TimedSeries() {
  stop();
  join();
}

void TimedSeries::stop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
}

void TimedSeries::join() {
  if (worker_.joinable()) worker_.join();
}

bool TimedSeries::finished() const {
  std::lock_guard lock(mutex_);
  return done_;
}

bool TimedSeries::waitFor(SeriesClock::TimePoint deadline, std::unique_lock<std::mutex>& lock) {
  while (!stop_ && clock_.now() < deadline) clock_.waitUntil(lock, wake_, deadline);
  return !stop_;
}

void TimedSeries::run() {
  // The start time is local wall time; from here on the steady clock rules, so the deadlines do not
  // move when the wall clock is set.
  const qint64 delayMs = std::max<qint64>(0, clock_.localNow().msecsTo(plan_.start));
  const SeriesClock::TimePoint t0 = clock_.now() + std::chrono::milliseconds(delayMs);
  std::unique_lock lock(mutex_);
  for (int i = 1; i <= plan_.count; ++i) {
    if (!waitFor(t0 + plan_.interval * (i - 1), lock)) break;
    // Called with the lock held: stop() cannot return while a picture is being asked for.
    if (callbacks_.takePicture) callbacks_.takePicture(i);
  }
  if (!stop_ && waitFor(t0 + plan_.interval * plan_.count, lock) && callbacks_.finished) callbacks_.finished();
  done_ = true;
}

}  // namespace lumivex
