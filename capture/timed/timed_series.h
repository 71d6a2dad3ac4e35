#pragma once

#include "capture/timed/series_clock.h"

#include <QDateTime>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace lumivex {

// When and how often a series takes its pictures.
struct SeriesPlan {
  QDateTime start;  // local time of the first picture (a past time starts at once)
  std::chrono::milliseconds interval{3000};
  int count = 8;
};

// One series of pictures on a worker thread of its own: waits for the start time, then asks for picture
// 1..count on the absolute deadlines start + (i - 1) x interval (so a long series does not drift), and
// says it has finished one interval after the last picture. The callbacks run on the worker thread and
// must only post (never block on the GUI thread). stop() wakes the worker at once; nothing is called
// after it returns. One object per series: it cannot be restarted.
class TimedSeries {
 public:
  struct Callbacks {
    std::function<void(int picture)> takePicture;  // 1-based
    std::function<void()> finished;
  };

  TimedSeries(SeriesClock& clock, SeriesPlan plan, Callbacks callbacks);
  // Stops and joins.
  ~TimedSeries();
  TimedSeries(const TimedSeries&) = delete;
  TimedSeries& operator=(const TimedSeries&) = delete;

  // Asks the worker to end; returns at once. Callbacks already running finish, none start afterwards.
  void stop();
  // Waits for the worker to end (stop() first to end it early).
  void join();
  bool finished() const;

 private:
  void run();
  // Waits until the deadline or stop; false when stopped.
  bool waitFor(SeriesClock::TimePoint deadline, std::unique_lock<std::mutex>& lock);

  SeriesClock& clock_;
  const SeriesPlan plan_;
  const Callbacks callbacks_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  bool done_ = false;
  std::thread worker_;  // last: starts once everything above exists
};

}  // namespace lumivex
