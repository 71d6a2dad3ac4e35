#pragma once

#include "capture/demo_camera_hub.h"
#include "core/app_context.h"
#include "core/app_events.h"
#include "tests/support/temp_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <functional>
#include <utility>
#include <vector>

namespace lumivex::test {

// Stands in for the main window: records every application message posted to it, with the still kind
// or device change it carries (0 for messages without one).
class MessageLog : public QObject {
 public:
  bool event(QEvent* event) override {
    if (const int message = AppEvent::messageOf(event->type())) {
      int detail = 0;
      if (const auto* still = appEventCast<StillReadyEvent>(event)) detail = static_cast<int>(still->kind);
      if (const auto* change = appEventCast<DeviceChangeEvent>(event)) detail = static_cast<int>(change->change);
      messages.emplace_back(message, detail);
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

// A fresh program context and demo camera hub for each test, in a home of its own.
class DemoCameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppContext::initialise();
    DemoCameraHub::instance().reset();
  }
  void TearDown() override {
    DemoCameraHub::instance().reset();
    AppContext::shutdown();
  }

  TempHome home_;
};

// Runs the event loop until the condition holds; see waitUntil.
inline bool waitFor(const std::function<bool()>& condition, int milliseconds = kWaitDeadlineMs) {
  return waitUntil(condition, milliseconds);
}

}  // namespace lumivex::test
