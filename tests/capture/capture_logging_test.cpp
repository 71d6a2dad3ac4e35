// Failures of the capture graph are logged once, where they happen, under lumivex.capture; the category
// is quiet until turned on.
#include "capture/capture_window.h"
#include "capture/demo_camera.h"
#include "capture/demo_camera_hub.h"
#include "tests/capture/capture_test_support.h"
#include "tests/support/temp_home.h"

#include "core/app_context.h"
#include "core/logging.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <functional>
#include <mutex>

namespace lumivex {
namespace {

// The lumivex.capture messages logged while alive.
class CaptureLog {
 public:
  CaptureLog() {
    std::lock_guard guard(lock());
    lines().clear();
    previous_ = qInstallMessageHandler(&CaptureLog::handler);
  }
  ~CaptureLog() { qInstallMessageHandler(previous_); }
  CaptureLog(const CaptureLog&) = delete;
  CaptureLog& operator=(const CaptureLog&) = delete;
  QStringList taken() const {
    std::lock_guard guard(lock());
    return lines();
  }

 private:
  static void handler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && context.category &&
        QLatin1String(context.category) == QLatin1String("lumivex.capture")) {
      std::lock_guard guard(lock());
      lines() << text;
    }
  }
  static std::mutex& lock() {
    static std::mutex m;
    return m;
  }
  static QStringList& lines() {
    static QStringList l;
    return l;
  }
  QtMessageHandler previous_ = nullptr;
};

using CaptureLoggingTest = test::DemoCameraTest;

TEST_F(CaptureLoggingTest, EachRefusedStepWarnsOnceWithItsCause) {
  struct Row {
    const char* name;
    std::function<bool(CaptureWindow&)> step;
    const char* cause;
  };
  const Row rows[] = {
      {"graph without a camera", [](CaptureWindow& w) { return w.buildGraph(); }, "no camera is selected"},
      {"graph of an unplugged camera",
       [](CaptureWindow& w) {
         DemoCameraHub::instance().addCamera(QStringLiteral("Lumivex Demo Camera"));
         w.enumerateDevices();
         DemoCameraHub::instance().cameras().front()->setPlugged(false);
         return w.buildGraph();
       },
       "is gone"},
      {"configure without a graph", [](CaptureWindow& w) { return w.configure(); }, "no graph"},
      {"run before configure", [](CaptureWindow& w) { return w.run(); }, "not configured"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DemoCameraHub::instance().reset();
    CaptureWindow window;
    window.setDemoCamerasEnabled(true);
    LoggingEnabled enabled;
    CaptureLog log;
    EXPECT_FALSE(row.step(window));
    const QStringList lines = log.taken();
    ASSERT_EQ(lines.size(), 1) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.front().contains(QLatin1String(row.cause))) << lines.front().toStdString();
  }
}

TEST_F(CaptureLoggingTest, QuietUnlessTurnedOn) {
  if (qEnvironmentVariableIsSet("QT_LOGGING_RULES")) GTEST_SKIP() << "QT_LOGGING_RULES is set";
  CaptureWindow window;
  CaptureLog log;
  EXPECT_FALSE(window.buildGraph());
  EXPECT_TRUE(log.taken().isEmpty());
}

}  // namespace
}  // namespace lumivex
