#include "app/main_window.h"

#include "app/project_links.h"
#include "app/video_area.h"
#include "core/app_context.h"
#include "core/app_message.h"
#include "core/capture_state.h"
#include "core/control_ids.h"
#include "core/ini_document.h"
#include "core/localisation.h"
#include "core/scripted_prompter.h"
#include "tests/app/fake_capture_service.h"
#include "tests/support/temp_home.h"
#include "widgets/latch_button.h"
#include "widgets/magnifier_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <set>
#include <thread>

namespace lumivex {
namespace {

using Result = CaptureService::ConnectResult;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppContext::initialise();
    auto scripted = std::make_unique<ScriptedPrompter>();
    prompts_ = scripted.get();
    previousPrompter_ = installPrompter(std::move(scripted));
    // No prompt at start unless a test asks for it.
    AppContext::current().store().ensureFirstRunDefaults();
    AppContext::current().store().saveCalibratePrompt(0);
    AppContext::current().store().saveLanguage(9, 0);
    captureState().width = 640;
    captureState().height = 480;
  }
  void TearDown() override {
    window_.reset();
    QApplication::processEvents();
    installPrompter(std::move(previousPrompter_));
    AppContext::shutdown();
  }

  MainWindow& open(Result result) {
    auto capture = std::make_unique<test::FakeCaptureService>();
    capture->results = {result};
    capture_ = capture.get();
    window_ = std::make_unique<MainWindow>(AppContext::current(), StartOptions{}, std::move(capture));
    window_->setUrlOpener([this](const QUrl& url) {
      openedUrls_.push_back(url);
      return true;
    });
    // The text dialog is modal; tests that need it answer it themselves.
    realAskText_ = window_->measureHooks().askText;
    window_->measureHooks().askText = [](QWidget*) -> std::optional<QString> { return std::nullopt; };
    window_->show();
    return *window_;
  }

  std::function<std::optional<QString>(QWidget*)> realAskText_;

  void key(int qtKey, QWidget* target = nullptr) {
    QTest::keyClick(target ? target : window_->videoArea(), static_cast<Qt::Key>(qtKey));
  }

  test::TempHome home_;
  std::unique_ptr<Prompter> previousPrompter_;
  ScriptedPrompter* prompts_ = nullptr;
  test::FakeCaptureService* capture_ = nullptr;
  std::unique_ptr<MainWindow> window_;
  std::vector<QUrl> openedUrls_;
};

