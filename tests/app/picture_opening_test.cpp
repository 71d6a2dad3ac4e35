#include "app/files_controller.h"
#include "app/main_controls.h"
#include "app/main_window.h"
#include "core/app_context.h"
#include "core/app_events.h"
#include "core/capture_state.h"
#include "core/scripted_prompter.h"
#include "image/cx_image.h"
#include "measure/calibration_state.h"
#include "measure/measure_canvas.h"
#include "tests/app/fake_capture_service.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/temp_home.h"
#include "workspace/image_workspace.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>

namespace lumivex {
namespace {

class PictureOpeningTest : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    calibrationState().decimals = 2;
    openWindow();
  }
  QString picture(const QString& name) {
    QImage image(640, 480, QImage::Format_RGB888);
    image.fill(Qt::white);
    CxImage picture;
    picture.CreateFromQImage(image);
    const QString path = home_.path() + u'/' + name;
    EXPECT_TRUE(picture.Save(path, CxImage::kTypeJpg));
    return path;
  }
  // What the strip does on a double click: 0x800a to the main window.
  void fromStrip(const QString& path) {
    postAppEvent<OpenPictureEvent>(window_.get(), path);
    QApplication::sendPostedEvents(window_.get());
  }
};

TEST_F(PictureOpeningTest, EveryPictureGetsAWorkspaceOfItsOwn) {
  fromStrip(picture("a.jpg"));
  fromStrip(picture("b.jpg"));
  const std::vector<ImageWorkspace*> open = window_->files().workspaces();
  ASSERT_EQ(open.size(), 2u);
  EXPECT_NE(open[0]->canvas(), open[1]->canvas());
  EXPECT_TRUE(open[0]->isVisible());
  EXPECT_TRUE(prompts_->records().empty());
}

TEST_F(PictureOpeningTest, APictureThatDoesNotDecodeSaysSoByWhereItCameFrom) {
  const QString broken = home_.path() + QStringLiteral("/broken.jpg");
  ASSERT_TRUE(test::writeBytes(broken, QByteArray(100, 'x')));
  fromStrip(broken);
  window_->files().openPicture(broken, FilesController::PictureOrigin::CommandLine);
  window_->files().openPicture(home_.path() + QStringLiteral("/notes.txt"),
                               FilesController::PictureOrigin::CommandLine);
  EXPECT_TRUE(window_->files().workspaces().empty());
  EXPECT_EQ(prompts_->messageTexts(),
            (std::vector<QString>{QStringLiteral("the picture not open,please check the file exist!"),
                                  QStringLiteral("Can not Open file"), QStringLiteral("Can not Open file")}));
}

TEST_F(PictureOpeningTest, AWorkspaceCalibrationReachesTheMainWindow) {
  fromStrip(picture("Still_2024-01-02_030405_20X_N0001.jpg"));
  ImageWorkspace* workspace = window_->files().workspaces().at(0);
  workspace->setCalibrationAsker([](QWidget*) { return std::optional<double>(2.0); });
  workspace->dispatchCommand(396);
  CanvasController& canvas = workspace->canvas()->controller();
  for (QPoint p : {QPoint(100, 100), QPoint(200, 100)}) {
    canvas.handle(CanvasEvent::Press, CanvasButton::Left, p);
    canvas.handle(CanvasEvent::Release, CanvasButton::Left, p);
  }
  QApplication::sendPostedEvents();
  QApplication::sendPostedEvents();
  EXPECT_EQ(window_->controls().magnificationEdit()->text(), QStringLiteral("20"));
  EXPECT_EQ(window_->controls().calibrationEdit()->text(), QStringLiteral("29.6"));
}

TEST_F(PictureOpeningTest, ClosingTheMainWindowClosesWorkspacesAskingOnceForUnsavedWork) {
  fromStrip(picture("a.jpg"));
  fromStrip(picture("b.jpg"));
  fromStrip(picture("c.jpg"));
  const std::vector<ImageWorkspace*> open = window_->files().workspaces();
  ASSERT_EQ(open.size(), 3u);
  for (ImageWorkspace* workspace : {open[0], open[2]}) {
    workspace->dispatchCommand(1267);  // a negative: unsaved work
    EXPECT_TRUE(workspace->hasUnsavedChanges());
  }
  prompts_->push(MessageAnswer::No);
  window_->close();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(window_->files().workspaces().size(), 3u);
  ASSERT_EQ(prompts_->messageTexts().size(), 1u);

  prompts_->push(MessageAnswer::Yes);
  window_->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(window_->files().workspaces().empty());
  // One question each time, none per workspace.
  EXPECT_EQ(prompts_->messageTexts().size(), 2u);
}

}  // namespace
}  // namespace lumivex
