#include "app/main_window.h"

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
    AppContext::current().store().saveCalibratePrompt(false);
    AppContext::current().store().saveLanguage({PrimaryLanguage::English});
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
    StartOptions options;
    recorder_ = std::make_shared<FakeRecorder>();
    options.recorder = recorder_;
    window_ = std::make_unique<MainWindow>(AppContext::current(), options, std::move(capture));
    window_->menus().setUrlOpener([this](const QUrl& url) {
      openedUrls_.push_back(url);
      return true;
    });
    // The text dialog is modal; tests that need it answer it themselves.
    realAskText_ = window_->liveTools().hooks().askText;
    window_->liveTools().hooks().askText = [](QWidget*) -> std::optional<QString> { return std::nullopt; };
    // So are the live view's dialogs (comparison tools, calibration): cancelled unless a test answers.
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

  std::function<std::optional<QString>(QWidget*)> realAskText_;

  void key(int qtKey, QWidget* target = nullptr) {
    QTest::keyClick(target ? target : window_->controls().videoArea(), static_cast<Qt::Key>(qtKey));
  }

  test::TempHome home_;
  std::unique_ptr<Prompter> previousPrompter_;
  ScriptedPrompter* prompts_ = nullptr;
  test::FakeCaptureService* capture_ = nullptr;
  std::shared_ptr<FakeRecorder> recorder_;
  std::unique_ptr<MainWindow> window_;
  std::vector<QUrl> openedUrls_;
};

// One command's observable effect: prepare the window, run the command, check what it changed.
struct CommandEffect {
  int id;
  std::function<void(MainWindow&)> before;
  std::function<void(MainWindow&)> check;
};