// Every button of the command table, every popup-menu command and every language item reaches the
// handler named for it.
TEST_F(MainWindowTest, EveryCommandIdReachesItsHandler) {
  MainWindow& window = open(Result::Connected);
  const std::vector<std::pair<int, const char*>> table{
      {1014, "onPreview"},
      {1005, "onCamera"},
      {1006, "onRecordButton"},
      {1007, "onTimedCapture"},
      {1016, "onVideoSettings"},
      {1008, "onExportWord"},
      {1009, "onExportExcel"},
      {1293, "onLanguageMenu"},
      {1179, "onChooseTool"},
      {1180, "onChooseTool"},
      {1181, "onChooseTool"},
      {1182, "onChooseTool"},
      {1183, "onChooseTool"},
      {1184, "onChooseTool"},
      {1185, "onChooseTool"},
      {1186, "onChooseTool"},
      {1187, "onChooseTool"},
      {1188, "onChooseTool"},
      {1189, "onChooseTool"},
      {1190, "onChooseTool"},
      {1191, "onChooseTool"},
      {1192, "onChooseTool"},
      {1193, "onChooseTool"},
      {1194, "onChooseTool"},
      {1175, "onMinimise"},
      {1195, "onUndo"},
      {1196, "onRedo"},
      {1197, "onLineCalibration"},
      {1198, "onMeasureSettings"},
      {1199, "onHelpMenu"},
      {1201, "onPictureFolder"},
      {1202, "onVideoFolder"},
      {1204, "onSnapshotSwitch"},
      {1205, "onChooseTool"},
      {1212, "onRuler"},
      {1141, "onAngleGauge"},
      {1139, "onToleranceCircle"},
      {1326, "onExportDxf"},
      {409, "onDeleteAll"},
      {1207, "onChooseAutoTool"},
      {1349, "onChooseAutoTool"},
      {1206, "onChooseAutoTool"},
      {1357, "onChooseAutoTool"},
      {1356, "onChooseAutoTool"},
      {1234, "onOpenFile"},
      {1235, "onSaveFileAs"},
      {1300, "onSaveAllFiles"},
      {1236, "onDeleteFile"},
      {410, "onDeleteAllFiles"},
      {1274, "onEmail"},
      {1239, "onHelp"},
      {379, "onUpdate"},
      {1241, "onAbout"},
      {16, "onAbout"},
      {1273, "onCancelTool"},
      {1243, "onCrossLine"},
      {1244, "onScaleOverlay"},
      {1245, "onCircleOverlay"},
      {395, "onTimeStamp"},
      {1314, "onStillFormat"},
      {1315, "onStillFormat"},
      {1301, "onLanguage"},
      {1302, "onLanguage"},
      {1351, "onLanguage"},
      {1303, "onLanguage"},
      {1304, "onLanguage"},
      {1305, "onLanguage"},
      {1306, "onLanguage"},
      {1313, "onLanguage"},
      {1308, "onLanguage"},
      {1352, "onLanguage"},
      {1353, "onLanguage"},
      {1359, "onLanguage"},
      {1176, "onFullScreen"},
      {1177, "onClose"},
  };
  std::set<int> expected;
  for (const auto& [id, handler] : table) {
    SCOPED_TRACE(id);
    expected.insert(id);
    EXPECT_EQ(window.handlerName(id), QString::fromLatin1(handler));
    ASSERT_TRUE(window.dispatchCommand(id));
    EXPECT_EQ(window.lastHandler(), QString::fromLatin1(handler));
    if (window.isFullScreenMode()) window.leaveFullScreen();
  }
  const std::vector<int> known = window.commandIds();
  EXPECT_EQ(std::set<int>(known.begin(), known.end()), expected);
  // Every one of the 46 buttons is a command.
  ASSERT_EQ(window.buttonTable().rows().size(), 46u);
  for (const ButtonSpec& info : kButtonSpecs) EXPECT_TRUE(expected.count(info.id)) << info.id;
  EXPECT_FALSE(window.dispatchCommand(4242));
}

TEST_F(MainWindowTest, ApplicationMessagesReachTheirHandlers) {
  MainWindow& window = open(Result::Connected);
  const std::vector<std::pair<int, const char*>> table{
      {msg::kStillReady, "onStillReady"},
      {msg::kGraphEvent, "handleGraphEvent"},
      {msg::kOpenPicture, "onOpenPicture"},
      {msg::kOpenVideo, "onOpenVideo"},
      {msg::kWorkspaceCalibration, "onWorkspaceCalibration"},
      {msg::kLiveCalibrationDone, "onLiveCalibrationDone"},
      {msg::kCalibratePrompt, "showCalibratePrompt"},
      {msg::kDeviceChange, "onDeviceChange"},
  };
  for (const auto& [message, handler] : table) {
    SCOPED_TRACE(message);
    postAppMessage(&window, message, 3);
    QApplication::processEvents();
    EXPECT_EQ(window.lastHandler(), QString::fromLatin1(handler));
  }
  // The workspace's calibration lands in the two edits.
  postAppMessage(&window, msg::kWorkspaceCalibration, 0, 0, QStringLiteral("200\t12.345"));
  QApplication::processEvents();
  EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("1147"))->text(), QStringLiteral("200"));
  EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("1200"))->text(), QStringLiteral("12.3"));
}

