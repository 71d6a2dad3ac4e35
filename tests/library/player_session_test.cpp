#include "library/player/player_session.h"

#include "core/app_context.h"
#include "library/player/player_ids.h"
#include "library/player/player_window.h"
#include "widgets/skin_button.h"

#include "tests/library/fake_playback_graph.h"
#include "tests/support/temp_home.h"

#include <QElapsedTimer>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

class PlayerSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppContext::initialise();
    owner_.show();
  }
  void TearDown() override {
    session_.reset();
    AppContext::shutdown();
  }
  PlayerSession& session() {
    session_ = std::make_unique<PlayerSession>(
        &owner_, test::FakePlaybackGraph::factory(graph_),
        PlayerSession::Hooks{[this] { log_ += "open "; }, [this] { log_ += "close "; }});
    return *session_;
  }
  // Deferred deletes have run once the player is gone.
  static bool gone(const QPointer<PlayerWindow>& window) {
    QElapsedTimer timer;
    timer.start();
    while (window) {
      if (timer.elapsed() > 20000) return false;
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
  }

  test::TempHome home_;
  QWidget owner_;
  std::shared_ptr<test::FakeGraphScript> graph_ = std::make_shared<test::FakeGraphScript>();
  std::unique_ptr<PlayerSession> session_;
  std::string log_;
};

// However the player ends, the owner hears of it once, after it heard of the opening.
TEST_F(PlayerSessionTest, EveryEndIsReportedOnce) {
  struct Case {
    const char* name;
    std::function<void(PlayerWindow&)> end;
  };
  const Case cases[] = {
      {"close button", [](PlayerWindow& w) { QTest::mouseClick(w.button(ids::kPlayerClose), Qt::LeftButton); }},
      {"window manager", [](PlayerWindow& w) { w.close(); }},
      {"deleted", [](PlayerWindow& w) { delete &w; }},
  };
  for (const Case& c : cases) {
    log_.clear();
    PlayerSession& s = session();
    s.open(QStringLiteral("a.avi"));
    ASSERT_TRUE(s.isOpen()) << c.name;
    QPointer<PlayerWindow> window = s.window();
    EXPECT_EQ(window->parentWidget(), &owner_) << c.name;
    EXPECT_EQ(window->windowModality(), Qt::WindowModal) << c.name;
    EXPECT_TRUE(window->isVisible()) << c.name;
    EXPECT_EQ(log_, "open ") << c.name;
    c.end(*window);
    EXPECT_FALSE(s.isOpen()) << c.name;
    EXPECT_EQ(log_, "open close ") << c.name;
    EXPECT_TRUE(gone(window)) << c.name;
    EXPECT_EQ(log_, "open close ") << c.name;
  }
}

TEST_F(PlayerSessionTest, ASecondFileReplacesThePlayer) {
  PlayerSession& s = session();
  s.open(QStringLiteral("a.avi"));
  QPointer<PlayerWindow> first = s.window();
  s.open(QStringLiteral("b.avi"));
  EXPECT_EQ(log_, "open close open ");
  ASSERT_TRUE(s.isOpen());
  EXPECT_EQ(s.window()->path(), QStringLiteral("b.avi"));
  EXPECT_TRUE(gone(first));
  EXPECT_EQ(log_, "open close open ");
}

// The owner going away takes the player with it and asks for nothing.
TEST_F(PlayerSessionTest, EndsSilentlyWithItsOwner) {
  PlayerSession& s = session();
  s.open(QStringLiteral("a.avi"));
  QPointer<PlayerWindow> window = s.window();
  session_.reset();
  EXPECT_TRUE(window.isNull());
  EXPECT_EQ(log_, "open ");
  EXPECT_EQ(graph_->count("destroy"), 1);
}

}  // namespace
}  // namespace lumivex
