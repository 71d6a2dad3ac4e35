#include "library/player/player_window.h"

#include "core/app_context.h"
#include "library/player/player_ids.h"
#include "library/player/player_video_area.h"
#include "widgets/skin_button.h"

#include "tests/library/fake_playback_graph.h"
#include "tests/support/temp_home.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using State = PlaybackGraph::State;

bool waitUntil(const std::function<bool()>& condition) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > 20000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

class PlayerWindowTest : public ::testing::Test {
 protected:
  // The skin's icons are found through the program's resource folders.
  void SetUp() override { AppContext::initialise(); }
  void TearDown() override {
    window_.reset();
    AppContext::shutdown();
  }
  PlayerWindow& open() {
    window_ =
        std::make_unique<PlayerWindow>(QStringLiteral("/videos/Video_1.avi"), test::FakePlaybackGraph::factory(s_));
    window_->show();
    return *window_;
  }
  void click(int id) {
    SkinButton* button = window_->button(id);
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  int sliderValue() const { return window_->slider()->value(); }

  test::TempHome home_;
  std::shared_ptr<test::FakeGraphScript> s_ = std::make_shared<test::FakeGraphScript>();
  std::unique_ptr<PlayerWindow> window_;
};

TEST_F(PlayerWindowTest, Layout) {
  PlayerWindow& w = open();
  EXPECT_EQ(w.objectName(), QStringLiteral("187"));
  EXPECT_EQ(w.size(), QSize(607, 538));
  EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Lumivex Player"));
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE((w.geometry().center() - screen.center()).manhattanLength(), 2);

  EXPECT_EQ(w.videoArea()->objectName(), QStringLiteral("1290"));
  EXPECT_EQ(w.videoArea()->geometry(), QRect(4, 38, 597, 449));
  EXPECT_EQ(w.slider()->objectName(), QStringLiteral("1288"));
  EXPECT_EQ(w.slider()->minimum(), 0);
  EXPECT_EQ(w.slider()->maximum(), 1000);

  struct Expected {
    int id;
    QPoint at;
    const char* tip;
    bool visible;
  };
  for (const Expected& e : {Expected{1010, {204, 502}, "First", true}, Expected{1011, {236, 502}, "Backward", true},
                            Expected{1286, {250, 502}, "Pause", false}, Expected{1285, {300, 502}, "Play", true},
                            Expected{1284, {268, 502}, "Stop", true}, Expected{1012, {332, 502}, "Forward", true},
                            Expected{1013, {364, 502}, "Last", true}, Expected{1291, {557, 7}, "Close", true}}) {
    SkinButton* b = w.button(e.id);
    ASSERT_NE(b, nullptr) << e.id;
    EXPECT_EQ(b->pos(), e.at) << e.id;
    EXPECT_EQ(b->toolTip(), QString::fromLatin1(e.tip)) << e.id;
    EXPECT_EQ(b->isVisible(), e.visible) << e.id;
    EXPECT_EQ(b->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, b), 100) << e.id;
    EXPECT_FALSE(b->iconFile().isEmpty());
    // The visible buttons do not overlap one another, the video area or the slider.
    if (e.visible) {
      EXPECT_FALSE(b->geometry().intersects(w.videoArea()->geometry())) << e.id;
      EXPECT_FALSE(b->geometry().intersects(w.slider()->geometry())) << e.id;
      EXPECT_TRUE(w.rect().contains(b->geometry())) << e.id;
    }
  }
  EXPECT_NE(w.findChild<QWidget*>(QStringLiteral("1287")), nullptr);
  EXPECT_EQ(w.findChild<QTimer*>(QStringLiteral("100"))->interval(), 100);

  // Background RGB(200,200,200) and a dark title centred at the top.
  const QImage shot = w.grab().toImage();
  if (qEnvironmentVariableIsSet("SHOT")) shot.save(qEnvironmentVariable("SHOT"));
  EXPECT_EQ(shot.pixelColor(60, 520), QColor(200, 200, 200));
  EXPECT_EQ(shot.pixelColor(20, 20), QColor(200, 200, 200));
  int darkLeft = 607, darkRight = -1;
  for (int y = 6; y < 34; ++y) {
    for (int x = 0; x < 540; ++x) {
      if (shot.pixelColor(x, y).value() < 60) {
        darkLeft = std::min(darkLeft, x);
        darkRight = std::max(darkRight, x);
      }
    }
  }
  ASSERT_GT(darkRight, darkLeft);
  EXPECT_NEAR((darkLeft + darkRight) / 2.0, 607 / 2.0, 4.0);
}