TEST_F(MainWindowTest, ToolLatchRules) {
  MainWindow& window = open(Result::Connected);
  int rateCalls = 0;
  bool rateOk = true;
  window.measureHooks().deriveRate = [&](QWidget*) {
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
    EXPECT_EQ(window.activeTool(), c.code);
    LatchButton* latch = window.latchButton(c.id);
    EXPECT_EQ(latch != nullptr && latch->isLatched(), c.latches);
    // Exactly one tool button is latched at a time.
    int latched = 0;
    for (const ButtonSpec& info : kButtonSpecs) {
      if (info.latch && info.toolCode > 0 && window.latchButton(info.id)->isLatched()) ++latched;
    }
    EXPECT_EQ(latched, c.latches ? 1 : 0);
  }
  // The second press switches a tool off.
  window.dispatchCommand(1183);
  window.dispatchCommand(1183);
  EXPECT_EQ(window.activeTool(), 0);
  EXPECT_FALSE(window.latchButton(1183)->isLatched());

  // Labels need no scale; a failing deriveRate keeps the previous tool.
  rateCalls = 0;
  window.dispatchCommand(1192);
  EXPECT_EQ(rateCalls, 0);
  rateOk = false;
  window.dispatchCommand(1179);
  EXPECT_EQ(rateCalls, 1);
  EXPECT_EQ(window.activeTool(), 14);
  EXPECT_TRUE(window.latchButton(1192)->isLatched());
  EXPECT_FALSE(window.latchButton(1179)->isLatched());

  // Cancel from the video-area menu and Delete All return to no tool.
  window.dispatchCommand(ids::kVideoMenuCancel);
  EXPECT_EQ(window.activeTool(), 0);
  EXPECT_FALSE(window.latchButton(1192)->isLatched());
}

TEST_F(MainWindowTest, TextToolAsksForItsText) {
  MainWindow& window = open(Result::Connected);
  std::optional<QString> answer = QStringLiteral("scratch");
  QString placed;
  window.measureHooks().askText = [&](QWidget*) { return answer; };
  window.measureHooks().addLiveText = [&](const QString& text, QPoint) { placed = text; };
  window.dispatchCommand(1194);
  EXPECT_EQ(placed, QStringLiteral("scratch"));
  EXPECT_EQ(window.activeTool(), 16);

  window.dispatchCommand(1179);
  answer = QString();
  window.dispatchCommand(1194);
  ASSERT_EQ(prompts_->messageTexts().size(), 1u);
  EXPECT_EQ(prompts_->messageTexts()[0], QStringLiteral("Please input text!"));
  EXPECT_EQ(window.activeTool(), 0);
  EXPECT_FALSE(window.latchButton(1194)->isLatched());
}

TEST_F(MainWindowTest, DialogsOfTheMeasurementAndCaptureSidesOpen) {
  MainWindow& window = open(Result::Connected);
  // The real text dialog: typed text comes back on OK.
  window.measureHooks().askText = realAskText_;
  QString placed;
  window.measureHooks().addLiveText = [&](const QString& text, QPoint) { placed = text; };
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
  // F3 while recording and F4 while not recording do nothing.
  window.setRecording(true);
  key(Qt::Key_F3);
  EXPECT_EQ(window.lastHandler(), QString());
  window.setRecording(false);
  key(Qt::Key_F4);
  EXPECT_EQ(window.lastHandler(), QString());

  key(Qt::Key_F3);
  EXPECT_EQ(window.lastHandler(), QStringLiteral("onRecordNow"));
  window.setRecording(true);
  EXPECT_TRUE(window.latchButton(ids::kRecord)->isLatched());
  key(Qt::Key_F4);
  EXPECT_EQ(window.lastHandler(), QStringLiteral("onStopRecordingByKey"));
  EXPECT_FALSE(window.isRecording());
  EXPECT_FALSE(window.latchButton(ids::kRecord)->isLatched());
}

