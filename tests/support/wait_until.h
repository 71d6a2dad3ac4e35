#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QThread>

#include <functional>

namespace lumivex::test {

// Deadline of every condition wait: far past what any check needs on a loaded two-core machine, so only
// a real fault ever reaches it.
inline constexpr int kWaitDeadlineMs = 30000;

// Runs the event loop (posted events and deferred deletes included) until the condition holds; false
// when the deadline passes first. Between checks the thread yields briefly, so worker threads the
// condition depends on get the processor on a loaded machine. Tests wait on conditions through this,
// never on a fixed time.
inline bool waitUntil(const std::function<bool()>& condition, int milliseconds = kWaitDeadlineMs) {
  QDeadlineTimer deadline(milliseconds);
  for (;;) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (condition()) return true;
    if (deadline.hasExpired()) return false;
    QThread::msleep(2);
  }
}

}  // namespace lumivex::test
