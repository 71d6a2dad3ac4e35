#pragma once

#include "capture/timed/series_clock.h"

#include <algorithm>
#include <vector>

namespace lumivex {

// A clock for tests: time stands still until advance() moves it, which wakes every waiting series. No
// wake-up is lost: a series registers before it re-checks the time, and advance() notifies under the
// series' own lock.
class ManualSeriesClock : public SeriesClock {
 public:
  explicit ManualSeriesClock(QDateTime local = QDateTime(QDate(2024, 5, 6), QTime(10, 0, 0)))
      : local0_(std::move(local)) {}

  TimePoint now() const override {
    std::lock_guard lock(mutex_);
    return steady0_ + elapsed_;
  }
  QDateTime localNow() const override {
    std::lock_guard lock(mutex_);
    return local0_.addMSecs(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed_).count());
  }
  void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, TimePoint deadline) override {
    const Waiter me{lock.mutex(), &cv};
    {
      std::lock_guard guard(mutex_);
      if (steady0_ + elapsed_ >= deadline) return;
      waiters_.push_back(me);
      ++waits_;
    }
    cv.wait(lock);
    std::lock_guard guard(mutex_);
    waiters_.erase(std::find(waiters_.begin(), waiters_.end(), me));
  }

  void advance(std::chrono::milliseconds step) {
    std::vector<Waiter> waiting;
    {
      std::lock_guard lock(mutex_);
      elapsed_ += step;
      waiting = waiters_;
    }
    for (const Waiter& w : waiting) {
      std::lock_guard lock(*w.mutex);
      w.cv->notify_all();
    }
  }
  // How often a series has gone to sleep (tests wait for it to be asleep before moving time on).
  int waits() const {
    std::lock_guard lock(mutex_);
    return waits_;
  }
  bool anyoneWaiting() const {
    std::lock_guard lock(mutex_);
    return !waiters_.empty();
  }

 private:
  struct Waiter {
    std::mutex* mutex;
    std::condition_variable* cv;
    bool operator==(const Waiter&) const = default;
  };
  mutable std::mutex mutex_;
  const TimePoint steady0_ = TimePoint(std::chrono::hours(1));
  QDateTime local0_;
  std::chrono::steady_clock::duration elapsed_{0};
  std::vector<Waiter> waiters_;
  int waits_ = 0;
};

}  // namespace lumivex
