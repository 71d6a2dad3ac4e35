// The timed-capture dialog with a clock moved by hand, and the recorder dialog's compressor chooser.
#include "capture/timed/timed_capture_dialog.h"
#include "capture/recorder/compression_options.h"
#include "capture/recorder/compressor_dialog.h"
#include "capture/recorder/recorder_dialog.h"
#include "capture/timed/manual_series_clock.h"
#include "core/scripted_prompter.h"
#include "image/cx_image.h"
#include "tests/capture/capture_test_support.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>

#include <thread>

namespace lumivex {
namespace {

using namespace std::chrono_literals;

class TimedDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto scripted = std::make_unique<ScriptedPrompter>();
    prompts_ = scripted.get();
    previous_ = installPrompter(std::move(scripted));
  }
  void TearDown() override { installPrompter(std::move(previous_)); }

  TimedCaptureDialog::Hooks hooks() {
    TimedCaptureDialog::Hooks h;
    h.requestStill = [this] { ++requests_; };
    h.frameBytes = [] { return std::int64_t{640} * 480 * 3; };
    h.highResolutionModel = true;
    h.videoFolder = dir_.filePath(QStringLiteral("Video"));
    h.videoMade = [this](const QString& path) { made_ << path; };
    h.clock = &clock_;
    return h;
  }
  QString still(int i) {
    QImage picture(320, 240, QImage::Format_RGB888);
    picture.fill(QColor(20 * i, 100, 200));
    CxImage image;
    image.CreateFromQImage(picture);
    const QString path = dir_.filePath(QStringLiteral("Still_N%1.jpg").arg(i));
    image.Save(path, CxImage::kTypeJpg);
    return path;
  }
  void advanceWhenAsleep(std::chrono::milliseconds step) {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!clock_.anyoneWaiting() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    clock_.advance(step);
  }

  test::TempHome home_;
  QTemporaryDir dir_;
  ManualSeriesClock clock_;
  ScriptedPrompter* prompts_ = nullptr;
  std::unique_ptr<Prompter> previous_;
  int requests_ = 0;
  QStringList made_;
};

TEST_F(TimedDialogTest, FieldsStartAtNowWithTheirDefaultsAndTheEstimateFollowsTheCount) {
  TimedCaptureDialog dialog(hooks());
  const struct {
    const char* id;
    const char* text;
  } initial[] = {{"1017", "2024"}, {"1018", "5"}, {"1019", "6"}, {"1020", "10"}, {"1021", "0"},
                 {"1022", "0"},    {"1023", "0"}, {"1024", "3"}, {"1025", "8"},  {"1026", "0"}};
  // 8 pictures of 640 x 480 on the high-resolution model: 8 x 921,600 / 19200 = 384 hundredths.
  for (const auto& f : initial) {
    QLineEdit* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(f.id));
    ASSERT_NE(edit, nullptr) << f.id;
    EXPECT_EQ(edit->text(), QLatin1String(f.text)) << f.id;
  }
  EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("1080"))->text(), QStringLiteral("   3.84"));
  QLineEdit* count = dialog.findChild<QLineEdit*>(QStringLiteral("1025"));
  count->setText(QStringLiteral("1"));
  Q_EMIT count->editingFinished();
  EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("1080"))->text(), QStringLiteral("   0.48"));
  EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("1015"))->text(), QStringLiteral("Start"));
}

TEST_F(TimedDialogTest, FieldsOutOfRangeAndAPastStartAreRefused) {
  TimedCaptureDialog dialog(hooks());
  QPushButton* start = dialog.findChild<QPushButton*>(QStringLiteral("1015"));
  const struct {
    const char* id;
    const char* value;
    const char* message;
  } cases[] = {
      {"1017", "2033", "Please enter an integer between 2008 and 2032."},
      {"1020", "25", "Please enter an integer between 0 and 24."},
      {"1024", "2", "Please enter an integer between 3 and 60."},
      {"1025", "201", "Please enter an integer between 1 and 200."},
      {"1025", "x", "Please enter an integer between 1 and 200."},
      {"1019", "5", "The time of your setting must be a future time!"},  // yesterday
  };
  for (const auto& c : cases) {
    QLineEdit* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(c.id));
    const QString kept = edit->text();
    edit->setText(QString::fromLatin1(c.value));
    start->click();
    EXPECT_EQ(prompts_->records().back().text, QString::fromLatin1(c.message)) << c.id;
    EXPECT_EQ(start->text(), QStringLiteral("Start"));
    EXPECT_EQ(requests_, 0);
    edit->setText(kept);
  }
}