// Every button, popup-menu item and key of the command table does what it is for.
TEST_F(MainWindowTest, EveryCommandHasItsEffect) {
  int largeBefore = 0;  // the AVI button's stop puts the large preset back too
  MainWindow& window = open(Result::Connected);
  MainControls& controls = window.controls();
  LiveToolsController& live = window.liveTools();
  int asked = 0, undos = 0, redos = 0, scales = 0, circles = 0, gauges = 0, tolerances = 0, deletions = 0;
  int pointLists = 0;
  live.hooks().askText = [&](QWidget*) -> std::optional<QString> {
    ++asked;
    return std::nullopt;
  };
  live.hooks().undo = [&] { ++undos; };
  live.hooks().redo = [&] { ++redos; };
  live.hooks().toggleScale = [&] { ++scales; };
  live.hooks().toggleCircles = [&] { ++circles; };
  live.hooks().openAngleGauge = [&](QWidget*) { ++gauges; };
  live.hooks().openToleranceCircle = [&](QWidget*) { ++tolerances; };
  live.hooks().deleteAll = [&] { ++deletions; };
  live.hooks().clearPendingPoints = [&] { ++pointLists; };
  // Live records keep the tool code as their kind: 1 a line, 16 a text (no row).
  MeasureShape liveLine;
  liveLine.kind = static_cast<ShapeKind>(1);
  liveLine.labels = {QStringLiteral("L:2.963mm")};
  MeasureShape liveText;
  liveText.kind = static_cast<ShapeKind>(16);
  liveText.labels = {QStringLiteral("note")};

  const auto lastMessage = [this] {
    const auto texts = prompts_->messageTexts();
    return texts.empty() ? QString() : texts.back();
  };
  const auto expectMessage = [&](const char* text) {
    return [&, text](MainWindow&) {
      EXPECT_EQ(lastMessage(), QString::fromUtf8(text));
      prompts_->clearRecords();
    };
  };
  const auto expectTool = [&](LiveTool tool) { return [&, tool](MainWindow&) { EXPECT_EQ(live.activeTool(), tool); }; };
  const auto expectMenu = [&](const char* name) {
    return [&, name](MainWindow&) {
      QMenu* menu = window.menus().openMenu();
      ASSERT_NE(menu, nullptr);
      EXPECT_EQ(menu->objectName(), QString::fromLatin1(name));
      menu->close();
    };
  };
  const auto expectDialog = [](const char* name) {
    return [name](MainWindow& w) {
      auto* dialog = w.findChild<QDialog*>(QString::fromLatin1(name));
      ASSERT_NE(dialog, nullptr);
      EXPECT_TRUE(dialog->isVisible());
      dialog->reject();
      QApplication::processEvents();
    };
  };
  const auto expectCount = [](const int& counter, int expected) {
    return [&counter, expected](MainWindow&) { EXPECT_EQ(counter, expected); };
  };
  const auto expectLanguage = [](std::uint32_t primary, std::uint32_t sub) {
    return [primary, sub](MainWindow&) {
      // The stored numbers, written out: the typed values must keep them.
      EXPECT_EQ(static_cast<std::uint32_t>(AppContext::current().settings().languageId), primary);
      EXPECT_EQ(static_cast<std::uint32_t>(AppContext::current().settings().subLanguage), sub);
    };
  };
  const auto noSelection = expectMessage("Please select one image or video");

  const std::vector<CommandEffect> table{
      {1014,
       {},
       [&](MainWindow& w) {
         EXPECT_FALSE(controls.isPreviewing());
         EXPECT_FALSE(capture_->running);
         w.dispatchCommand(1014);
         EXPECT_TRUE(controls.isPreviewing());
         EXPECT_TRUE(capture_->running);
       }},
      {1005,
       {},
       [&](MainWindow&) {
         EXPECT_EQ(capture_->stills, 1);
         EXPECT_EQ(capture_->lastStillKind, StillKind::Command);
       }},
      {1006, [](MainWindow& w) { w.dispatchCommand(ids::kAccelRecordNow); },
       [&](MainWindow& w) {
         EXPECT_FALSE(w.recording().isRecording());
         EXPECT_FALSE(controls.latchButton(ids::kRecord)->isLatched());
       }},
      {1007, [](MainWindow& w) { w.dispatchCommand(1014); },
       [&](MainWindow& w) {
         // The Camera command's key "BrowseToCamera"; its English text comes from the language file.
         EXPECT_EQ(lastMessage(), QStringLiteral("Please return to the preview state"));
         prompts_->clearRecords();
         w.dispatchCommand(1014);
       }},
      {1016,
       {},
       [](MainWindow& w) {
         QDialog* dialog = w.camera().videoSettingsDialog();
         ASSERT_NE(dialog, nullptr);
         EXPECT_TRUE(dialog->isVisible());
         EXPECT_EQ(dialog->parent(), &w);
         dialog->reject();
       }},
      {1293, {}, expectMenu("menu-1293")},
      {1179, {}, expectTool(LiveTool::Line)},
      {1180, {}, expectTool(LiveTool::DotLine)},
      {1181, {}, expectTool(LiveTool::ParallelLine)},
      {1182, {}, expectTool(LiveTool::ContinuousLine)},
      {1183, {}, expectTool(LiveTool::Rectangle)},
      {1184, {}, expectTool(LiveTool::Polygon)},
      {1185, {}, expectTool(LiveTool::Ellipse)},
      {1186, {}, expectTool(LiveTool::RadiusCircle)},
      {1187, {}, expectTool(LiveTool::DiameterCircle)},
      {1188, {}, expectTool(LiveTool::ThreePointCircle)},
      {1189, {}, expectTool(LiveTool::TwoCircles)},
      {1190, {}, expectTool(LiveTool::Angle)},
      {1191, {}, expectTool(LiveTool::FourPointAngle)},
      {1192, {}, expectTool(LiveTool::CircleLabel)},
      {1193, {}, expectTool(LiveTool::SquareLabel)},
      {1194,
       {},
       [&](MainWindow&) {
         // The text dialog was asked and cancelled: no tool.
         EXPECT_EQ(asked, 1);
         EXPECT_EQ(live.activeTool(), LiveTool::None);
       }},
      {1205, {}, expectTool(LiveTool::Arc)},
      {1212, {}, expectTool(LiveTool::Ruler)},
      {1141,
       {},
       [&](MainWindow&) {
         EXPECT_EQ(live.activeTool(), LiveTool::AngleGauge);
         EXPECT_EQ(gauges, 1);
       }},
      {1139,
       {},
       [&](MainWindow&) {
         EXPECT_EQ(live.activeTool(), LiveTool::ToleranceCircle);
         EXPECT_EQ(tolerances, 1);
       }},
      {1206, {}, expectTool(LiveTool::AutoCircle)},
      {1349, {}, expectTool(LiveTool::AutoLineLength2)},
      {1207, {}, expectTool(LiveTool::AutoArc)},
      {1357, {}, expectTool(LiveTool::AutoLineSpacing)},
      {1356,
       {},
       [&](MainWindow&) {
         EXPECT_EQ(live.activeTool(), LiveTool::AutoAngle);
         // The four-point angle, the arc and each of the five automatic tools emptied the point list.
         EXPECT_EQ(pointLists, 7);
       }},
      {1195, {}, expectCount(undos, 1)},
      {1196, {}, expectCount(redos, 1)},
      {409,
       {},
       [&](MainWindow&) {
         EXPECT_EQ(deletions, 1);
         EXPECT_EQ(live.activeTool(), LiveTool::None);
       }},
      {1197,
       {},
       [&](MainWindow&) {
         EXPECT_EQ(live.activeTool(), LiveTool::ParallelLine);
         EXPECT_TRUE(live.lineCalibrationMode());
       }},
      {1273,
       {},
       [&](MainWindow&) {
         EXPECT_EQ(live.activeTool(), LiveTool::None);
         EXPECT_FALSE(live.lineCalibrationMode());
       }},
      {1198, {}, expectDialog("243")},
      {1175,
       {},
       [](MainWindow& w) {
         QApplication::processEvents();
         EXPECT_TRUE(w.windowState() & Qt::WindowMinimized);
         w.showNormal();
       }},
      {1176,
       {},
       [](MainWindow& w) {
         EXPECT_TRUE(w.screen().isFullScreen());
         w.screen().leave();
       }},
      {1199, {}, expectMenu("menu-1199")},
      {1202,
       {},
       [&](MainWindow&) {
         EXPECT_EQ(controls.strip()->shownFolder(), ThumbnailStrip::Folder::Videos);
         EXPECT_TRUE(controls.latchButton(1202)->isLatched());
         EXPECT_FALSE(controls.latchButton(1201)->isLatched());
       }},
      {1201,
       {},
       [&](MainWindow&) {
         EXPECT_EQ(controls.strip()->shownFolder(), ThumbnailStrip::Folder::Pictures);
         EXPECT_TRUE(controls.latchButton(1201)->isLatched());
         EXPECT_FALSE(controls.latchButton(1202)->isLatched());
       }},
      {1204,
       {},
       [&](MainWindow& w) {
         EXPECT_FALSE(controls.latchButton(1204)->isLatched());
         w.dispatchCommand(1204);
         EXPECT_TRUE(controls.latchButton(1204)->isLatched());
       }},
      {1234, {}, noSelection},
      {1235, {}, noSelection},
      {1300, {}, noSelection},
      {1236, {}, noSelection},
      {410, {}, noSelection},
      {1274, {}, noSelection},
      {1239,
       {},
       [&](MainWindow&) {
         ASSERT_EQ(openedUrls_.size(), 1u);
         EXPECT_TRUE(openedUrls_.back().toLocalFile().endsWith(QStringLiteral("Lumivex-EN.html")));
       }},
      {379, {}, [&](MainWindow&) { EXPECT_EQ(openedUrls_.back(), QUrl(projectDownloadPage())); }},
      {1241, {}, expectDialog("100")},
      {16, {}, expectDialog("100")},
      {1243, {}, [&](MainWindow&) { EXPECT_TRUE(capture_->crosshairOn); }},
      {395, {}, [&](MainWindow&) { EXPECT_TRUE(capture_->timeStampOn); }},
      {1244, {}, expectCount(scales, 1)},
      {1245, {}, expectCount(circles, 1)},
      {1314, {}, [](MainWindow&) { EXPECT_EQ(AppContext::current().settings().imageFormat, ImageFormat::Bmp); }},
      {1315, {}, [](MainWindow&) { EXPECT_EQ(AppContext::current().settings().imageFormat, ImageFormat::Jpeg); }},
      {1302, {}, expectLanguage(4, 2)},
      {1351, {}, expectLanguage(4, 1)},
      {1303, {}, expectLanguage(17, 0)},
      {1304, {}, expectLanguage(18, 0)},
      {1305, {}, expectLanguage(7, 0)},
      {1306, {}, expectLanguage(22, 0)},
      {1313, {}, expectLanguage(31, 0)},
      {1308, {}, expectLanguage(30, 0)},
      {1352, {}, expectLanguage(25, 0)},
      {1353, {}, expectLanguage(2, 0)},
      {1359, {}, expectLanguage(58, 0)},
      {1301, {}, expectLanguage(9, 0)},
      {ids::kAccelStopRecording, [](MainWindow& w) { w.dispatchCommand(ids::kAccelRecordNow); },
       [](MainWindow& w) { EXPECT_FALSE(w.recording().isRecording()); }},
      {ids::kAccelRecordNow,
       {},
       [&](MainWindow& w) {
         EXPECT_TRUE(w.recording().isRecording());
         w.dispatchCommand(ids::kAccelStopRecording);
       }},
      {ids::kAccelSizeSmall, {}, [&](MainWindow&) { EXPECT_EQ(capture_->sizePresets[0], 1); }},
      {ids::kAccelSizeMedium, {}, [&](MainWindow&) { EXPECT_EQ(capture_->sizePresets[1], 1); }},
      {ids::kAccelSizeLarge, [&](MainWindow&) { largeBefore = capture_->sizePresets[2]; },
       [&](MainWindow&) { EXPECT_EQ(capture_->sizePresets[2], largeBefore + 1); }},
      // The spreadsheet export of the live list: its dialog, one row per live shape, the cursor back.
      {1009,
       [&](MainWindow&) {
         prompts_->push(std::optional<FileAnswer>{FileAnswer{home_.path() + "/live", "xlsx Files(*.xlsx)"}});
         live.hooks().liveShapes = [&] { return std::vector<const MeasureShape*>{&liveLine, &liveText}; };
       },
       [&](MainWindow& w) {
         Workbook book;
         ASSERT_EQ(loadWorkbook(home_.path() + "/live.xlsx", &book, nullptr), WorkbookLoad::Loaded);
         ASSERT_TRUE(book.find("ExportData"));
         ASSERT_EQ(book.find("ExportData")->rows.size(), 2u);
         EXPECT_EQ(book.find("ExportData")->rows[0].back().text, QStringLiteral("Arc-length"));
         EXPECT_EQ(book.find("ExportData")->rows[1][1].text, QStringLiteral("L:2.963mm"));
         EXPECT_NE(w.screen().cursorMode(), ScreenController::CursorMode::Busy);
         EXPECT_TRUE(prompts_->messageTexts().empty());
       }},
      {1177,
       {},
       [](MainWindow& w) {
         QApplication::processEvents();
         EXPECT_FALSE(w.isVisible());
         EXPECT_FALSE(w.dispatchCommand(1005));  // nothing runs after close
       }},
  };
  // Routed to the later parts of the program, which carry them out; bound so the buttons reach them.
  const std::set<int> notYetCarriedOut{1008, 1326};

  std::set<int> covered(notYetCarriedOut);
  for (const CommandEffect& row : table) {
    SCOPED_TRACE(row.id);
    covered.insert(row.id);
    if (row.before) row.before(window);
    ASSERT_TRUE(window.dispatchCommand(row.id));
    row.check(window);
  }
  // The table covers every command the window binds, and every command of the command table is bound.
  std::set<int> bound;
  for (CommandId command : window.commands().boundCommands()) bound.insert(controlId(command));
  EXPECT_EQ(bound, covered);
  for (const CommandEntry& desc : commandEntries()) EXPECT_TRUE(bound.count(controlId(desc.id))) << controlId(desc.id);
  for (const ButtonDef& info : kButtonSpecs) EXPECT_TRUE(bound.count(info.id)) << info.id;
  EXPECT_FALSE(window.dispatchCommand(4242));
}