TEST_F(MainWindowTest, AcceleratorsReachTheirCommandsFromAnyControl) {
  MainWindow& window = open(Result::Connected);
  QLineEdit* edit = window.findChild<QLineEdit*>(QStringLiteral("1200"));
  key(Qt::Key_F2, edit);
  EXPECT_EQ(capture_->stills, 1);
  EXPECT_EQ(capture_->lastStillKind, MainWindow::kStillForCamera);
  key(Qt::Key_F10);
  key(Qt::Key_F11);
  key(Qt::Key_F12, edit);
  EXPECT_EQ(capture_->sizePresets[0], 1);
  EXPECT_EQ(capture_->sizePresets[1], 1);
  EXPECT_EQ(capture_->sizePresets[2], 1);

  // Camera with the preview stopped warns and takes nothing.
  window.dispatchCommand(ids::kPreview);
  EXPECT_FALSE(window.isPreviewing());
  key(Qt::Key_F2);
  EXPECT_EQ(capture_->stills, 1);
  ASSERT_EQ(prompts_->messageTexts().size(), 1u);
  EXPECT_EQ(prompts_->messageTexts()[0], QStringLiteral("Please return to the preview state"));
}

TEST_F(MainWindowTest, EscapeAndEnterNeverCloseTheWindow) {
  MainWindow& window = open(Result::Connected);
  QLineEdit* edit = window.findChild<QLineEdit*>(QStringLiteral("1200"));
  for (QWidget* target :
       {static_cast<QWidget*>(window.videoArea()), static_cast<QWidget*>(edit), static_cast<QWidget*>(&window)}) {
    key(Qt::Key_Escape, target);
    key(Qt::Key_Return, target);
    key(Qt::Key_Enter, target);
    QApplication::processEvents();
  }
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isFullScreenMode());
  EXPECT_EQ(capture_->releases, 0);
}

TEST_F(MainWindowTest, NotConnectedEnablesOnlyCloseAndDrawsTheMessage) {
  MainWindow& window = open(Result::Failed);
  EXPECT_FALSE(window.isConnected());
  for (const ButtonSpec& info : kButtonSpecs) {
    EXPECT_EQ(window.button(info.id)->isEnabled(), info.id == ids::kClose) << info.id;
  }
  EXPECT_FALSE(window.isPreviewing());
  EXPECT_EQ(window.videoArea()->connectMessage(), QStringLiteral("Please connect Digital Microscope"));

  // The message is drawn in pure green, centred: green pixels in the middle band, none near the edges.
  const QImage shot = window.videoArea()->grab().toImage();
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
  QTest::mouseClick(window.button(ids::kCamera), Qt::LeftButton);
  EXPECT_EQ(window.lastHandler(), QString());
  QTest::mouseClick(window.button(ids::kClose), Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_FALSE(window.isVisible());
  EXPECT_GE(capture_->releases, 2);  // once after the failed connection, once on close
}

TEST_F(MainWindowTest, ConnectedStateEnablesAllButTheEllipse) {
  MainWindow& window = open(Result::Connected);
  for (const ButtonSpec& info : kButtonSpecs) {
    EXPECT_EQ(window.button(info.id)->isEnabled(), info.id != ids::kToolEllipse) << info.id;
  }
  EXPECT_TRUE(window.isPreviewing());
  EXPECT_TRUE(window.videoArea()->connectMessage().isEmpty());
  const QImage shot = window.videoArea()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(320, 240), QColor(40, 60, 200));  // the composed frame
}