TEST_F(PlayerWindowTest, OpensPausedOnTheFirstFrame) {
  PlayerWindow& w = open();
  // Rendering already leaves the graph paused on its first frame.
  EXPECT_EQ(s_->calls, (std::vector<std::string>{"create", "render"}));
  EXPECT_EQ(s_->state, State::Paused);
  EXPECT_EQ(s_->notify, &w);
  EXPECT_EQ(s_->display, w.videoArea());
  EXPECT_FALSE(w.videoArea()->frame().isNull());
  EXPECT_EQ(sliderValue(), 0);
  EXPECT_FALSE(w.positionTimerActive());
}

// Each button from a known place, with the timer stopped (as after opening or Stop): the slider must
// follow every seek at once.
TEST_F(PlayerWindowTest, ButtonsMoveThePositionAndTheSlider) {
  struct Case {
    const char* name;
    double from;
    int button;
    double to;
    int slider;
  };
  const Case cases[] = {
      {"first", 5.0, ids::kPlayerFirst, 0.0, 0},
      {"back", 5.0, ids::kPlayerBack, 3.0, 300},
      {"back below 0", 1.5, ids::kPlayerBack, 0.0, 0},
      {"forward", 3.0, ids::kPlayerForward, 5.0, 500},
      {"forward past the end", 9.0, ids::kPlayerForward, 10.0, 1000},
      {"last", 2.5, ids::kPlayerLast, 10.0, 1000},
      {"stop", 7.0, ids::kPlayerStop, 0.0, 0},
  };
  for (const Case& c : cases) {
    s_ = std::make_shared<test::FakeGraphScript>();
    open();
    s_->position = c.from;
    click(c.button);
    EXPECT_DOUBLE_EQ(s_->position, c.to) << c.name;
    EXPECT_EQ(sliderValue(), c.slider) << c.name;
    EXPECT_FALSE(window_->positionTimerActive()) << c.name;
  }
}

TEST_F(PlayerWindowTest, PlayPauseStopAndTheTimer) {
  PlayerWindow& w = open();
  click(ids::kPlayerPlay);
  EXPECT_EQ(s_->state, State::Running);
  EXPECT_TRUE(w.positionTimerActive());
  // The timer carries the position to the slider while playing.
  s_->position = 4.2;
  EXPECT_TRUE(waitUntil([&] { return sliderValue() == 420; }));
  click(ids::kPlayerPlay);
  EXPECT_EQ(s_->count("run"), 1);

  // Pause is hidden, but its command still works.
  w.button(ids::kPlayerPause)->click();
  EXPECT_EQ(s_->state, State::Paused);
  EXPECT_TRUE(w.positionTimerActive());

  click(ids::kPlayerStop);
  EXPECT_EQ(s_->state, State::Stopped);
  EXPECT_DOUBLE_EQ(s_->position, 0.0);
  EXPECT_FALSE(w.positionTimerActive());
  EXPECT_EQ(sliderValue(), 0);
  click(ids::kPlayerStop);
  EXPECT_EQ(s_->count("stop"), 1);
}

TEST_F(PlayerWindowTest, GraphEvents) {
  PlayerWindow& w = open();
  click(ids::kPlayerPlay);
  s_->position = 10.0;
  s_->raise(PlaybackEvent::Complete);
  ASSERT_TRUE(waitUntil([&] { return s_->state == State::Paused; }));
  EXPECT_DOUBLE_EQ(s_->position, 0.0);
  EXPECT_EQ(sliderValue(), 0);
  EXPECT_TRUE(w.positionTimerActive());

  click(ids::kPlayerPlay);
  s_->position = 6.0;
  s_->raise(PlaybackEvent::Abort);
  ASSERT_TRUE(waitUntil([&] { return s_->state == State::Stopped; }));
  EXPECT_DOUBLE_EQ(s_->position, 0.0);
  EXPECT_FALSE(w.positionTimerActive());
}

// A zero-frame or broken file has no usable duration: nothing divides by it.
TEST_F(PlayerWindowTest, NoSliderWorkWithoutAPositiveDuration) {
  for (const std::optional<double> duration : {std::optional<double>(0.0), std::optional<double>()}) {
    s_ = std::make_shared<test::FakeGraphScript>();
    s_->duration = duration;
    PlayerWindow& w = open();
    click(ids::kPlayerPlay);
    s_->position = 1.0;
    w.slider()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(s_->count("seek 0.500000"), 0);
    click(ids::kPlayerLast);
    EXPECT_DOUBLE_EQ(s_->position, 1.0);
    click(ids::kPlayerForward);
    EXPECT_DOUBLE_EQ(s_->position, 3.0);
    // Ticks of the running position timer leave the slider alone.
    int ticks = 0;
    QObject::connect(w.findChild<QTimer*>(QStringLiteral("100")), &QTimer::timeout, &w, [&] { ++ticks; });
    EXPECT_TRUE(waitUntil([&] { return ticks >= 2; }));
    EXPECT_EQ(sliderValue(), 50);
  }
}

