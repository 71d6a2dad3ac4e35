#pragma once

#include "core/app_context.h"
#include "core/app_events.h"
#include "core/scripted_prompter.h"
#include "image/cx_image.h"
#include "measure/calibration_state.h"
#include "measure/measure_canvas.h"
#include "tests/support/temp_home.h"
#include "widgets/skin_button.h"
#include "workspace/image_workspace.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <memory>
#include <vector>

namespace lumivex::test {

// Receives the workspace's messages to the main window.
class MessageSink : public QObject {
 public:
  bool event(QEvent* event) override {
    if (const auto* calibration = appEventCast<WorkspaceCalibrationEvent>(event)) {
      messages.push_back(
          {calibration->message(), calibration->magnification + u'\t' + QString::number(calibration->calibration)});
      return true;
    }
    return QObject::event(event);
  }
  std::vector<std::pair<int, QString>> messages;
};

// A picture of the given size with a dark disc in the middle, written as BMP or JPEG by the name.
inline bool writePicture(const QString& path, QSize size, QColor background = Qt::white) {
  QImage image(size, QImage::Format_RGB888);
  image.fill(background);
  QPainter painter(&image);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(30, 30, 30));
  painter.drawEllipse(QPointF(size.width() / 2.0, size.height() / 2.0), size.height() / 6.0, size.height() / 6.0);
  painter.end();
  CxImage picture;
  if (!picture.CreateFromQImage(image)) return false;
  return picture.Save(path, path.endsWith(QStringLiteral(".bmp")) ? CxImage::kTypeBmp : CxImage::kTypeJpg);
}

class WorkspaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppContext::initialise();
    auto scripted = std::make_unique<ScriptedPrompter>();
    prompts_ = scripted.get();
    previous_ = installPrompter(std::move(scripted));
    calibrationState().unitName.assign(QStringLiteral("mm"));
    calibrationState().decimals = 2;
    labelCounters().reset();
  }
  void TearDown() override {
    for (auto& w : windows_) {
      if (w) w->closeWithoutAsking();
    }
    windows_.clear();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    installPrompter(std::move(previous_));
    AppContext::shutdown();
  }

  QString picture(const QString& name, QSize size) {
    const QString path = home_.path() + u'/' + name;
    EXPECT_TRUE(writePicture(path, size));
    return path;
  }
  ImageWorkspace& open(const QString& path) {
    ImageWorkspace* w = ImageWorkspace::open(path, &sink_, nullptr);
    EXPECT_NE(w, nullptr) << path.toStdString();
    windows_.emplace_back(w);
    w->setCalibrationAsker([this](QWidget*) { return distance_; });
    return *w;
  }
  // Chooses an item of a toolbar menu the way a user does: press the button, pick the item.
  void menu(ImageWorkspace& w, int button, int command) {
    QTest::mouseClick(w.button(button), Qt::LeftButton);
    QMenu* open = w.openMenu();
    ASSERT_NE(open, nullptr);
    QAction* action = open->findChild<QAction*>(QString::number(command));
    ASSERT_NE(action, nullptr) << command;
    action->trigger();
    open->close();
  }
  // A click on the canvas at a content point (the view point is the content point minus the scroll).
  void clickAt(ImageWorkspace& w, QPoint content, Qt::MouseButton button = Qt::LeftButton) {
    QWidget* view = w.canvas()->viewport();
    const QPoint at = content - w.canvas()->scrollOffset();
    QTest::mouseMove(view, at);
    QTest::mouseClick(view, button, Qt::NoModifier, at);
  }
  std::vector<QString> messages() const { return prompts_->messageTexts(); }

  TempHome home_;
  std::unique_ptr<Prompter> previous_;
  ScriptedPrompter* prompts_ = nullptr;
  MessageSink sink_;
  std::optional<double> distance_;
  std::vector<QPointer<ImageWorkspace>> windows_;
};

}  // namespace lumivex::test