// Three pictures three seconds apart; the dialog does not close but offers a time-lapse video, which is
// made from the series' stills and listed.
TEST_F(TimedDialogTest, ACompletedSeriesOffersATimelapseVideo) {
  TimedCaptureDialog dialog(hooks());
  dialog.show();
  dialog.findChild<QLineEdit*>(QStringLiteral("1025"))->setText(QStringLiteral("3"));
  QPushButton* start = dialog.findChild<QPushButton*>(QStringLiteral("1015"));
  start->click();
  EXPECT_EQ(start->text(), QStringLiteral("Stop"));
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(test::waitFor([&] { return requests_ == i; }, 20000));
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("1026"))->text(), QString::number(i));
    dialog.stillSaved(0, still(i));
    advanceWhenAsleep(3s);
  }
  QGroupBox* offer = dialog.findChild<QGroupBox*>(QStringLiteral("timelapse"));
  ASSERT_TRUE(test::waitFor([&] { return offer->isVisible(); }, 20000));
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(start->text(), QStringLiteral("Start"));
  EXPECT_EQ(dialog.findChild<QSpinBox*>(QStringLiteral("timelapse-fps"))->value(), 10);
  CompressionSettings::replace({QStringLiteral("MJPG"), -1});
  dialog.findChild<QPushButton*>(QStringLiteral("timelapse-make"))->click();
  ASSERT_TRUE(test::waitFor([&] { return !made_.isEmpty(); }, 30000));
  CompressionSettings::replace(CompressionSettings::defaults());
  EXPECT_TRUE(QFileInfo(made_.front()).fileName().startsWith(QLatin1String("Timelapse_")));
  EXPECT_TRUE(made_.front().endsWith(QLatin1String("_N0001.avi")));
  EXPECT_GT(QFileInfo(made_.front()).size(), 1000);
  EXPECT_EQ(dialog.findChild<QProgressBar*>(QStringLiteral("timelapse-progress"))->value(), 3);
  dialog.reject();
}

TEST_F(TimedDialogTest, ASeriesOfOnePictureClosesTheDialog) {
  TimedCaptureDialog dialog(hooks());
  dialog.show();
  dialog.findChild<QLineEdit*>(QStringLiteral("1025"))->setText(QStringLiteral("1"));
  dialog.findChild<QPushButton*>(QStringLiteral("1015"))->click();
  ASSERT_TRUE(test::waitFor([&] { return requests_ == 1; }, 20000));
  dialog.stillSaved(0, still(1));
  advanceWhenAsleep(3s);
  ASSERT_TRUE(test::waitFor([&] { return !dialog.isVisible(); }, 20000));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(TimedDialogTest, StopResetsTheCountAndCancelEndsTheSeries) {
  TimedCaptureDialog dialog(hooks());
  dialog.show();
  QPushButton* start = dialog.findChild<QPushButton*>(QStringLiteral("1015"));
  start->click();
  ASSERT_TRUE(test::waitFor([&] { return requests_ == 1; }, 20000));
  start->click();  // Stop
  EXPECT_EQ(start->text(), QStringLiteral("Start"));
  EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("1026"))->text(), QStringLiteral("0"));
  start->click();  // and Start again at once
  ASSERT_TRUE(test::waitFor([&] { return requests_ == 2; }, 20000));
  dialog.findChild<QPushButton*>(QStringLiteral("2"))->click();
  EXPECT_FALSE(dialog.isVisible());
  clock_.advance(3s);
  QApplication::processEvents();
  EXPECT_EQ(requests_, 2);
}

TEST(CompressorChooser, OffersTheCompressorsAndTheQualityOfThoseThatHaveOne) {
  CompressorDialog dialog({QStringLiteral("MJPG"), 7000});
  auto* list = dialog.findChild<QComboBox*>(QStringLiteral("compressor-list"));
  auto* quality = dialog.findChild<QSlider*>(QStringLiteral("compressor-quality"));
  EXPECT_EQ(list->itemData(0).toString(), QStringLiteral("MSVC"));
  EXPECT_EQ(list->currentData().toString(), QStringLiteral("MJPG"));
  EXPECT_TRUE(quality->isEnabled());
  EXPECT_EQ(dialog.choice(), CompressionOptions({QStringLiteral("MJPG"), 7000}));
  list->setCurrentIndex(list->findData(QStringLiteral("MSVC")));
  EXPECT_FALSE(quality->isEnabled());
  EXPECT_EQ(dialog.choice(), CompressionOptions({QStringLiteral("MSVC"), -1}));
}

TEST(RecorderDialogCompress, AChosenCompressorIsTestedBeforeItIsUsed) {
  test::TempHome home;
  QTemporaryDir dir;
  auto scripted = std::make_unique<ScriptedPrompter>();
  auto previous = installPrompter(std::move(scripted));
  CompressionSettings::replace(CompressionSettings::defaults());
  RecorderDialog::Hooks hooks;
  hooks.applySize = [](CaptureService::SizePreset) { return true; };
  hooks.streamRate = [] { return 25; };
  hooks.videoFolder = dir.filePath(QStringLiteral("Video"));
  RecorderDialog dialog(hooks);
  dialog.findChild<QPushButton*>(QStringLiteral("3"))->click();
  auto* chooser = dialog.findChild<CompressorDialog*>();
  ASSERT_NE(chooser, nullptr);
  auto* list = chooser->findChild<QComboBox*>(QStringLiteral("compressor-list"));
  list->setCurrentIndex(list->findData(QStringLiteral("HFYU")));
  chooser->accept();
  QApplication::processEvents();
  EXPECT_EQ(CompressionSettings::current().handler, QStringLiteral("HFYU"));
  EXPECT_FALSE(QFileInfo::exists(hooks.videoFolder + QStringLiteral("/test.avi")));
  // OK after choosing keeps the choice (no default test replaces it).
  dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
  EXPECT_EQ(CompressionSettings::current().handler, QStringLiteral("HFYU"));
  CompressionSettings::replace(CompressionSettings::defaults());
  installPrompter(std::move(previous));
}

}  // namespace
}  // namespace lumivex