TEST_F(MainWindowTest, DeviceChangesReconnect) {
  MainWindow& window = open(Result::Failed);
  ASSERT_FALSE(window.isConnected());
  capture_->results = {Result::Connected};
  postAppMessage(&window, msg::kDeviceChange, static_cast<int>(CaptureService::DeviceChange::Arrived));
  QApplication::processEvents();
  EXPECT_TRUE(window.isConnected());
  EXPECT_TRUE(window.button(ids::kCamera)->isEnabled());

  capture_->results = {Result::Failed};
  postAppMessage(&window, msg::kDeviceChange, static_cast<int>(CaptureService::DeviceChange::Removed));
  QApplication::processEvents();
  EXPECT_FALSE(window.isConnected());
  EXPECT_FALSE(window.videoArea()->connectMessage().isEmpty());

  // A device-node change waits a second before trying.
  postAppMessage(&window, msg::kDeviceChange, static_cast<int>(CaptureService::DeviceChange::NodeChanged));
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
  for (auto change : {CaptureService::DeviceChange::Removed, CaptureService::DeviceChange::Arrived}) {
    postAppMessage(&window, msg::kDeviceChange, static_cast<int>(change));
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
  EXPECT_TRUE(QTest::qWaitFor([&] { return window_->isConnected(); }, 2000));
  EXPECT_EQ(capture_->connects, 2);
  EXPECT_FALSE(timer->isActive());
}

TEST_F(MainWindowTest, FullScreenFactors) {
  struct Case {
    QSize screen, capture;
    double x, y;
  };
  for (const Case& c :
       {Case{{1920, 1080}, {640, 480}, 3.0, 2.25}, Case{{1920, 1080}, {1280, 1024}, 3.0, 2.109375},
        Case{{1920, 1080}, {1600, 1200}, 3.0, 2.25}, Case{{1280, 1024}, {1280, 960}, 2.0, 1024 / 480.0}}) {
    const QPointF f = MainWindow::fullScreenFactors(c.screen, c.capture);
    EXPECT_DOUBLE_EQ(f.x(), c.x);
    EXPECT_DOUBLE_EQ(f.y(), c.y);
  }
}

TEST_F(MainWindowTest, FullScreenAndRestore) {
  MainWindow& window = open(Result::Connected);
  const QRect normal = window.geometry();
  captureState().width = 1280;
  captureState().height = 1024;
  window.enterFullScreen(QRect(0, 0, 1920, 1080));
  EXPECT_TRUE(window.isFullScreenMode());
  EXPECT_DOUBLE_EQ(window.scaleX(), 3.0);
  EXPECT_DOUBLE_EQ(window.scaleY(), 2.109375);
  EXPECT_EQ(window.videoArea()->geometry(), QRect(0, 0, 1920, 1080));
  EXPECT_EQ(window.videoArea()->hint(), QStringLiteral("ESC Restore"));
  EXPECT_TRUE(capture_->fullScreen);
  for (QWidget* child : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (child->isWindow()) continue;
    EXPECT_EQ(child->isVisible(), child == window.videoArea()) << child->objectName().toStdString();
  }
  for (const auto& row : window.buttonTable().rows()) EXPECT_TRUE(row.button->toolTip().isEmpty());

  key(Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_FALSE(window.isFullScreenMode());
  EXPECT_EQ(window.geometry(), normal);
  EXPECT_EQ(window.videoArea()->geometry(), QRect(98, 49, 640, 480));
  EXPECT_DOUBLE_EQ(window.scaleX(), 1.0);
  EXPECT_DOUBLE_EQ(window.scaleY(), 1.0);
  EXPECT_TRUE(window.videoArea()->hint().isEmpty());
  EXPECT_FALSE(capture_->fullScreen);
  const std::set<QString> stayHidden{"1014", "1185", "1193", "1147"};
  for (QWidget* child : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (child->isWindow()) continue;
    EXPECT_EQ(child->isVisible(), !stayHidden.count(child->objectName())) << child->objectName().toStdString();
  }
  EXPECT_EQ(window.button(ids::kCamera)->toolTip(), QStringLiteral("Camera  F2"));
}

TEST_F(MainWindowTest, LayoutPlacesEveryControl) {
  MainWindow& window = open(Result::Connected);
  const std::vector<std::pair<const char*, QRect>> table{
      {"1000", {98, 49, 640, 480}}, {"1002", {97, 530, 642, 115}}, {"1358", {738, 530, 120, 120}},
      {"1005", {29, 78, 56, 40}},   {"1199", {29, 482, 56, 40}},   {"1201", {40, 541, 48, 48}},
      {"1179", {749, 75, 32, 32}},  {"1188", {820, 145, 32, 32}},  {"1356", {785, 307, 32, 32}},
      {"1139", {820, 362, 32, 32}}, {"409", {783, 402, 32, 32}},   {"1198", {800, 487, 32, 32}},
      {"1177", {830, 6, 28, 28}},   {"1203", {744, 56, 111, 195}}, {"1148", {743, 442, 112, 88}},
      {"1350", {747, 465, 52, 20}}, {"1147", {800, 462, 52, 19}},  {"1200", {800, 462, 46, 19}},
  };
  for (const auto& [name, rect] : table) {
    QWidget* widget = window.findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(widget, nullptr) << name;
    EXPECT_EQ(widget->geometry(), rect) << name;
  }
  EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("1147"))->text(), QStringLiteral("100"));
  // Every button lies inside the window and no two visible buttons overlap.
  std::vector<QRect> rects;
  for (const auto& row : window.buttonTable().rows()) {
    if (row.button->isHidden()) continue;
    EXPECT_TRUE(window.rect().contains(row.button->geometry())) << row.info->id;
    for (const QRect& other : rects) EXPECT_FALSE(other.intersects(row.button->geometry())) << row.info->id;
    rects.push_back(row.button->geometry());
  }
  EXPECT_EQ(window.videoArea()->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(MainWindowTest, ToolTipsFollowTheLanguageAndTheSwitch) {
  // A language file in the program folder overrides the shipped one: a tip too long is cut to 127.
  const QString longTip(300, QLatin1Char('x'));
  ASSERT_TRUE(test::writeBytes(home_.programFolder() + QStringLiteral("/German1252.ini"),
                               QByteArray("[Quorvanta]\r\nTipCamera=") + longTip.toLatin1() + "\r\n"));
  MainWindow& window = open(Result::Connected);
  EXPECT_EQ(window.button(ids::kCamera)->toolTip(), QStringLiteral("Camera  F2"));
  EXPECT_EQ(window.button(ids::kSnapSwitch)->toolTip(), QStringLiteral("Snapshot Disable"));

  window.dispatchCommand(ids::kLangRussian);
  EXPECT_EQ(window.button(ids::kCamera)->toolTip(), QString::fromUtf8("Снимок  F2"));
  EXPECT_EQ(window.button(ids::kToolLine)->toolTip(), QString::fromUtf8("Измерение отрезка"));
  EXPECT_EQ(AppContext::current().settings().languageId, 25u);
  AppContext::current().store().loadLanguage();
  EXPECT_EQ(AppContext::current().settings().languageId, 25u);
  EXPECT_EQ(AppContext::current().settings().subLanguage, 0u);

  window.dispatchCommand(ids::kLangGerman);
  EXPECT_EQ(window.button(ids::kCamera)->toolTip(), longTip.left(127));

  // The switch's tip follows its latch; latching it stores 0 (key off).
  window.dispatchCommand(ids::kLangEnglish);
  window.dispatchCommand(ids::kSnapSwitch);
  EXPECT_EQ(window.button(ids::kSnapSwitch)->toolTip(), QStringLiteral("Snapshot Enable"));
  AppContext::current().store().loadEnableSnap();
  EXPECT_EQ(AppContext::current().settings().enableSnap, 1u);
  window.dispatchCommand(ids::kSnapSwitch);
  EXPECT_EQ(window.button(ids::kSnapSwitch)->toolTip(), QStringLiteral("Snapshot Disable"));
  AppContext::current().store().loadEnableSnap();
  EXPECT_EQ(AppContext::current().settings().enableSnap, 0u);
}

TEST_F(MainWindowTest, LanguageMenuListsTwelveItemsAndMarksTheStoredOne) {
  AppContext::current().store().saveLanguage(4, 1);
  MainWindow& window = open(Result::Connected);
  window.dispatchCommand(ids::kLanguage);
  QMenu* menu = window.openMenu();
  ASSERT_NE(menu, nullptr);
  const std::vector<int> order{1301, 1302, 1351, 1303, 1304, 1305, 1306, 1313, 1308, 1352, 1353, 1359};
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 12);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(actions[i]->data().toInt(), order[i]);
    EXPECT_EQ(actions[i]->property("current").toBool(), order[i] == 1351) << order[i];
    EXPECT_FALSE(actions[i]->icon().isNull());
  }
  EXPECT_TRUE(menu->styleSheet().contains(QStringLiteral("rgb(236,233,216)")));
  // Choosing an item runs its command.
  actions[0]->trigger();
  QApplication::processEvents();
  EXPECT_EQ(AppContext::current().settings().languageId, 9u);
}

