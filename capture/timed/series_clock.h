#pragma once

#include <QDateTime>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace lumivex {

// The clocks a timed series runs by: a steady one for its deadlines and the local wall time for its
// start. The series waits through waitUntil so a test clock can let time pass without sleeping.
class SeriesClock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  virtual ~SeriesClock() = default;
  virtual TimePoint now() const = 0;
  virtual QDateTime localNow() const = 0;
  // Blocks (lock held on entry and on return) until the deadline has passed or cv is notified; may return
  // early, so callers check their condition again.
  virtual void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, TimePoint deadline) = 0;
};

// The system's clocks.
class SystemSeriesClock : public SeriesClock {
 public:
  TimePoint now() const override { return std::chrono::steady_clock::now(); }
  QDateTime localNow() const override { return QDateTime::currentDateTime(); }
  void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, TimePoint deadline) override {
    cv.wait_until(lock, deadline);
  }
};

}  // namespace lumivex
