#pragma once

#include "core/app_message.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>

#include <functional>
#include <utility>
#include <vector>

namespace lumivex::test {

// Stands in for the main window: records every application message posted to it.
class MessageLog : public QObject {
 public:
  bool event(QEvent* event) override {
    if (auto* m = dynamic_cast<AppMessageEvent*>(event)) {
      messages.emplace_back(m->message(), static_cast<int>(m->wParam()));
      return true;
    }
    return QObject::event(event);
  }
  int count(int message) const {
    int n = 0;
    for (const auto& m : messages) n += m.first == message ? 1 : 0;
    return n;
  }
  std::vector<std::pair<int, int>> messages;
};

// Runs the event loop until the condition holds or the time is up.
inline bool waitFor(const std::function<bool()>& condition, int milliseconds = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > milliseconds) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace lumivex::test
