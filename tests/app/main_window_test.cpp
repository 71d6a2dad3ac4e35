// The main window's tools, keys and camera connection states.
#include "tests/app/main_window_test.h"

#include "app/camera_controller.h"
#include "app/live_tools_controller.h"
#include "app/live_view.h"
#include "app/main_controls.h"
#include "app/menu_controller.h"
#include "app/project_links.h"
#include "app/recording_controller.h"
#include "app/screen_controller.h"
#include "app/video_area.h"
#include "capture/recorder/fake_recorder.h"
#include "core/app_context.h"
#include "core/app_events.h"
#include "core/capture_state.h"
#include "core/control_ids.h"
#include "core/ini_document.h"
#include "core/localisation.h"
#include "core/scripted_prompter.h"
#include "export/spreadsheet/workbook.h"
#include "export/spreadsheet/workbook_file.h"
#include "library/thumbnail_strip.h"
#include "measure/measure_shape.h"
#include "tests/app/fake_capture_service.h"
#include "tests/support/temp_home.h"
#include "tests/support/wait_until.h"
#include "widgets/latch_button.h"
#include "widgets/magnifier_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <set>
#include <thread>

namespace lumivex {
namespace {

using test::MainWindowTest;
using Result = CaptureService::ConnectResult;

TEST_F(MainWindowTest, ToolLatchRules) {
  MainWindow& window = open(Result::Connected);
  int rateCalls = 0;
  bool rateOk = true;
  window.liveTools().hooks().deriveRate = [&](QWidget*) {
    ++rateCalls;
    return rateOk;
  };
  struct Case {
    int id;
    int code;
    bool latches;
  };
  const std::vector<Case> cases{
      {1179, 1, true},   {1180, 2, true},   {1181, 3, true},   {1182, 4, true},   {1183, 5, true},   {1184, 6, true},
      {1186, 8, true},   {1187, 9, true},   {1188, 10, true},  {1189, 11, true},  {1190, 12, true},  {1191, 13, true},
      {1192, 14, true},  {1205, 17, true},  {1206, 21, false}, {1349, 22, false}, {1207, 23, false}, {1357, 24, false},
      {1356, 25, false}, {1212, 18, false}, {1141, 19, false}, {1139, 20, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    window.dispatchCommand(c.id);
    EXPECT_EQ(liveToolCode(window.liveTools().activeTool()), c.code);  // the live code by number
    LatchButton* latch = window.controls().latchButton(c.id);
    EXPECT_EQ(latch != nullptr && latch->isLatched(), c.latches);
    // Exactly one tool button is latched at a time.
    int latched = 0;
    for (const ButtonDef& info : kButtonSpecs) {
      if (latches(info.tool) && window.controls().latchButton(info.id)->isLatched()) ++latched;
    }
    EXPECT_EQ(latched, c.latches ? 1 : 0);
  }
  // The second press switches a tool off.
  window.dispatchCommand(1183);
  window.dispatchCommand(1183);
  EXPECT_EQ(window.liveTools().activeTool(), LiveTool::None);
  EXPECT_FALSE(window.controls().latchButton(1183)->isLatched());

  // Labels need no scale; a failing deriveRate keeps the previous tool.
  rateCalls = 0;
  window.dispatchCommand(1192);
  EXPECT_EQ(rateCalls, 0);
  rateOk = false;
  window.dispatchCommand(1179);
  EXPECT_EQ(rateCalls, 1);
  EXPECT_EQ(window.liveTools().activeTool(), LiveTool::CircleLabel);
  EXPECT_TRUE(window.controls().latchButton(1192)->isLatched());
  EXPECT_FALSE(window.controls().latchButton(1179)->isLatched());

  // Cancel from the video-area menu and Delete All return to no tool.
  window.dispatchCommand(ids::kVideoMenuCancel);
  EXPECT_EQ(window.liveTools().activeTool(), LiveTool::None);
  EXPECT_FALSE(window.controls().latchButton(1192)->isLatched());
}

TEST_F(MainWindowTest, TextToolAsksForItsText) {
  MainWindow& window = open(Result::Connected);
  std::optional<QString> answer = QStringLiteral("scratch");
  QString placed;
  window.liveTools().hooks().askText = [&](QWidget*) { return answer; };
  window.liveTools().hooks().addLiveText = [&](const QString& text, QPoint) { placed = text; };
  window.dispatchCommand(1194);
  EXPECT_EQ(placed, QStringLiteral("scratch"));
  EXPECT_EQ(window.liveTools().activeTool(), LiveTool::Text);

  window.dispatchCommand(1179);
  answer = QString();
  window.dispatchCommand(1194);
  ASSERT_EQ(prompts_->messageTexts().size(), 1u);
  EXPECT_EQ(prompts_->messageTexts()[0], QStringLiteral("Please input text!"));
  EXPECT_EQ(window.liveTools().activeTool(), LiveTool::None);
  EXPECT_FALSE(window.controls().latchButton(1194)->isLatched());
}

TEST_F(MainWindowTest, DialogsOfTheMeasurementAndCaptureSidesOpen) {
  MainWindow& window = open(Result::Connected);
  // The real text dialog: typed text comes back on OK.
  window.liveTools().hooks().askText = realAskText_;
  QString placed;
  window.liveTools().hooks().addLiveText = [&](const QString& text, QPoint) { placed = text; };
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* edit = dialog->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->setText(QStringLiteral("burr"));
    dialog->accept();
  });
  window.dispatchCommand(1194);
  EXPECT_EQ(placed, QStringLiteral("burr"));