TEST_F(MainWindowTest, HelpUpdateAndAbout) {
  MainWindow& window = open(Result::Connected);
  key(Qt::Key_F1);
  ASSERT_EQ(openedUrls_.size(), 1u);
  EXPECT_TRUE(openedUrls_[0].isLocalFile());
  EXPECT_TRUE(openedUrls_[0].toLocalFile().endsWith(QStringLiteral("Lumivex-EN.html")));
  window.dispatchCommand(ids::kLangSimplified);
  window.dispatchCommand(ids::kHelp);
  ASSERT_EQ(openedUrls_.size(), 2u);
  EXPECT_TRUE(openedUrls_[1].toLocalFile().endsWith(QStringLiteral("Lumivex-CN.html")));
  window.dispatchCommand(ids::kUpdate);
  ASSERT_EQ(openedUrls_.size(), 3u);
  EXPECT_EQ(openedUrls_[2], QUrl(projectDownloadPage()));

  window.dispatchCommand(ids::kHelpMenu);
  QMenu* menu = window.openMenu();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->actions().size(), 3);
  EXPECT_EQ(menu->actions()[2]->data().toInt(), ids::kAbout);

  window.dispatchCommand(ids::kAbout);
  auto* about = window.findChild<QDialog*>(QStringLiteral("100"));
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  EXPECT_FALSE(about->windowTitle().isEmpty());
  about->close();
}

