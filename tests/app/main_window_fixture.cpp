#include "tests/app/main_window_fixture.h"

#include "core/app_context.h"
#include "core/capture_state.h"
#include "core/settings_store.h"

#include <QApplication>

namespace lumivex::test {

void MainWindowFixture::SetUp() {
  AppContext::initialise();
  auto scripted = std::make_unique<ScriptedPrompter>();
  prompts_ = scripted.get();
  previousPrompter_ = installPrompter(std::move(scripted));
  // No prompt at start unless a test asks for it.
  AppContext::current().store().ensureFirstRunDefaults();
  AppContext::current().store().saveCalibratePrompt(false);
  AppContext::current().store().saveLanguage({PrimaryLanguage::English});
  captureState().width = 640;
  captureState().height = 480;
}

void MainWindowFixture::TearDown() {
  window_.reset();
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  installPrompter(std::move(previousPrompter_));
  AppContext::shutdown();
}

MainWindow& MainWindowFixture::createWindow(const WindowSetup& setup) {
  auto capture = std::make_unique<FakeCaptureService>();
  capture->results = {setup.result};
  capture->frameDib = setup.frameDib;
  capture_ = capture.get();
  StartOptions options;
  if (setup.fakeRecorder) {
    recorder_ = std::make_shared<FakeRecorder>();  // each window records into a fresh one
    options.recorder = recorder_;
  }
  window_ = std::make_unique<MainWindow>(AppContext::current(), options, std::move(capture));
  return *window_;
}

MainWindow& MainWindowFixture::openWindow(const WindowSetup& setup) {
  createWindow(setup).show();
  return *window_;
}

}  // namespace lumivex::test