  window.dispatchCommand(1198);
  auto* setting = window.findChild<QDialog*>(QStringLiteral("243"));
  ASSERT_NE(setting, nullptr);
  EXPECT_TRUE(setting->isVisible());
  setting->reject();
}

TEST_F(MainWindowTest, RecordingKeysRespectTheRecorderState) {
  MainWindow& window = open(Result::Connected);
  RecordingController& recording = window.recording();
  // F4 while not recording changes nothing.
  key(Qt::Key_F4);
  EXPECT_FALSE(recording.isRecording());
  EXPECT_FALSE(window.controls().latchButton(ids::kRecord)->isLatched());
  // F3 while recording leaves the recording alone; F4 stops it and releases the button.
  key(Qt::Key_F3);
  EXPECT_TRUE(window.controls().latchButton(ids::kRecord)->isLatched());
  key(Qt::Key_F3);
  EXPECT_TRUE(recording.isRecording());
  EXPECT_EQ(recorder_->starts.size(), 1u);
  key(Qt::Key_F4);
  EXPECT_FALSE(recording.isRecording());
  EXPECT_FALSE(window.controls().latchButton(ids::kRecord)->isLatched());
  // Switching the preview back on ends a recording first.
  key(Qt::Key_F3);
  EXPECT_FALSE(window.controls().isPreviewing());  // released while recording
  window.dispatchCommand(ids::kPreview);
  EXPECT_FALSE(recording.isRecording());
  EXPECT_TRUE(window.controls().isPreviewing());
}

TEST_F(MainWindowTest, AcceleratorsReachTheirCommandsFromAnyControl) {
  MainWindow& window = open(Result::Connected);
  QLineEdit* edit = window.findChild<QLineEdit*>(QStringLiteral("1200"));
  key(Qt::Key_F2, edit);
  EXPECT_EQ(capture_->stills, 1);
  EXPECT_EQ(capture_->lastStillKind, StillKind::Command);
  key(Qt::Key_F10);
  key(Qt::Key_F11);
  key(Qt::Key_F12, edit);
  EXPECT_EQ(capture_->sizePresets[0], 1);
  EXPECT_EQ(capture_->sizePresets[1], 1);
  EXPECT_EQ(capture_->sizePresets[2], 1);

  // Camera with the preview stopped warns and takes nothing.
  window.dispatchCommand(ids::kPreview);
  EXPECT_FALSE(window.controls().isPreviewing());
  key(Qt::Key_F2);
  EXPECT_EQ(capture_->stills, 1);
  ASSERT_EQ(prompts_->messageTexts().size(), 1u);
  EXPECT_EQ(prompts_->messageTexts()[0], QStringLiteral("Please return to the preview state"));
}

TEST_F(MainWindowTest, EscapeAndEnterNeverCloseTheWindow) {
  MainWindow& window = open(Result::Connected);
  QLineEdit* edit = window.findChild<QLineEdit*>(QStringLiteral("1200"));
  for (QWidget* target : {static_cast<QWidget*>(window.controls().videoArea()), static_cast<QWidget*>(edit),
                          static_cast<QWidget*>(&window)}) {
    key(Qt::Key_Escape, target);
    key(Qt::Key_Return, target);
    key(Qt::Key_Enter, target);
    QApplication::processEvents();
  }
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.screen().isFullScreen());
  EXPECT_EQ(capture_->releases, 0);
}

