#pragma once

#include "app/live_tools_controller.h"
#include "app/live_view.h"
#include "app/main_controls.h"
#include "app/main_window.h"
#include "app/menu_controller.h"
#include "app/video_area.h"
#include "core/app_context.h"
#include "core/capture_service.h"
#include "tests/app/main_window_fixture.h"

#include <QTest>
#include <QUrl>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace lumivex::test {

// The main window's own tests: its modal dialogs (the text tool's, the live view's comparison and
// calibration dialogs) are cancelled unless a test answers them, and links open nowhere but are listed.
class MainWindowTest : public MainWindowFixture {
 protected:
  using Result = CaptureService::ConnectResult;

  MainWindow& open(Result result) {
    createWindow({.result = result, .fakeRecorder = true, .frameDib = {}});
    window_->menus().setUrlOpener([this](const QUrl& url) {
      openedUrls_.push_back(url);
      return true;
    });
    realAskText_ = window_->liveTools().hooks().askText;
    window_->liveTools().hooks().askText = [](QWidget*) -> std::optional<QString> { return std::nullopt; };
    LiveView::Askers& askers = window_->liveView().askers();
    askers.calibrationDistance = [](QWidget*, const QString&) -> std::optional<double> { return std::nullopt; };
    askers.rulerLength = [](QWidget*, const QString&) -> std::optional<double> { return std::nullopt; };
    askers.gaugeVertex = [](QWidget*) -> std::optional<QPoint> { return std::nullopt; };
    askers.toleranceCircle = [](QWidget*, const QString&) -> std::optional<std::array<double, 3>> {
      return std::nullopt;
    };
    window_->show();
    return *window_;
  }

  void key(int qtKey, QWidget* target = nullptr) {
    QTest::keyClick(target ? target : window_->controls().videoArea(), static_cast<Qt::Key>(qtKey));
  }

  std::function<std::optional<QString>(QWidget*)> realAskText_;
  std::vector<QUrl> openedUrls_;
};

}  // namespace lumivex::test
