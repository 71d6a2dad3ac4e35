#include "app/files_controller.h"
#include "app/main_window.h"
#include "core/app_context.h"
#include "core/capture_state.h"
#include "core/instance_handoff.h"
#include "core/scripted_prompter.h"
#include "core/single_instance.h"
#include "image/cx_image.h"
#include "library/player/player_session.h"
#include "library/player/player_window.h"
#include "tests/app/fake_capture_service.h"
#include "tests/app/main_window_fixture.h"
#include "tests/library/fake_playback_graph.h"
#include "tests/support/temp_home.h"
#include "tests/support/wait_until.h"
#include "workspace/image_workspace.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QUrl>

namespace lumivex {
namespace {

// The smallest RIFF AVI header: enough for a file to say what it is.
QByteArray aviBytes() {
  QByteArray bytes("RIFF");
  bytes += QByteArray("\x04\x00\x00\x00", 4);
  bytes += "AVI ";
  return bytes;
}

// Files named on the command line, or handed over by a later start, reach the workspaces and the player.
class OpenFilesTest : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    createWindow();
    window_->files().setPlaybackGraphFactory(test::FakePlaybackGraph::factory(graph_));
    window_->show();
  }
  QString picture(const QString& name) {
    QImage image(320, 240, QImage::Format_RGB888);
    image.fill(Qt::gray);
    CxImage picture;
    picture.CreateFromQImage(image);
    const QString path = home_.path() + u'/' + name;
    EXPECT_TRUE(picture.Save(path, CxImage::kTypeJpg));
    return path;
  }
  QString file(const QString& name, const QByteArray& bytes) {
    const QString path = home_.path() + u'/' + name;
    EXPECT_TRUE(test::writeBytes(path, bytes));
    return path;
  }
  QString playing() const {
    const PlayerWindow* player = window_->files().player().window();
    return player != nullptr ? player->path() : QString();
  }

  std::shared_ptr<test::FakeGraphScript> graph_ = std::make_shared<test::FakeGraphScript>();
};

TEST_F(OpenFilesTest, VideosAreTakenByContentOrName) {
  struct Case {
    const char* name;
    QByteArray bytes;  // empty: no such file
    bool video;
  } cases[] = {
      {"Video_1.avi", aviBytes(), true},
      {"Recording", aviBytes(), true},            // a video without its extension
      {"clip.AVI", QByteArray("garbage"), true},  // the player says why it cannot play it
      {"gone.avi", {}, true},
      {"picture.jpg", QByteArray("\xff\xd8\xff\xe0", 4), false},
      {"wave.wav", QByteArray("RIFF\x04\x00\x00\x00WAVE", 12), false},
      {"missing.bmp", {}, false},
  };
  for (const Case& c : cases) {
    const QString path = c.bytes.isEmpty() ? home_.path() + u'/' + QLatin1String(c.name) : file(c.name, c.bytes);
    EXPECT_EQ(FilesController::isVideoFile(path), c.video) << c.name;
  }
}

TEST_F(OpenFilesTest, PicturesGetWorkspacesAndTheFirstVideoPlays) {
  const QString first = file(QStringLiteral("Video_1.avi"), aviBytes());
  const QString second = file(QStringLiteral("Video_2.avi"), aviBytes());
  window_->files().openFiles({first, picture(QStringLiteral("a.jpg")), second, picture(QStringLiteral("b.jpg"))});
  EXPECT_EQ(window_->files().workspaces().size(), 2u);
  EXPECT_EQ(playing(), first);
  EXPECT_EQ(graph_->graphsMade, 1);  // the second video did not replace the first
  EXPECT_TRUE(prompts_->records().empty());

  // A later hand-over with a video replaces the one playing; a broken picture is reported, not opened.
  const QString third = file(QStringLiteral("Video_3.avi"), aviBytes());
  window_->files().openFiles({third, file(QStringLiteral("broken.jpg"), QByteArray(64, 'x'))});
  EXPECT_EQ(playing(), third);
  EXPECT_EQ(window_->files().workspaces().size(), 2u);
  EXPECT_EQ(prompts_->messageTexts(), std::vector<QString>{QStringLiteral("Can not Open file")});
}

TEST_F(OpenFilesTest, AMinimisedWindowComesBackForHandedOverFiles) {
  window_->showMinimized();
  window_->files().openFiles({picture(QStringLiteral("a.jpg"))});
  EXPECT_FALSE(window_->isMinimized());
  EXPECT_EQ(window_->files().workspaces().size(), 1u);
}

// The program itself, started while this one holds the lock, hands over a picture and a video and ends
// with status 0; they open here as they would in the running program.
TEST_F(OpenFilesTest, ASecondStartHandsItsFilesToTheRunningWindow) {
  SingleInstance running;  // the lock in the private runtime folder of the temporary home
  ASSERT_FALSE(running.anotherInstanceRunning());
  InstanceHandoff handoff([this](const QStringList& paths) { window_->files().openFiles(paths); });
  ASSERT_TRUE(handoff.isListening());
  const QString video = file(QStringLiteral("Video_1.avi"), aviBytes());
  const QString still = picture(QStringLiteral("Still 1.jpg"));

  QProcess second;
  second.setProcessChannelMode(QProcess::MergedChannels);
  second.setWorkingDirectory(home_.path());
  // As a file manager starts it: relative names are fine, a file: URL too.
  second.start(qEnvironmentVariable("LUMIVEX_BINARY_DIR") + QStringLiteral("/app/lumivex"),
               {QStringLiteral("Video_1.avi"), QUrl::fromLocalFile(still).toString()});
  ASSERT_TRUE(second.waitForStarted());
  ASSERT_TRUE(test::waitUntil([&] { return second.state() == QProcess::NotRunning; }));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0) << second.readAll().toStdString();
  EXPECT_TRUE(test::waitUntil([&] { return !playing().isEmpty(); }));
  EXPECT_EQ(playing(), video);
  ASSERT_EQ(window_->files().workspaces().size(), 1u);
  EXPECT_TRUE(prompts_->records().empty());
}

}  // namespace
}  // namespace lumivex
