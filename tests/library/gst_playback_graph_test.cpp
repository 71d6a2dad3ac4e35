#include "library/player/gst_playback_graph.h"

#include "core/app_context.h"
#include "core/logging.h"
#include "library/player/avi_probe.h"
#include "library/player/player_ids.h"
#include "library/player/player_video_area.h"
#include "library/player/player_window.h"
#include "media/audio_output.h"
#include "widgets/skin_button.h"

#include "tests/library/player_test_videos.h"
#include "tests/support/temp_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <mutex>

namespace lumivex {
namespace {

using test::TestVideo;
using State = PlaybackGraph::State;

bool waitUntil(const std::function<bool()>& condition) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > 30000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

PlaybackGraphFactory realGraphs() {
  return [] { return std::make_unique<GstPlaybackGraph>(); };
}

// Which way up the frame is, and which side of 1.5 s: "red" or "green" on top, blue below.
QString topColour(const QImage& frame) {
  if (frame.isNull()) return QStringLiteral("none");
  const QColor top = frame.pixelColor(frame.width() / 2, frame.height() / 4);
  const QColor bottom = frame.pixelColor(frame.width() / 2, frame.height() * 3 / 4);
  if (!(bottom.blue() > 150 && bottom.red() < 100 && bottom.green() < 100)) return QStringLiteral("upside down");
  if (top.red() > 150 && top.green() < 100 && top.blue() < 100) return QStringLiteral("red");
  if (top.green() > 150 && top.red() < 100 && top.blue() < 100) return QStringLiteral("green");
  return QStringLiteral("other");
}

// Warnings of the player's logging category, collected while the object lives.
class PlayerLog {
 public:
  PlayerLog() {
    lines().clear();
    previous_ = qInstallMessageHandler(&PlayerLog::handler);
  }
  ~PlayerLog() { qInstallMessageHandler(previous_); }
  PlayerLog(const PlayerLog&) = delete;
  PlayerLog& operator=(const PlayerLog&) = delete;
  int count(const QString& part) const {
    std::lock_guard guard(lock());
    int n = 0;
    for (const QString& line : lines()) n += line.contains(part) ? 1 : 0;
    return n;
  }

 private:
  static void handler(QtMsgType, const QMessageLogContext& context, const QString& text) {
    if (context.category && QLatin1String(context.category) == QLatin1String("lumivex.player")) {
      std::lock_guard guard(lock());
      lines().push_back(text);
    }
  }
  static std::mutex& lock() {
    static std::mutex m;
    return m;
  }
  static std::vector<QString>& lines() {
    static std::vector<QString> l;
    return l;
  }
  LoggingEnabled enabled_;  // the category is quiet unless turned on
  QtMessageHandler previous_ = nullptr;
};

class GstPlaybackGraphTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    for (const TestVideo kind :
         {TestVideo::AllKeyMsvc, TestVideo::DefaultMsvc, TestVideo::Mjpeg, TestVideo::RawTopDown,
          TestVideo::RawBottomUp, TestVideo::KilledNoIndex, TestVideo::MjpegWithSound, TestVideo::UnknownCodec,
          TestVideo::ZeroFrames, TestVideo::NotAvi, TestVideo::Missing}) {
      const QString path = dir_->filePath(QStringLiteral("Video_%1.avi").arg(static_cast<int>(kind)));
      const QString error = test::makeTestVideo(kind, path);
      if (!error.isEmpty()) failure_ = new QString(error);
      paths_[kind] = path;
    }
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override {
    if (failure_) GTEST_SKIP() << "cannot make the test videos: " << failure_->toStdString();
    AppContext::initialise();
  }
  void TearDown() override {
    window_.reset();
    if (AppContext::exists()) AppContext::shutdown();
  }

  PlayerWindow& open(TestVideo kind) {
    window_ = std::make_unique<PlayerWindow>(paths_[kind], realGraphs());
    window_->show();
    return *window_;
  }
  void click(int id) { QTest::mouseClick(window_->button(id), Qt::LeftButton); }
  double position() const { return window_->graph()->currentPosition().value_or(-1.0); }
  QString top() const { return topColour(window_->videoArea()->frame()); }
  int slider() const { return window_->slider()->value(); }

