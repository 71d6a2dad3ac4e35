// The main window on screen: full screen, layout, tool-tips, languages, help, the calibrate prompt,
// the magnifier and frame notifications.
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