// The Excel button asks for a file with the live view's two filters; Cancel writes nothing.
TEST_F(MainWindowTest, ExcelButtonOpensTheLiveSaveDialog) {
  MainWindow& window = open(Result::Connected);
  QWidget* button = window.findChild<QWidget*>(QStringLiteral("1009"));
  ASSERT_TRUE(button);
  QTest::mouseClick(button, Qt::LeftButton);
  ASSERT_EQ(prompts_->fileRequests().size(), 1u);
  EXPECT_EQ(prompts_->fileRequests()[0].filters, (QStringList{"xls Files(*.xls)", "xlsx Files(*.xlsx)"}));
  EXPECT_FALSE(prompts_->fileRequests()[0].folder.isEmpty());
  EXPECT_NE(prompts_->fileRequests()[0].folder, QStringLiteral("/"));
  EXPECT_NE(window.screen().cursorMode(), ScreenController::CursorMode::Busy);
}

TEST_F(MainWindowTest, CommandTableIsConsistent) {
  std::set<int> ids;
  std::set<int> keys;
  for (const CommandEntry& desc : commandEntries()) {
    SCOPED_TRACE(controlId(desc.id));
    EXPECT_TRUE(ids.insert(controlId(desc.id)).second) << "twice in the table";
    if (desc.shortcut != 0) {
      EXPECT_TRUE(keys.insert(desc.shortcut).second) << "shortcut taken twice";
    }
    EXPECT_FALSE(commandText(desc.id).isEmpty());
    EXPECT_EQ(commandOf(controlId(desc.id)), desc.id);
  }
  EXPECT_EQ(commandForKey(Qt::Key_F2), CommandId::Camera);
  EXPECT_EQ(commandForKey(Qt::Key_F1), CommandId::Help);
  EXPECT_FALSE(commandForKey(Qt::Key_F5));
  EXPECT_FALSE(commandOf(4242));
  // Every button has its command with an icon; only Close works without a camera, the ellipse never.
  for (const ButtonDef& info : kButtonSpecs) {
    const CommandEntry* desc = commandEntry(static_cast<CommandId>(info.id));
    ASSERT_NE(desc, nullptr) << info.id;
    EXPECT_NE(desc->iconFile, nullptr) << info.id;
    const EnabledWhen expected = info.id == ids::kClose         ? EnabledWhen::Always
                                 : info.id == ids::kToolEllipse ? EnabledWhen::Never
                                                                : EnabledWhen::Connected;
    EXPECT_EQ(desc->enabledWhen, expected) << info.id;
  }
}

