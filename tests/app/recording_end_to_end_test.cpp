// Recording with the simulated camera through the real pipeline, recorder and FFmpeg: F3 and F4, and a
// camera unplugged while recording. The files are read back by ffprobe.
#include "app/camera_controller.h"
#include "app/main_controls.h"
#include "app/main_window.h"
#include "app/recording_controller.h"
#include "app/video_area.h"
#include "capture/demo_camera_hub.h"
#include "capture/gst_capture_service.h"
#include "core/app_context.h"
#include "core/scripted_prompter.h"
#include "library/thumbnail_strip.h"
#include "tests/capture/recorder/media_probe.h"
#include "tests/support/temp_home.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

bool waitFor(const std::function<bool()>& condition, int ms = 30000) {
  QDeadlineTimer deadline(ms);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

class RecordingEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    AppContext& context = AppContext::initialise();
    context.folders().resolve(context.paths().programFolder, context.paths().documentsFolder);
    context.store().ensureFirstRunDefaults();
    context.store().saveCalibratePrompt(false);
    previous_ = installPrompter(std::make_unique<ScriptedPrompter>());
    DemoCameraHub::instance().reset();
    DemoCameraHub::instance().addCamera(QStringLiteral("Lumivex Demo Camera"));
    StartOptions options;
    options.demoCamera = true;
    window_ = std::make_unique<MainWindow>(context, options, std::make_unique<GstCaptureService>(true));
    window_->show();
  }
  void TearDown() override {
    window_.reset();
    DemoCameraHub::instance().reset();
    installPrompter(std::move(previous_));
    AppContext::shutdown();
  }

  bool streaming() {
    return waitFor([&] { return window_->camera().isConnected() && !window_->capture().bufferedFrame().isEmpty(); });
  }
  void key(Qt::Key k) { QTest::keyClick(static_cast<QWidget*>(window_->controls().videoArea()), k); }
  // The recording's file, once it holds more than its header.
  QString growingRecording() {
    const QDir videos(AppContext::current().folders().videoFolder());
    QString path;
    waitFor([&] {
      const QFileInfoList files = videos.entryInfoList({QStringLiteral("Video_*.avi")}, QDir::Files);
      if (files.size() == 1 && files.front().size() > 50'000) path = files.front().filePath();
      return !path.isEmpty();
    });
    return path;
  }

  test::TempHome home_;
  std::unique_ptr<Prompter> previous_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(RecordingEndToEnd, F3ThenF4GivesAFileThatPlaysAtItsRate) {
  if (!streaming()) GTEST_SKIP() << "the simulated camera did not stream";
  QElapsedTimer clock;
  clock.start();
  key(Qt::Key_F3);
  ASSERT_TRUE(window_->recording().isRecording());
  const QString path = growingRecording();
  ASSERT_FALSE(path.isEmpty());
  // A few seconds of recording, however long the machine takes to get there.
  waitFor([&] { return clock.elapsed() > 3000; });
  key(Qt::Key_F4);
  const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
  ASSERT_FALSE(window_->recording().isRecording());
  ThumbnailStrip* strip = window_->controls().strip();
  ASSERT_EQ(strip->videos().count(), 1);
  EXPECT_EQ(strip->videos().entries().front().path, path);

  const test::ProbedVideo v = test::probeVideo(path);
  EXPECT_EQ(v.codec, QStringLiteral("msvideo1"));
  EXPECT_EQ(v.tag, QStringLiteral("MSVC"));
  EXPECT_EQ(v.width, 1600);
  EXPECT_EQ(v.height, 1200);
  EXPECT_EQ(v.rate, QStringLiteral("5/1"));
  EXPECT_GE(v.readFrames, 1);
  // Placed by the clock: never more stream time than the recording lasted (the camera's 30 frames a
  // second, one sample each, would make it six times longer).
  EXPECT_LE(v.headerFrames, static_cast<long long>(seconds * 5) + 1);
  EXPECT_LE(v.readFrames, v.headerFrames);
  QString error;
  EXPECT_TRUE(test::gstreamerPlays(path, &error)) << error.toStdString();
}

TEST_F(RecordingEndToEnd, UnpluggingTheCameraClosesTheRecordingCompleteAndListed) {
  if (!streaming()) GTEST_SKIP() << "the simulated camera did not stream";
  key(Qt::Key_F3);
  ASSERT_TRUE(window_->recording().isRecording());
  const QString path = growingRecording();
  ASSERT_FALSE(path.isEmpty());
  ASSERT_TRUE(DemoCameraHub::instance().unplug(0));
  ASSERT_TRUE(waitFor([&] { return !window_->recording().isRecording(); }));
  EXPECT_FALSE(window_->camera().isConnected());
  ASSERT_EQ(window_->controls().strip()->videos().count(), 1);
  const test::ProbedVideo v = test::probeVideo(path);
  EXPECT_EQ(v.codec, QStringLiteral("msvideo1"));
  EXPECT_GE(v.readFrames, 1);
  EXPECT_GE(v.headerFrames, v.readFrames);  // the index was written: the file is complete
}

}  // namespace
}  // namespace lumivex
