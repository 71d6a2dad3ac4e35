// The main window's command table: every command's effect, the table's own consistency, and the
// application events reaching their controllers.
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
      {ids::kMicrometerCalibration,
       [](MainWindow& w) { w.controls().magnificationEdit()->setText(QStringLiteral("100")); },
       [](MainWindow& w) {
         EXPECT_NE(w.liveView().micrometer(), nullptr);  // the next drag goes over the graduations
         w.liveView().clearPendingInput();
         EXPECT_EQ(w.liveView().micrometer(), nullptr);
       }},
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

}  // namespace
}  // namespace lumivex