TEST_F(MainWindowTest, ApplicationEventsReachTheirControllers) {
  MainWindow& window = open(Result::Connected);
  int calibrations = 0;
  window.liveTools().hooks().liveCalibrationDone = [&] { ++calibrations; };

  // A still: the buffered frame becomes a picture in the strip.
  capture_->frameDib = test::dibOf(64, 48);
  const int before = window.controls().strip()->pictures().count();
  postAppEvent<StillReadyEvent>(&window, StillKind::Command);
  QApplication::processEvents();
  EXPECT_EQ(window.controls().strip()->pictures().count(), before + 1);
  EXPECT_EQ(capture_->restarts, 0);
  // The camera's own key restarts the graph after saving.
  postAppEvent<StillReadyEvent>(&window, StillKind::SnapshotKey);
  QApplication::processEvents();
  EXPECT_EQ(window.controls().strip()->pictures().count(), before + 2);
  EXPECT_EQ(capture_->restarts, 1);

  postAppEvent<GraphEvent>(&window);
  QApplication::processEvents();
  EXPECT_EQ(capture_->graphEvents, 1);

  postAppEvent<LiveCalibrationDoneEvent>(&window);
  QApplication::processEvents();
  EXPECT_EQ(calibrations, 1);

  postAppEvent<CalibratePromptEvent>(&window);
  QApplication::processEvents();
  auto* prompt = window.findChild<QDialog*>(QStringLiteral("430"));
  ASSERT_NE(prompt, nullptr);
  EXPECT_TRUE(prompt->isVisible());
  prompt->reject();

  // The workspace's calibration lands in the two edits.
  postAppEvent<WorkspaceCalibrationEvent>(&window, QStringLiteral("200"), 12.345);
  QApplication::processEvents();
  EXPECT_EQ(window.controls().magnificationEdit()->text(), QStringLiteral("200"));
  EXPECT_EQ(window.controls().calibrationEdit()->text(), QStringLiteral("12.3"));
}

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

