#include "app/camera_controller.h"
#include "app/files_controller.h"
#include "app/main_window.h"
#include "app/recording_controller.h"
#include "capture/recorder/fake_recorder.h"
#include "core/app_context.h"
#include "core/app_events.h"
#include "core/scripted_prompter.h"
#include "library/player/player_ids.h"
#include "library/player/player_session.h"
#include "library/player/player_window.h"
#include "widgets/skin_button.h"

#include "tests/app/fake_capture_service.h"
#include "tests/app/main_window_fixture.h"
#include "tests/library/fake_playback_graph.h"
#include "tests/support/temp_home.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using Result = CaptureService::ConnectResult;

bool waitUntil(const std::function<bool()>& condition) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > 20000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// The main window's side of the player, with the fake capture service and a scripted graph.
class VideoPlayerSideTest : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    createWindow({.result = Result::Connected, .fakeRecorder = true, .frameDib = {}});
    window_->files().setPlaybackGraphFactory(test::FakePlaybackGraph::factory(graph_));
    window_->show();
  }

  QTimer* reconnectTimer() const { return window_->findChild<QTimer*>(QStringLiteral("1001")); }
  PlayerWindow* player() const { return window_->files().player().window(); }
  void openVideo() {
    postAppEvent<OpenVideoEvent>(window_.get(), QStringLiteral("/videos/Video_1.avi"));
    QApplication::processEvents();
  }

  std::shared_ptr<test::FakeGraphScript> graph_ = std::make_shared<test::FakeGraphScript>();
};

// 0x800b stops a pending retry and releases the camera; however the player ends, 1001 is armed at
// 100 ms and the camera comes back.
TEST_F(VideoPlayerSideTest, TheCameraIsReleasedForThePlayerAndComesBackHoweverItEnds) {
  struct Case {
    const char* name;
    std::function<void(PlayerWindow&)> end;
  };
  const Case cases[] = {
      {"close button", [](PlayerWindow& p) { QTest::mouseClick(p.button(ids::kPlayerClose), Qt::LeftButton); }},
      {"window manager", [](PlayerWindow& p) { p.close(); }},
      {"deleted", [](PlayerWindow& p) { delete &p; }},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(waitUntil([&] { return window_->camera().isConnected() && capture_->running; })) << c.name;
    // A device-node change leaves a retry pending.
    postAppEvent<DeviceChangeEvent>(window_.get(), DeviceChange::NodeChanged);
    QApplication::processEvents();
    const int releases = capture_->releases;
    const int connects = capture_->connects;

    openVideo();
    ASSERT_NE(player(), nullptr) << c.name;
    EXPECT_EQ(player()->path(), QStringLiteral("/videos/Video_1.avi")) << c.name;
    EXPECT_TRUE(player()->isVisible()) << c.name;
    EXPECT_EQ(player()->windowModality(), Qt::WindowModal) << c.name;
    EXPECT_FALSE(reconnectTimer()->isActive()) << c.name;
    EXPECT_FALSE(capture_->running) << c.name;
    EXPECT_EQ(capture_->releases, releases + 1) << c.name;
    EXPECT_TRUE(window_->camera().isHeldForPlayer()) << c.name;

    c.end(*player());
    EXPECT_TRUE(reconnectTimer()->isActive()) << c.name;
    EXPECT_EQ(reconnectTimer()->interval(), 100) << c.name;
    EXPECT_FALSE(window_->camera().isHeldForPlayer()) << c.name;
    EXPECT_TRUE(waitUntil([&] { return capture_->connects == connects + 1 && capture_->running; })) << c.name;
    EXPECT_TRUE(window_->camera().isConnected()) << c.name;
  }
}

TEST_F(VideoPlayerSideTest, DeviceChangesDuringPlaybackWaitForItsEnd) {
  openVideo();
  const int connects = capture_->connects;
  for (const DeviceChange change : {DeviceChange::Removed, DeviceChange::Arrived, DeviceChange::NodeChanged}) {
    postAppEvent<DeviceChangeEvent>(window_.get(), change);
    QApplication::processEvents();
  }
  EXPECT_EQ(capture_->connects, connects);
  EXPECT_FALSE(reconnectTimer()->isActive());
  EXPECT_FALSE(capture_->running);

  player()->close();
  EXPECT_TRUE(waitUntil([&] { return capture_->connects == connects + 1 && capture_->running; }));
}

TEST_F(VideoPlayerSideTest, ARecordingIsClosedBeforeTheCameraGoes) {
  window_->recording().recordNow();
  ASSERT_TRUE(window_->recording().isRecording());
  bool recordingWhenStopped = true;
  capture_->onStop = [&] { recordingWhenStopped = window_->recording().isRecording(); };
  openVideo();
  ASSERT_NE(player(), nullptr);
  capture_->onStop = nullptr;
  EXPECT_FALSE(recordingWhenStopped);
  EXPECT_FALSE(window_->recording().isRecording());
  EXPECT_EQ(recorder_->closes, 1);
}

// The main window closing under the player takes the player with it and brings nothing back.
TEST_F(VideoPlayerSideTest, ClosingTheMainWindowEndsThePlayerQuietly) {
  openVideo();
  QPointer<PlayerWindow> shown = player();
  const int connects = capture_->connects;
  window_->close();
  EXPECT_TRUE(shown.isNull());
  EXPECT_EQ(graph_->count("destroy"), 1);
  EXPECT_FALSE(reconnectTimer()->isActive());
  QApplication::processEvents();
  EXPECT_EQ(capture_->connects, connects);
  // A video asked for after the close opens nothing.
  openVideo();
  EXPECT_EQ(player(), nullptr);
}

}  // namespace
}  // namespace lumivex