TEST_F(PlayerWindowTest, WithoutAGraphTheButtonsDoNothing) {
  struct Case {
    const char* name;
    bool create;
    bool render;
    std::vector<std::string> calls;
  };
  for (const Case& c : {Case{"cannot create", false, true, {"create"}},
                        Case{"cannot render", true, false, {"create", "render", "destroy"}}}) {
    s_ = std::make_shared<test::FakeGraphScript>();
    s_->createSucceeds = c.create;
    s_->renderSucceeds = c.render;
    PlayerWindow& w = open();
    EXPECT_EQ(w.graph(), nullptr) << c.name;
    for (const int id : {ids::kPlayerPlay, ids::kPlayerStop, ids::kPlayerFirst, ids::kPlayerBack, ids::kPlayerForward,
                         ids::kPlayerLast}) {
      click(id);
    }
    w.button(ids::kPlayerPause)->click();
    w.slider()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(s_->calls, c.calls) << c.name;
    EXPECT_FALSE(w.positionTimerActive()) << c.name;
    EXPECT_TRUE(w.videoArea()->frame().isNull()) << c.name;
  }
  // No factory at all: the same empty window.
  window_ = std::make_unique<PlayerWindow>(QStringLiteral("x.avi"), PlaybackGraphFactory{});
  QTest::mouseClick(window_->button(ids::kPlayerPlay), Qt::LeftButton);
  EXPECT_FALSE(window_->positionTimerActive());
}

TEST_F(PlayerWindowTest, ReopenLoadsTheFileAgain) {
  PlayerWindow& w = open();
  click(ids::kPlayerPlay);
  w.findChild<QAbstractButton*>(QStringLiteral("1287"))->click();
  EXPECT_EQ(s_->graphsMade, 2);
  EXPECT_EQ(s_->count("destroy"), 1);
  EXPECT_EQ(s_->state, State::Paused);
  EXPECT_FALSE(w.positionTimerActive());
}

TEST_F(PlayerWindowTest, EscapeAndEnterAreSwallowed) {
  PlayerWindow& w = open();
  QSignalSpy finished(&w, &QDialog::finished);
  for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
    QTest::keyClick(&w, key);
    QTest::keyClick(w.slider(), key);
  }
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(finished.count(), 0);
}

// However the window ends, it ends once, says so, and lets the file go.
TEST_F(PlayerWindowTest, EveryWayOfClosingReleasesTheGraph) {
  struct Case {
    const char* name;
    std::function<void(PlayerWindow&)> close;
  };
  const Case cases[] = {
      {"close button", [](PlayerWindow& w) { QTest::mouseClick(w.button(ids::kPlayerClose), Qt::LeftButton); }},
      {"window manager", [](PlayerWindow& w) { w.close(); }},
      {"reject", [](PlayerWindow& w) { w.reject(); }},
  };
  for (const Case& c : cases) {
    s_ = std::make_shared<test::FakeGraphScript>();
    PlayerWindow& w = open();
    click(ids::kPlayerPlay);
    QSignalSpy finished(&w, &QDialog::finished);
    c.close(w);
    EXPECT_EQ(finished.count(), 1) << c.name;
    EXPECT_FALSE(w.isVisible()) << c.name;
    EXPECT_EQ(w.graph(), nullptr) << c.name;
    EXPECT_EQ(s_->count("destroy"), 1) << c.name;
    EXPECT_FALSE(w.positionTimerActive()) << c.name;
  }
}

TEST_F(PlayerWindowTest, DraggedByItsTopBand) {
  PlayerWindow& w = open();
  const QPoint start = w.pos();
  QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
  QMouseEvent move(QEvent::MouseMove, QPointF(140, 30), w.mapToGlobal(QPointF(140, 30)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&w, &move);
  QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, QPoint(140, 30));
  EXPECT_EQ(w.pos(), start + QPoint(40, 20));

  // Beside the band nothing moves.
  const QPoint here = w.pos();
  QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(530, 10));
  QMouseEvent away(QEvent::MouseMove, QPointF(560, 40), w.mapToGlobal(QPointF(560, 40)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&w, &away);
  QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, QPoint(560, 40));
  EXPECT_EQ(w.pos(), here);
}

}  // namespace
}  // namespace lumivex