TEST_F(MainWindowTest, FullScreenFactors) {
  struct Case {
    QSize screen, capture;
    double x, y;
  };
  for (const Case& c :
       {Case{{1920, 1080}, {640, 480}, 3.0, 2.25}, Case{{1920, 1080}, {1280, 1024}, 3.0, 2.109375},
        Case{{1920, 1080}, {1600, 1200}, 3.0, 2.25}, Case{{1280, 1024}, {1280, 960}, 2.0, 1024 / 480.0}}) {
    const QPointF f = ScreenController::fullScreenFactors(c.screen, c.capture);
    EXPECT_DOUBLE_EQ(f.x(), c.x);
    EXPECT_DOUBLE_EQ(f.y(), c.y);
  }
}

TEST_F(MainWindowTest, FullScreenAndRestore) {
  MainWindow& window = open(Result::Connected);
  const QRect normal = window.geometry();
  captureState().width = 1280;
  captureState().height = 1024;
  window.screen().enter(QRect(0, 0, 1920, 1080));
  EXPECT_TRUE(window.screen().isFullScreen());
  EXPECT_DOUBLE_EQ(window.screen().scaleX(), 3.0);
  EXPECT_DOUBLE_EQ(window.screen().scaleY(), 2.109375);
  EXPECT_EQ(window.controls().videoArea()->geometry(), QRect(0, 0, 1920, 1080));
  EXPECT_EQ(window.controls().videoArea()->hint(), QStringLiteral("ESC Restore"));
  EXPECT_TRUE(capture_->fullScreen);
  for (QWidget* child : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (child->isWindow()) continue;
    EXPECT_EQ(child->isVisible(), child == window.controls().videoArea()) << child->objectName().toStdString();
  }
  for (const auto& row : window.controls().buttons().rows()) EXPECT_TRUE(row.button->toolTip().isEmpty());

  key(Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_FALSE(window.screen().isFullScreen());
  EXPECT_EQ(window.geometry(), normal);
  EXPECT_EQ(window.controls().videoArea()->geometry(), QRect(98, 49, 640, 480));
  EXPECT_DOUBLE_EQ(window.screen().scaleX(), 1.0);
  EXPECT_DOUBLE_EQ(window.screen().scaleY(), 1.0);
  EXPECT_TRUE(window.controls().videoArea()->hint().isEmpty());
  EXPECT_FALSE(capture_->fullScreen);
  const std::set<QString> stayHidden{"1014", "1185", "1193", "1147"};
  for (QWidget* child : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (child->isWindow()) continue;
    EXPECT_EQ(child->isVisible(), !stayHidden.count(child->objectName())) << child->objectName().toStdString();
  }
  EXPECT_EQ(window.controls().button(ids::kCamera)->toolTip(), QStringLiteral("Camera  F2"));
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
  for (const auto& row : window.controls().buttons().rows()) {
    if (row.button->isHidden()) continue;
    EXPECT_TRUE(window.rect().contains(row.button->geometry())) << row.info->id;
    for (const QRect& other : rects) EXPECT_FALSE(other.intersects(row.button->geometry())) << row.info->id;
    rects.push_back(row.button->geometry());
  }
  EXPECT_EQ(window.controls().videoArea()->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(MainWindowTest, ToolTipsFollowTheLanguageAndTheSwitch) {
  // A language file in the program folder overrides the shipped one: a tip too long is cut to 127.
  const QString longTip(300, QLatin1Char('x'));
  ASSERT_TRUE(test::writeBytes(home_.programFolder() + QStringLiteral("/German1252.ini"),
                               QByteArray("[Quorvanta]\r\nTipCamera=") + longTip.toLatin1() + "\r\n"));
  MainWindow& window = open(Result::Connected);
  EXPECT_EQ(window.controls().button(ids::kCamera)->toolTip(), QStringLiteral("Camera  F2"));
  EXPECT_EQ(window.controls().button(ids::kSnapSwitch)->toolTip(), QStringLiteral("Snapshot Disable"));

  window.dispatchCommand(ids::kLangRussian);
  EXPECT_EQ(window.controls().button(ids::kCamera)->toolTip(), QString::fromUtf8("Снимок  F2"));
  EXPECT_EQ(window.controls().button(ids::kToolLine)->toolTip(), QString::fromUtf8("Измерение отрезка"));
  EXPECT_EQ(AppContext::current().settings().languageId, PrimaryLanguage::Russian);
  AppContext::current().store().loadLanguage();
  EXPECT_EQ(AppContext::current().settings().languageId, PrimaryLanguage::Russian);
  EXPECT_EQ(AppContext::current().settings().subLanguage, SubLanguage::Neutral);

  window.dispatchCommand(ids::kLangGerman);
  EXPECT_EQ(window.controls().button(ids::kCamera)->toolTip(), longTip.left(127));

  // The switch's tip follows its latch; latching it stores 0 (key off).
  window.dispatchCommand(ids::kLangEnglish);
  window.dispatchCommand(ids::kSnapSwitch);
  EXPECT_EQ(window.controls().button(ids::kSnapSwitch)->toolTip(), QStringLiteral("Snapshot Enable"));
  AppContext::current().store().loadEnableSnap();
  EXPECT_TRUE(AppContext::current().settings().enableSnap);
  window.dispatchCommand(ids::kSnapSwitch);
  EXPECT_EQ(window.controls().button(ids::kSnapSwitch)->toolTip(), QStringLiteral("Snapshot Disable"));
  AppContext::current().store().loadEnableSnap();
  EXPECT_FALSE(AppContext::current().settings().enableSnap);
}

TEST_F(MainWindowTest, TheScaleLabelShowsItsWholeTextInEveryLanguage) {
  MainWindow& window = open(Result::Connected);
  auto* label = window.findChild<QLabel*>(QString::number(ids::kScaleLabel));
  ASSERT_NE(label, nullptr);
  for (const int command : {1301, 1302, 1351, 1303, 1304, 1305, 1306, 1313, 1308, 1352, 1353, 1359}) {
    window.dispatchCommand(command);
    ASSERT_FALSE(label->text().isEmpty()) << command;
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width())
        << command << " " << label->text().toStdString();
  }
}

TEST_F(MainWindowTest, LanguageMenuListsTwelveItemsAndMarksTheStoredOne) {
  AppContext::current().store().saveLanguage({PrimaryLanguage::Chinese, SubLanguage::Traditional});
  MainWindow& window = open(Result::Connected);
  window.dispatchCommand(ids::kLanguage);
  QMenu* menu = window.menus().openMenu();
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
  EXPECT_EQ(AppContext::current().settings().languageId, PrimaryLanguage::English);
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
  QMenu* menu = window.menus().openMenu();
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
  for (const bool flag : {true, false}) {
    SCOPED_TRACE(flag);
    AppContext::current().store().saveCalibratePrompt(flag);
    MainWindow& window = open(Result::Connected);
    // The prompt is asked for by an event posted while the window opens: once the events posted so far
    // have run, it is there or it never will be.
    const auto shown = [&window] {
      QDialog* prompt = window.findChild<QDialog*>(QStringLiteral("430"));
      return prompt != nullptr && prompt->isVisible();
    };
    if (flag) {
      EXPECT_TRUE(test::waitUntil(shown));
    }
    QCoreApplication::sendPostedEvents();
    QApplication::processEvents();
    EXPECT_EQ(shown(), flag);
    window_.reset();
  }
}

TEST_F(MainWindowTest, MagnifierZoomsBetweenOneAndSix) {
  MainWindow& window = open(Result::Connected);
  MagnifierBox* box = window.controls().magnifier();
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
  window.controls().videoArea()->installEventFilter(&counter);
  std::thread producer([this] {
    for (int i = 0; i < 200; ++i) capture_->listener();
  });
  producer.join();
  EXPECT_TRUE(test::waitUntil([&counter] { return counter.paints >= 1; }));
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  EXPECT_LE(counter.paints, 2);
  // After the window closes no listener remains to call.
  window.close();
  EXPECT_FALSE(capture_->listener);
}

}  // namespace
}  // namespace lumivex