TEST_F(MainWindowTest, CalibratePromptFollowsTheStoredFlag) {
  for (const std::uint32_t flag : {1u, 0u}) {
    SCOPED_TRACE(flag);
    AppContext::current().store().saveCalibratePrompt(flag);
    MainWindow& window = open(Result::Connected);
    QTest::qWait(300);
    QDialog* prompt = window.findChild<QDialog*>(QStringLiteral("430"));
    EXPECT_EQ(prompt != nullptr && prompt->isVisible(), flag == 1);
    window_.reset();
  }
}

TEST_F(MainWindowTest, MagnifierZoomsBetweenOneAndSix) {
  MainWindow& window = open(Result::Connected);
  MagnifierBox* box = window.magnifier();
  EXPECT_EQ(box->zoom(), 3);
  for (int expected : {4, 5, 6, 6}) {
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(box->zoom(), expected);
  }
  for (int expected : {5, 4, 3, 2, 1, 1}) {
    QTest::mouseClick(box, Qt::RightButton);
    EXPECT_EQ(box->zoom(), expected);
  }
}

class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST_F(MainWindowTest, FrameNotificationsFromAnotherThreadCoalesce) {
  MainWindow& window = open(Result::Connected);
  ASSERT_TRUE(capture_->listener);
  QApplication::processEvents();
  PaintCounter counter;
  window.videoArea()->installEventFilter(&counter);
  std::thread producer([this] {
    for (int i = 0; i < 200; ++i) capture_->listener();
  });
  producer.join();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  EXPECT_GE(counter.paints, 1);
  EXPECT_LE(counter.paints, 2);
  // After the window closes no listener remains to call.
  window.close();
  EXPECT_FALSE(capture_->listener);
}

}  // namespace
}  // namespace lumivex
