#pragma once

// A main window with a fake camera streaming a chosen frame, for the live measuring tests: command ids
// and mouse events on the video area, prompts answered through a ScriptedPrompter.
#include "app/live_tools_controller.h"
#include "app/live_view.h"
#include "app/main_controls.h"
#include "app/main_window.h"
#include "app/video_area.h"
#include "capture/demo_scene.h"
#include "core/app_context.h"
#include "core/app_events.h"
#include "core/capture_state.h"
#include "core/scripted_prompter.h"
#include "core/settings.h"
#include "measure/calibration_state.h"
#include "tests/app/fake_capture_service.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/temp_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>

#include <memory>

namespace lumivex::test {

class LiveWindowFixture : public MainWindowFixture {
 protected:
  // The frame the fake camera hands out; the capture size follows it.
  virtual QImage frame() const { return DemoScene::specimen(QSize(640, 480)); }

  void SetUp() override {
    MainWindowFixture::SetUp();
    const QImage picture = frame();
    captureState().width = picture.width();
    captureState().height = picture.height();
    calibrationState().unitName.assign(QStringLiteral("mm"));
    calibrationState().decimals = 3;
    openWindow({.result = CaptureService::ConnectResult::Connected, .fakeRecorder = false, .frameDib = dibOf(picture)});
    ASSERT_TRUE(waitUntil([this] { return capture_->running; }));
  }
  void TearDown() override {
    MainWindowFixture::TearDown();
    captureState().width = 640;
    captureState().height = 480;
  }

  LiveView& view() { return window_->liveView(); }
  VideoArea* area() { return window_->controls().videoArea(); }
  void command(int id) { ASSERT_TRUE(window_->dispatchCommand(id)); }
  void click(QPoint p) {
    QTest::mouseMove(area(), p);
    QTest::mouseClick(area(), Qt::LeftButton, {}, p);
  }
  // Chooses a tool and delivers the measurement frame it asks for.
  void chooseTool(int id) {
    const int before = capture_->stills;
    command(id);
    if (capture_->stills > before) {
      postAppEvent<StillReadyEvent>(window_.get(), StillKind::Command);
      ASSERT_TRUE(waitUntil([this] { return view().hasMeasurementFrame(); }));
    }
  }
};

}  // namespace lumivex::test