TEST_F(MainWindowTest, NotConnectedEnablesOnlyCloseAndDrawsTheMessage) {
  MainWindow& window = open(Result::Failed);
  EXPECT_FALSE(window.camera().isConnected());
  for (const ButtonDef& info : kButtonSpecs) {
    EXPECT_EQ(window.controls().button(info.id)->isEnabled(), info.id == ids::kClose) << info.id;
  }
  EXPECT_FALSE(window.controls().isPreviewing());
  EXPECT_EQ(window.controls().videoArea()->connectMessage(), QStringLiteral("Please connect Digital Microscope"));

  // The message is drawn in pure green, centred: green pixels in the middle band, none near the edges.
  const QImage shot = window.controls().videoArea()->grab().toImage();
  int greenMiddle = 0, greenElsewhere = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      if (shot.pixelColor(x, y) != QColor(0, 255, 0)) continue;
      (std::abs(y - 240) < 20 && x > 40 && x < 600 ? greenMiddle : greenElsewhere)++;
    }
  }
  EXPECT_GT(greenMiddle, 100);
  EXPECT_EQ(greenElsewhere, 0);

  // A disabled button does nothing; Close still works.
  QTest::mouseClick(window.controls().button(ids::kCamera), Qt::LeftButton);
  EXPECT_EQ(capture_->stills, 0);
  EXPECT_TRUE(prompts_->messageTexts().empty());
  QTest::mouseClick(window.controls().button(ids::kClose), Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_FALSE(window.isVisible());
  EXPECT_GE(capture_->releases, 2);  // once after the failed connection, once on close
}

TEST_F(MainWindowTest, ConnectedStateEnablesAllButTheEllipse) {
  MainWindow& window = open(Result::Connected);
  for (const ButtonDef& info : kButtonSpecs) {
    EXPECT_EQ(window.controls().button(info.id)->isEnabled(), info.id != ids::kToolEllipse) << info.id;
  }
  EXPECT_TRUE(window.controls().isPreviewing());
  EXPECT_TRUE(window.controls().videoArea()->connectMessage().isEmpty());
  const QImage shot = window.controls().videoArea()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(320, 240), QColor(40, 60, 200));  // the composed frame
}

TEST_F(MainWindowTest, DeviceChangesReconnect) {
  MainWindow& window = open(Result::Failed);
  ASSERT_FALSE(window.camera().isConnected());
  capture_->results = {Result::Connected};
  postAppEvent<DeviceChangeEvent>(&window, DeviceChange::Arrived);
  QApplication::processEvents();
  EXPECT_TRUE(window.camera().isConnected());
  EXPECT_TRUE(window.controls().button(ids::kCamera)->isEnabled());

  capture_->results = {Result::Failed};
  postAppEvent<DeviceChangeEvent>(&window, DeviceChange::Removed);
  QApplication::processEvents();
  EXPECT_FALSE(window.camera().isConnected());
  EXPECT_FALSE(window.controls().videoArea()->connectMessage().isEmpty());

  // A device-node change waits a second before trying.
  postAppEvent<DeviceChangeEvent>(&window, DeviceChange::NodeChanged);
  QApplication::processEvents();
  auto* timer = window.findChild<QTimer*>(QStringLiteral("1001"));
  ASSERT_NE(timer, nullptr);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 1000);
}

TEST_F(MainWindowTest, DeviceChangesAfterCloseLeaveTheCameraStopped) {
  MainWindow& window = open(Result::Connected);
  window.close();
  const int connects = capture_->connects;
  capture_->results = {Result::Connected};
  for (auto change : {DeviceChange::Removed, DeviceChange::Arrived}) {
    postAppEvent<DeviceChangeEvent>(&window, change);
    QApplication::processEvents();
  }
  EXPECT_EQ(capture_->connects, connects);
  EXPECT_FALSE(capture_->running);
}

TEST_F(MainWindowTest, GraphWithoutDeviceRetriesOnceAfter100ms) {
  auto capture = std::make_unique<test::FakeCaptureService>();
  capture->results = {Result::RetryLater, Result::Connected};
  capture_ = capture.get();
  window_ = std::make_unique<MainWindow>(AppContext::current(), StartOptions{}, std::move(capture));
  auto* timer = window_->findChild<QTimer*>(QStringLiteral("1001"));
  ASSERT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 100);
  EXPECT_TRUE(test::waitUntil([&] { return window_->camera().isConnected(); }));
  EXPECT_EQ(capture_->connects, 2);
  EXPECT_FALSE(timer->isActive());
}

}  // namespace
}  // namespace lumivex