  static inline QTemporaryDir* dir_ = nullptr;
  static inline QString* failure_ = nullptr;
  static inline std::map<TestVideo, QString> paths_;
  test::TempHome home_;
  std::unique_ptr<PlayerWindow> window_;
};

TEST_F(GstPlaybackGraphTest, OpensPausedOnTheFirstFrameOrStaysEmpty) {
  struct Case {
    const char* name;
    TestVideo kind;
    bool opens;
    double duration;  // 0: any positive length
  };
  const Case cases[] = {
      {"all-key MSVC", TestVideo::AllKeyMsvc, true, 10.0},
      {"default MSVC", TestVideo::DefaultMsvc, true, 10.0},
      {"MJPEG", TestVideo::Mjpeg, true, 10.0},
      {"raw, top row first", TestVideo::RawTopDown, true, 10.0},
      {"raw, bottom row first", TestVideo::RawBottomUp, true, 10.0},
      {"killed without index", TestVideo::KilledNoIndex, true, 0.0},
      {"with sound", TestVideo::MjpegWithSound, true, 10.0},
      {"unknown codec", TestVideo::UnknownCodec, false, 0.0},
      {"zero frames", TestVideo::ZeroFrames, false, 0.0},
      {"not an AVI", TestVideo::NotAvi, false, 0.0},
      {"missing", TestVideo::Missing, false, 0.0},
  };
  for (const Case& c : cases) {
    PlayerWindow& w = open(c.kind);
    if (c.opens) {
      ASSERT_NE(w.graph(), nullptr) << c.name;
      EXPECT_EQ(w.graph()->state(), State::Paused) << c.name;
      EXPECT_NEAR(position(), 0.0, 1e-6) << c.name;
      const double length = w.graph()->duration().value_or(-1.0);
      if (c.duration > 0)
        EXPECT_NEAR(length, c.duration, 0.05) << c.name;
      else
        EXPECT_GT(length, 0.0) << c.name;
      EXPECT_EQ(top(), QStringLiteral("red")) << c.name;
      EXPECT_EQ(w.videoArea()->frame().size(), QSize(160, 120)) << c.name;
    } else {
      EXPECT_EQ(w.graph(), nullptr) << c.name;
      EXPECT_TRUE(w.videoArea()->frame().isNull()) << c.name;
      for (const int id : {ids::kPlayerPlay, ids::kPlayerForward, ids::kPlayerLast, ids::kPlayerBack, ids::kPlayerFirst,
                           ids::kPlayerStop}) {
        click(id);
      }
      w.slider()->triggerAction(QAbstractSlider::SliderPageStepAdd);
      EXPECT_FALSE(w.positionTimerActive()) << c.name;
      EXPECT_TRUE(w.videoArea()->frame().isNull()) << c.name;
      EXPECT_TRUE(w.isVisible()) << c.name;
    }
    EXPECT_EQ(slider(), c.opens ? 0 : 50) << c.name;
  }
}

// Two-second jumps land on the frame asked for, whatever the key frames: FFmpeg's MSVC has key frames
// at 0 and 5.2 s only, so a jump to the key frame before would never leave the start.
TEST_F(GstPlaybackGraphTest, JumpsLandWhereAsked) {
  for (const TestVideo kind : {TestVideo::DefaultMsvc, TestVideo::AllKeyMsvc, TestVideo::Mjpeg, TestVideo::RawTopDown,
                               TestVideo::RawBottomUp}) {
    SCOPED_TRACE(static_cast<int>(kind));
    PlayerWindow& w = open(kind);
    ASSERT_NE(w.graph(), nullptr);

    click(ids::kPlayerForward);
    EXPECT_NEAR(position(), 2.0, 0.01);
    EXPECT_EQ(slider(), 200);
    EXPECT_EQ(top(), QStringLiteral("green"));

    w.graph()->setPosition(1.5);
    click(ids::kPlayerBack);
    EXPECT_NEAR(position(), 0.0, 0.01);
    EXPECT_EQ(slider(), 0);
    EXPECT_EQ(top(), QStringLiteral("red"));

    w.graph()->setPosition(9.0);
    click(ids::kPlayerForward);
    EXPECT_NEAR(position(), 10.0, 0.01);
    EXPECT_EQ(slider(), 1000);

    click(ids::kPlayerFirst);
    EXPECT_NEAR(position(), 0.0, 0.01);
    EXPECT_EQ(slider(), 0);
    click(ids::kPlayerLast);
    EXPECT_NEAR(position(), 10.0, 0.01);
    EXPECT_EQ(slider(), 1000);

    w.slider()->setSliderPosition(400);
    w.slider()->triggerAction(QAbstractSlider::SliderMove);
    EXPECT_NEAR(position(), 4.0, 0.01);
    EXPECT_EQ(top(), QStringLiteral("green"));

    click(ids::kPlayerStop);
    EXPECT_EQ(w.graph()->state(), State::Stopped);
    EXPECT_NEAR(position(), 0.0, 0.01);
    EXPECT_EQ(slider(), 0);
    EXPECT_EQ(top(), QStringLiteral("red"));
    EXPECT_FALSE(w.positionTimerActive());
  }
}

TEST_F(GstPlaybackGraphTest, TheEndOfTheFileWaitsPausedAtTheStart) {
  for (const TestVideo kind : {TestVideo::DefaultMsvc, TestVideo::Mjpeg, TestVideo::KilledNoIndex}) {
    SCOPED_TRACE(static_cast<int>(kind));
    PlayerWindow& w = open(kind);
    ASSERT_NE(w.graph(), nullptr);
    const double length = w.graph()->duration().value_or(0.0);
    // Close to the end, so the test does not sit through the film. The killed file's header promises more
    // than its data holds; its end comes from the data.
    w.graph()->setPosition(kind == TestVideo::KilledNoIndex ? 8.0 : length - 0.6);
    click(ids::kPlayerPlay);
    EXPECT_EQ(w.graph()->state(), State::Running);
    ASSERT_TRUE(waitUntil([&] { return w.graph()->state() == State::Paused; }));
    EXPECT_NEAR(position(), 0.0, 0.01);
    EXPECT_EQ(slider(), 0);
    EXPECT_TRUE(w.positionTimerActive());
    EXPECT_EQ(top(), QStringLiteral("red"));

    // Play starts again from the beginning.
    click(ids::kPlayerPlay);
    EXPECT_EQ(w.graph()->state(), State::Running);
    EXPECT_LT(position(), 5.0);
  }
}

TEST_F(GstPlaybackGraphTest, SoundWithoutAnAudioDevicePrintsNothing) {
  if (AudioOutputProbe::fromEnvironment().available()) GTEST_SKIP() << "this machine has a sound output";
  QTemporaryDir errDir;
  const QString errPath = errDir.filePath(QStringLiteral("stderr.txt"));
  fflush(stderr);
  const int saved = dup(STDERR_FILENO);
  const int capture = ::open(errPath.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(capture, 0);
  dup2(capture, STDERR_FILENO);
  ::close(capture);
  bool opened = false, completed = false, muted = false;
  {
    PlayerWindow& w = open(TestVideo::MjpegWithSound);
    opened = w.graph() != nullptr;
    if (opened) {
      muted = static_cast<GstPlaybackGraph*>(w.graph())->audioMuted();
      w.graph()->setPosition(9.5);
      click(ids::kPlayerPlay);
      completed = waitUntil([&] { return w.graph()->state() == State::Paused; });
    }
    window_.reset();
  }
  fflush(stderr);
  dup2(saved, STDERR_FILENO);
  ::close(saved);
  EXPECT_TRUE(opened);
  EXPECT_TRUE(muted);
  EXPECT_TRUE(completed);
  QFile err(errPath);
  ASSERT_TRUE(err.open(QIODevice::ReadOnly));
  EXPECT_EQ(err.readAll().toStdString(), "");
}

TEST_F(GstPlaybackGraphTest, WhatCannotBePlayedIsLoggedOnce) {
  PlayerLog log;
  // One line per file, however many errors the framework raises for it.
  open(TestVideo::UnknownCodec);
  EXPECT_EQ(log.count(QStringLiteral("")), 1);
  EXPECT_EQ(log.count(QStringLiteral("no decoder installed for video/x-avi-unknown")), 1);
  open(TestVideo::ZeroFrames);
  EXPECT_EQ(log.count(QStringLiteral("")), 2);
  open(TestVideo::NotAvi);
  EXPECT_EQ(log.count(QStringLiteral("cannot play")), 2);
  open(TestVideo::Mjpeg);
  EXPECT_EQ(log.count(QStringLiteral("")), 3);
}

// The graph driven directly, through calls in every state, including those it must refuse.
TEST_F(GstPlaybackGraphTest, StatesAndRefusedCalls) {
  class ThreadCheckingDisplay : public VideoDisplay {
   public:
    void present(QImage frame) override {
      frames.fetch_add(1);
      if (QThread::currentThread() == qApp->thread()) onGuiThread.fetch_add(1);
      last = frame.size();
    }
    std::atomic<int> frames{0};
    std::atomic<int> onGuiThread{0};
    QSize last;
  } display;

  GstPlaybackGraph graph;
  EXPECT_FALSE(graph.run());
  EXPECT_FALSE(graph.pause());
  EXPECT_FALSE(graph.stop());
  EXPECT_FALSE(graph.setPosition(1.0));
  EXPECT_FALSE(graph.renderFile(paths_[TestVideo::Mjpeg]));
  EXPECT_EQ(graph.currentPosition(), std::nullopt);
  EXPECT_EQ(graph.duration(), std::nullopt);
  EXPECT_TRUE(graph.takeEvents().empty());
  EXPECT_EQ(graph.state(), State::Stopped);

  ASSERT_TRUE(graph.create());
  graph.setDisplayWindow(&display);
  EXPECT_FALSE(graph.renderFile(paths_[TestVideo::Missing]));
  ASSERT_TRUE(graph.renderFile(paths_[TestVideo::Mjpeg]));
  EXPECT_EQ(graph.state(), State::Paused);
  EXPECT_GE(display.frames.load(), 1);
  EXPECT_EQ(display.last, QSize(160, 120));

  EXPECT_TRUE(graph.pause());
  EXPECT_EQ(graph.state(), State::Paused);
  EXPECT_TRUE(graph.setPosition(3.3));
  EXPECT_NEAR(graph.currentPosition().value_or(-1), 3.3, 0.01);
  EXPECT_TRUE(graph.stop());
  EXPECT_EQ(graph.state(), State::Stopped);
  EXPECT_NEAR(graph.currentPosition().value_or(-1), 0.0, 0.01);
  EXPECT_TRUE(graph.stop());
  EXPECT_TRUE(graph.run());
  EXPECT_EQ(graph.state(), State::Running);
  EXPECT_TRUE(graph.run());
  EXPECT_TRUE(graph.pause());
  EXPECT_EQ(graph.state(), State::Paused);
  EXPECT_TRUE(graph.setPosition(-4.0));
  EXPECT_NEAR(graph.currentPosition().value_or(-1), 0.0, 0.01);

  graph.destroy();
  graph.destroy();
  EXPECT_FALSE(graph.run());
  EXPECT_EQ(graph.state(), State::Stopped);
  EXPECT_EQ(graph.currentPosition(), std::nullopt);
  // Frames come from GStreamer's streaming thread, never the GUI thread.
  EXPECT_EQ(display.onGuiThread.load(), 0);
}

// The probe on files of an independent writer, including one cut off as a killed recorder leaves it.
TEST_F(GstPlaybackGraphTest, AviProbeOnFilesFromFfmpeg) {
  using Verdict = AviProbe::Verdict;
  const std::pair<TestVideo, Verdict> cases[] = {
      {TestVideo::DefaultMsvc, Verdict::HasFrames},
      {TestVideo::RawTopDown, Verdict::HasFrames},
      {TestVideo::RawBottomUp, Verdict::HasFrames},
      {TestVideo::KilledNoIndex, Verdict::HasFrames},
      {TestVideo::MjpegWithSound, Verdict::HasFrames},
      {TestVideo::ZeroFrames, Verdict::NoFrames},
      {TestVideo::NotAvi, Verdict::NotAvi},
  };
  for (const auto& [kind, verdict] : cases)
    EXPECT_EQ(AviProbe::inspect(paths_[kind]), verdict) << static_cast<int>(kind);
}

TEST(AudioOutputProbe, FindsASoundServerOrAPlaybackDevice) {
  struct Case {
    const char* name;
    std::vector<const char*> runtimeFiles;
    std::vector<const char*> devices;
    const char* pulseServer;
    bool available;
  };
  const Case cases[] = {
      {"nothing", {}, {}, "", false},
      {"PulseAudio socket", {"pulse/native"}, {}, "", true},
      {"PipeWire socket", {"pipewire-0"}, {}, "", true},
      {"server named", {}, {}, "tcp:host", true},
      {"capture device only", {}, {"pcmC0D0c", "controlC0"}, "", false},
      {"playback device", {}, {"controlC0", "pcmC0D0p"}, "", true},
  };
  for (const Case& c : cases) {
    QTemporaryDir dir;
    AudioOutputProbe probe;
    probe.runtimeDir = dir.filePath(QStringLiteral("run"));
    probe.soundDevices = dir.filePath(QStringLiteral("snd"));
    probe.pulseServer = c.pulseServer;
    for (const char* file : c.runtimeFiles)
      ASSERT_TRUE(test::writeBytes(probe.runtimeDir + u'/' + QLatin1String(file), "x"));
    for (const char* file : c.devices)
      ASSERT_TRUE(test::writeBytes(probe.soundDevices + u'/' + QLatin1String(file), "x"));
    EXPECT_EQ(probe.available(), c.available) << c.name;
  }
}

}  // namespace
}  // namespace lumivex
