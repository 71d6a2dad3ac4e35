// The video settings dialog on the simulated camera.
#include "capture/video_settings_dialog.h"
#include "capture/capture_window.h"
#include "capture/demo_camera.h"
#include "capture/demo_camera_hub.h"
#include "capture/gst_capture_service.h"
#include "tests/capture/capture_test_support.h"
#include "tests/support/temp_home.h"

#include "core/app_context.h"
#include "core/control_ids.h"
#include "core/scripted_prompter.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

namespace lumivex {
namespace {

class VideoSettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppContext::initialise();
    DemoCameraHub::instance().reset();
    camera_ = DemoCameraHub::instance().addCamera(QStringLiteral("Lumivex Demo Camera"));
    service_ = std::make_unique<GstCaptureService>(true);
    service_->setReceiver(&log_);
    ASSERT_EQ(service_->connectDevice(), CaptureService::ConnectResult::Connected);
  }
  void TearDown() override {
    service_.reset();
    DemoCameraHub::instance().reset();
    AppContext::shutdown();
  }
  template <typename W>
  W* control(QWidget& dialog, int id) {
    return dialog.findChild<W*>(QString::number(id));
  }

  test::TempHome home_;
  test::MessageLog log_;
  std::shared_ptr<DemoCamera> camera_;
  std::unique_ptr<GstCaptureService> service_;
};

TEST_F(VideoSettingsDialogTest, FillsFromThePropertyTable) {
  QWidget owner;  // owns the dialog
  QDialog* dialog = service_->createVideoSettingsDialog(owner);
  ASSERT_TRUE(dialog);
  for (const auto& row : VideoSettingsDialog::kRows) {
    ProcAmpRange range;
    ASSERT_TRUE(camera_->getRange(row.property, range));
    auto* slider = control<QSlider>(*dialog, row.slider);
    ASSERT_TRUE(slider) << row.key;
    EXPECT_EQ(slider->minimum(), range.minimum) << row.key;
    EXPECT_EQ(slider->maximum(), range.maximum) << row.key;
    EXPECT_EQ(slider->value(), range.defaultValue) << row.key;
    EXPECT_EQ(control<QLineEdit>(*dialog, row.edit)->text(), QString::asprintf("%3d", range.defaultValue));
    EXPECT_EQ(control<QLabel>(*dialog, row.label)->text(), QString::fromLatin1(row.key));
    EXPECT_EQ(slider->isVisibleTo(dialog), row.shown) << row.key;
  }
  auto* devices = control<QComboBox>(*dialog, 1102);
  ASSERT_EQ(devices->count(), 1);
  EXPECT_EQ(devices->currentText(), QStringLiteral("Lumivex Demo Camera"));
  auto* norm = control<QComboBox>(*dialog, 1099);
  EXPECT_EQ(norm->currentText(), QStringLiteral("N/A"));
  EXPECT_FALSE(norm->isEnabled());
  auto* resolution = control<QComboBox>(*dialog, 1096);
  ASSERT_EQ(resolution->count(), 3);
  EXPECT_EQ(resolution->itemText(1), QStringLiteral("1280*960"));
  EXPECT_EQ(resolution->currentIndex(), 2);
  EXPECT_EQ(control<QLabel>(*dialog, 1360)->text(),
            QStringLiteral(" F10\uFF1A640x480  F11: 1280x960   F12: 1600x1200"));
  EXPECT_EQ(control<QLineEdit>(*dialog, 1338)->text(), AppContext::current().folders().root());
}

TEST_F(VideoSettingsDialogTest, SliderAppliesAndSpinStopsAtTheMaximum) {
  QWidget owner;  // owns the dialog
  QDialog* dialog = service_->createVideoSettingsDialog(owner);
  auto* slider = control<QSlider>(*dialog, 1055);
  auto* spin = control<QSpinBox>(*dialog, 1086);
  slider->setValue(40);
  EXPECT_EQ(camera_->picture().brightness, 40);
  EXPECT_EQ(control<QLineEdit>(*dialog, 1063)->text(), QStringLiteral(" 40"));
  spin->stepUp();
  EXPECT_EQ(slider->value(), 41);
  EXPECT_EQ(camera_->picture().brightness, 41);
  slider->setValue(slider->maximum());
  spin->stepUp();
  spin->stepUp();
  EXPECT_EQ(slider->value(), 64);
  EXPECT_EQ(camera_->picture().brightness, 64);
}

TEST_F(VideoSettingsDialogTest, DefaultRestoresPropertiesInAutomaticModeAndTheLargePreset) {
  QWidget owner;  // owns the dialog
  QDialog* dialog = service_->createVideoSettingsDialog(owner);
  control<QComboBox>(*dialog, 1096)->setCurrentIndex(0);
  Q_EMIT control<QComboBox>(*dialog, 1096)->activated(0);
  EXPECT_EQ(service_->window().captureSize(), QSize(640, 480));
  control<QSlider>(*dialog, 1064)->setValue(10);
  EXPECT_EQ(camera_->picture().contrast, 10);

  control<QPushButton>(*dialog, 1079)->click();
  EXPECT_EQ(service_->window().captureSize(), QSize(1600, 1200));
  EXPECT_EQ(control<QComboBox>(*dialog, 1096)->currentIndex(), 2);
  for (const auto& row : VideoSettingsDialog::kRows) {
    ProcAmpRange range;
    camera_->getRange(row.property, range);
    int value = 0;
    int flags = 0;
    ASSERT_TRUE(camera_->get(row.property, value, flags));
    EXPECT_EQ(value, range.defaultValue) << row.key;
    EXPECT_EQ(flags, kProcAmpAuto) << row.key;
  }
}

TEST_F(VideoSettingsDialogTest, CameraWithoutPropertiesLeavesTheDialogEmpty) {
  service_->release();
  DemoCameraHub::instance().unplug(0);
  QWidget owner;  // owns the dialog
  QDialog* dialog = service_->createVideoSettingsDialog(owner);
  EXPECT_EQ(control<QComboBox>(*dialog, 1102)->count(), 0);
  EXPECT_EQ(control<QComboBox>(*dialog, 1096)->count(), 0);
  control<QPushButton>(*dialog, 2)->click();
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(VideoSettingsDialogTest, BrowseSetsTheDataRootAndReconnectionRefills) {
  auto scripted = std::make_unique<ScriptedPrompter>();
  ScriptedPrompter* prompter = scripted.get();
  auto previous = installPrompter(std::move(scripted));
  const QString root = home_.path() + QStringLiteral("/elsewhere");
  prompter->push(std::optional<QString>(root));
  QWidget owner;  // owns the dialog
  QDialog* dialog = service_->createVideoSettingsDialog(owner);
  control<QPushButton>(*dialog, 1339)->click();
  EXPECT_EQ(control<QLineEdit>(*dialog, 1338)->text(), root);
  EXPECT_EQ(AppContext::current().folders().root(), root);
  EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("/Picture")));

  DemoCameraHub::instance().addCamera(QStringLiteral("Second"));
  service_->reinitialiseIfRunning();
  postAppEvent<DeviceReinitialisedEvent>(dialog);
  ASSERT_TRUE(test::waitFor([&] { return control<QComboBox>(*dialog, 1102)->count() == 2; }));
  installPrompter(std::move(previous));
}

}  // namespace
}  // namespace lumivex
