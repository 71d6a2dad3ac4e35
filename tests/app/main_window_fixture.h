#pragma once

#include "app/main_window.h"
#include "capture/recorder/fake_recorder.h"
#include "core/capture_service.h"
#include "core/scripted_prompter.h"
#include "tests/app/fake_capture_service.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <memory>

namespace lumivex::test {

// How a test's main window starts.
struct WindowSetup {
  CaptureService::ConnectResult result = CaptureService::ConnectResult::Connected;
  bool fakeRecorder = false;  // record into a fresh recorder_ instead of the FFmpeg recorder
  QByteArray frameDib;        // what the fake camera's buffered frame holds
};

// The main window's tests: a fresh home folder and settings, scripted answers to every prompt, no
// calibrate prompt at start, English, a 640 x 480 camera; the window itself on a fake camera.
class MainWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Builds the window without showing it, for tests that adjust it first; openWindow() also shows it.
  MainWindow& createWindow(const WindowSetup& setup = {});
  MainWindow& openWindow(const WindowSetup& setup = {});

  TempHome home_;
  std::unique_ptr<Prompter> previousPrompter_;
  ScriptedPrompter* prompts_ = nullptr;
  FakeCaptureService* capture_ = nullptr;
  std::shared_ptr<FakeRecorder> recorder_ = std::make_shared<FakeRecorder>();
  std::unique_ptr<MainWindow> window_;
};

}  // namespace lumivex::test
