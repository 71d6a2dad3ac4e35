// The roads into and out of a recording, driven through the real main window with a fake capture side
// and a fake recorder; the timers are fired by hand.
#include "app/recording_controller.h"
#include "app/camera_controller.h"
#include "app/files_controller.h"
#include "app/main_controls.h"
#include "app/main_window.h"
#include "app/video_area.h"
#include "capture/recorder/compression_options.h"
#include "capture/recorder/fake_recorder.h"
#include "capture/recorder/recorder_dialog.h"
#include "capture/timed/timed_capture_dialog.h"
#include "core/app_context.h"
#include "core/app_events.h"
#include "core/capture_state.h"
#include "core/control_ids.h"
#include "core/scripted_prompter.h"
#include "library/media_commands.h"
#include "library/thumbnail_strip.h"
#include "media/sound_player.h"
#include "tests/app/fake_capture_service.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/temp_home.h"
#include "widgets/latch_button.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace lumivex {
namespace {

using Result = CaptureService::ConnectResult;
using Preset = CaptureService::SizePreset;

class RecordingTest : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    captureState().width = 1600;
    captureState().height = 1200;
    captureState().highResolutionModel = true;
    CompressionSettings::replace(CompressionSettings::defaults());
  }

  MainWindow& open(Result result = Result::Connected) {
    createWindow({.result = result, .fakeRecorder = true, .frameDib = {}});
    window_->sounds().setPlayListener([this](int id) { sounds_.push_back(id); });
    window_->show();
    return *window_;
  }

  RecordingController& recording() { return window_->recording(); }
  void key(Qt::Key k) { QTest::keyClick(static_cast<QWidget*>(window_->controls().videoArea()), k); }
  QTimer* timer(int id) { return window_->findChild<QTimer*>(QString::number(id)); }
  bool latched(int id) { return window_->controls().latchButton(id)->isLatched(); }
  int videosListed() { return window_->controls().strip()->videos().count(); }
  // A frame reaching the recorder through the frame path, as the capture thread would hand it over.
  void frame() {
    ASSERT_TRUE(capture_->sink);
    const std::vector<std::uint8_t> pixels(1600 * 1200 * 3, 0x40);
    capture_->sink->writeFrame(pixels.data(), 1600, 1200, 1600 * 3, 0);
  }
  RecorderDialog* recorderDialog() { return recording().recorderDialog(); }
  // Opens the recorder dialog with the AVI button and presses OK with a limit (or none).
  void startWithDialog(std::optional<int> limit) {
    window_->dispatchCommand(ids::kRecord);
    RecorderDialog* dialog = recorderDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QCheckBox*>(QStringLiteral("1105"))->setChecked(limit.has_value());
    if (limit) dialog->findChild<QLineEdit*>(QStringLiteral("1106"))->setText(QString::number(*limit));
    dialog->findChild<QPushButton*>(QStringLiteral("1"))->click();
    QApplication::processEvents();
  }

  std::vector<int> sounds_;
};

TEST_F(RecordingTest, F3RecordsAtOnceAndF4StopsKeepingTheSize) {
  open();
  capture_->rateClassValue = 15;
  const int stopsBefore = capture_->stops;
  key(Qt::Key_F3);
  ASSERT_TRUE(recording().isRecording());
  EXPECT_EQ(sounds_, std::vector<int>({ids::kSoundRecord}));
  ASSERT_EQ(recorder_->starts.size(), 1u);
  const RecordingFormat& format = recorder_->starts.front();
  EXPECT_EQ(format.size, QSize(1600, 1200));
  EXPECT_EQ(format.rate, 25);  // rate class 15
  EXPECT_EQ(format.options.handler, QStringLiteral("MSVC"));
  EXPECT_TRUE(QFileInfo(format.path).fileName().startsWith(QLatin1String("Video_")));
  EXPECT_TRUE(format.path.endsWith(QLatin1String("_N0001.avi")));
  EXPECT_EQ(capture_->stops, stopsBefore + 1);  // stopped and run again before the file opens
  EXPECT_TRUE(capture_->running);
  EXPECT_TRUE(latched(ids::kRecord));
  EXPECT_FALSE(latched(ids::kPreview));
  EXPECT_TRUE(timer(ids::kTimerRecordSeconds)->isActive());
  EXPECT_FALSE(timer(ids::kTimerRecordLimit)->isActive());
  EXPECT_EQ(recording().timeLimit(), RecordingController::kNoLimit);

  frame();
  for (int i = 1; i <= 3; ++i) recording().onSecondTick();
  EXPECT_EQ(capture_->seconds, 3);

  const int sizes = capture_->sizeRequests();
  key(Qt::Key_F4);
  EXPECT_FALSE(recording().isRecording());
  EXPECT_EQ(sounds_.back(), ids::kSoundRecordEnd);
  EXPECT_EQ(recorder_->closes, 1);
  EXPECT_EQ(capture_->sink, nullptr);
  EXPECT_EQ(capture_->sizeRequests(), sizes);  // F4 keeps the size
  EXPECT_EQ(capture_->seconds, 0);
  EXPECT_FALSE(timer(ids::kTimerRecordSeconds)->isActive());
  EXPECT_FALSE(latched(ids::kRecord));
  EXPECT_TRUE(latched(ids::kPreview));
  EXPECT_TRUE(capture_->running);
  EXPECT_EQ(videosListed(), 1);
}

TEST_F(RecordingTest, F3IsIgnoredWithoutACameraOrWhileRecording) {
  open(Result::Failed);
  window_->dispatchCommand(ids::kAccelRecordNow);
  EXPECT_FALSE(recording().isRecording());
  EXPECT_TRUE(recorder_->starts.empty());
  EXPECT_TRUE(sounds_.empty());
}

// A 3-second limit: the third tick runs the Preview command, which closes the file; half a second later
// the last tick sounds 182 and puts the large preset back.
TEST_F(RecordingTest, TheTimeLimitClosesThroughPreviewThenRestoresTheLargePreset) {
  open();
  startWithDialog(3);
  ASSERT_TRUE(recording().isRecording());
  EXPECT_EQ(recording().timeLimit(), 3);
  QTimer* limit = timer(ids::kTimerRecordLimit);
  EXPECT_TRUE(limit->isActive());
  EXPECT_EQ(limit->interval(), 1000);
  EXPECT_FALSE(timer(ids::kTimerRecordSeconds)->isActive());
  frame();
  const int largeBefore = capture_->sizePresets[2];
  sounds_.clear();

  recording().onLimitTick();
  recording().onLimitTick();
  EXPECT_TRUE(recording().isRecording());
  EXPECT_EQ(capture_->seconds, 2);
  recording().onLimitTick();  // the limit
  EXPECT_FALSE(recording().isRecording());
  EXPECT_EQ(recorder_->closes, 1);
  EXPECT_EQ(videosListed(), 1);
  EXPECT_TRUE(latched(ids::kPreview));  // the Preview command latched it and ran the graph
  EXPECT_TRUE(capture_->running);
  EXPECT_TRUE(limit->isActive());
  EXPECT_EQ(limit->interval(), 500);
  EXPECT_TRUE(sounds_.empty());
  EXPECT_EQ(capture_->sizePresets[2], largeBefore);

  recording().onLimitTick();  // half a second later
  EXPECT_EQ(sounds_, std::vector<int>({ids::kSoundRecordEnd}));
  EXPECT_FALSE(limit->isActive());
  EXPECT_EQ(capture_->sizePresets[2], largeBefore + 1);
  EXPECT_EQ(capture_->seconds, 0);
}

TEST_F(RecordingTest, ThePendingLimitTickNeverSpeedsUpTheNextRecordingsCount) {
  open();
  startWithDialog(1);
  recording().onLimitTick();  // closes; 1002 waits 500 ms for its last tick
  ASSERT_TRUE(timer(ids::kTimerRecordLimit)->isActive());
  key(Qt::Key_F3);
  ASSERT_TRUE(recording().isRecording());
  EXPECT_FALSE(timer(ids::kTimerRecordLimit)->isActive());
  EXPECT_TRUE(timer(ids::kTimerRecordSeconds)->isActive());
  EXPECT_EQ(capture_->seconds, 0);
}

TEST_F(RecordingTest, MissedTicksNeverLeaveTheCountOrTheLimitBehindTheClock) {
  open();
  qint64 now = 50'000;
  recording().setClock([&now] { return now; });
  startWithDialog(10);
  ASSERT_TRUE(recording().isRecording());

  // A tick on time counts one second; ticks that come early never count twice.
  now += 1'000;
  recording().onLimitTick();
  EXPECT_EQ(capture_->seconds, 1);
  // The GUI thread was busy for six seconds: the next tick catches up with the clock at once.
  now += 6'000;
  recording().onLimitTick();
  EXPECT_EQ(capture_->seconds, 7);
  EXPECT_TRUE(recording().isRecording());
  // Three seconds later the limit ends the file on time, not three ticks late.
  now += 3'000;
  recording().onLimitTick();
  EXPECT_FALSE(recording().isRecording());
  EXPECT_EQ(recorder_->closes, 1);
}

TEST_F(RecordingTest, TheSecondsOfAnUnlimitedRecordingFollowTheClockToo) {
  open();
  qint64 now = 0;
  recording().setClock([&now] { return now; });
  key(Qt::Key_F3);
  ASSERT_TRUE(recording().isRecording());
  now += 400;  // an early tick still counts its own second
  recording().onSecondTick();
  EXPECT_EQ(capture_->seconds, 1);
  now += 4'700;
  recording().onSecondTick();
  EXPECT_EQ(capture_->seconds, 5);
  key(Qt::Key_F4);
  EXPECT_EQ(capture_->seconds, 0);
}

TEST_F(RecordingTest, TheAviButtonStopsWithItsSoundAndTheLargePreset) {
  open();
  startWithDialog(std::nullopt);
  ASSERT_TRUE(recording().isRecording());
  EXPECT_EQ(recording().timeLimit(), RecordingController::kNoLimit);
  frame();
  recording().onLimitTick();
  sounds_.clear();
  const int largeBefore = capture_->sizePresets[2];
  window_->dispatchCommand(ids::kRecord);
  EXPECT_FALSE(recording().isRecording());
  EXPECT_EQ(sounds_, std::vector<int>({ids::kSoundRecord}));
  EXPECT_EQ(capture_->sizePresets[2], largeBefore + 1);
  EXPECT_FALSE(timer(ids::kTimerRecordLimit)->isActive());
  EXPECT_EQ(capture_->seconds, 0);
  EXPECT_FALSE(latched(ids::kRecord));
  EXPECT_TRUE(latched(ids::kPreview));
  EXPECT_EQ(videosListed(), 1);
}

TEST_F(RecordingTest, PreviewWhileRecordingOnlyCloses) {
  open();
  key(Qt::Key_F3);
  recording().onSecondTick();
  sounds_.clear();
  const int sizes = capture_->sizeRequests();
  window_->dispatchCommand(ids::kPreview);
  EXPECT_FALSE(recording().isRecording());
  EXPECT_TRUE(sounds_.empty());
  EXPECT_EQ(capture_->sizeRequests(), sizes);
  EXPECT_TRUE(latched(ids::kPreview));
  EXPECT_TRUE(capture_->running);
  // The seconds no longer count over a picture that is not recorded.
  EXPECT_FALSE(timer(ids::kTimerRecordSeconds)->isActive());
  EXPECT_EQ(capture_->seconds, 0);
  EXPECT_EQ(videosListed(), 0);  // no frame: nothing left, nothing listed
}

TEST_F(RecordingTest, AFailedStartSaysWhyAndStartsNoTimer) {
  open();
  recorder_->refuseWith = QStringLiteral("Unsupport compressed format (Invalid argument)");
  startWithDialog(10);
  EXPECT_FALSE(recording().isRecording());
  EXPECT_FALSE(timer(ids::kTimerRecordLimit)->isActive());
  EXPECT_FALSE(latched(ids::kRecord));
  EXPECT_TRUE(latched(ids::kPreview));
  ASSERT_FALSE(prompts_->records().empty());
  EXPECT_EQ(prompts_->records().back().title, QStringLiteral("AVI Capture"));
  EXPECT_EQ(prompts_->records().back().icon, MessageIcon::Error);
  EXPECT_EQ(prompts_->records().back().text, recorder_->refuseWith);
  EXPECT_EQ(videosListed(), 0);

  prompts_->clearRecords();
  key(Qt::Key_F3);
  EXPECT_FALSE(recording().isRecording());
  EXPECT_FALSE(timer(ids::kTimerRecordSeconds)->isActive());
  EXPECT_EQ(prompts_->records().size(), 1u);
}

TEST_F(RecordingTest, AWriteErrorEndsTheRecordingLikeF4AndSaysWhy) {
  open();
  key(Qt::Key_F3);
  frame();
  sounds_.clear();
  recorder_->failWrite(QStringLiteral("No space left on device"));  // on the encoder's thread: posted
  EXPECT_TRUE(recording().isRecording());
  QApplication::processEvents();
  EXPECT_FALSE(recording().isRecording());
  EXPECT_EQ(sounds_, std::vector<int>({ids::kSoundRecordEnd}));
  EXPECT_EQ(videosListed(), 1);  // what was written is kept
  ASSERT_FALSE(prompts_->records().empty());
  EXPECT_EQ(prompts_->records().back().title, QStringLiteral("AVI Capture"));
  EXPECT_TRUE(prompts_->records().back().text.contains(QLatin1String("No space left on device")));
}

TEST_F(RecordingTest, ALostCameraClosesTheRecordingCompleteAndListed) {
  MainWindow& window = open();
  key(Qt::Key_F3);
  frame();
  capture_->results = {Result::Failed};
  window.camera().onDeviceChange(DeviceChange::Removed);
  EXPECT_FALSE(recording().isRecording());
  EXPECT_EQ(recorder_->closes, 1);
  EXPECT_EQ(videosListed(), 1);
  EXPECT_FALSE(timer(ids::kTimerRecordSeconds)->isActive());
  EXPECT_FALSE(window.camera().isConnected());
  // Not connected: F3 does nothing.
  window.dispatchCommand(ids::kAccelRecordNow);
  EXPECT_FALSE(recording().isRecording());
}

TEST_F(RecordingTest, ClosingTheProgramClosesQuietlyAndChangesNoSize) {
  open();
  startWithDialog(1);
  recording().onLimitTick();  // the limit closed the file; the large preset is half a second away
  key(Qt::Key_F3);
  frame();
  const int sizes = capture_->sizeRequests();
  sounds_.clear();
  window_->close();
  QApplication::processEvents();
  EXPECT_FALSE(recording().isRecording());
  EXPECT_EQ(recorder_->closes, 2);
  EXPECT_FALSE(timer(ids::kTimerRecordLimit)->isActive());
  EXPECT_EQ(capture_->sizeRequests(), sizes);
  EXPECT_TRUE(sounds_.empty());
}

TEST_F(RecordingTest, TheRecorderDialog) {
  open();
  capture_->sizeAccepted = false;  // 640 x 480 refused
  window_->dispatchCommand(ids::kRecord);
  RecorderDialog* dialog = recorderDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(capture_->sizePresets[0], 1);  // 640 x 480 on the high-resolution model
  auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("1"));
  auto* compress = dialog->findChild<QPushButton*>(QStringLiteral("3"));
  auto* sizes = dialog->findChild<QComboBox*>(QStringLiteral("1232"));
  EXPECT_FALSE(ok->isEnabled());
  EXPECT_FALSE(compress->isEnabled());
  EXPECT_EQ(sizes->count(), 3);
  EXPECT_EQ(sizes->itemText(2), QStringLiteral("1600*1200"));
  EXPECT_EQ(sizes->currentIndex(), 0);
  capture_->sizeAccepted = true;
  sizes->setCurrentIndex(1);
  Q_EMIT sizes->activated(1);
  EXPECT_EQ(capture_->sizePresets[1], 1);
  EXPECT_TRUE(ok->isEnabled());

  // 1106 is checked only while 1105 is; 1104 always.
  auto* limitOn = dialog->findChild<QCheckBox*>(QStringLiteral("1105"));
  auto* limit = dialog->findChild<QLineEdit*>(QStringLiteral("1106"));
  auto* rate = dialog->findChild<QLineEdit*>(QStringLiteral("1104"));
  EXPECT_EQ(rate->text(), QStringLiteral("15"));
  EXPECT_EQ(limit->text(), QStringLiteral("10"));
  EXPECT_TRUE(limitOn->isChecked());
  limit->setText(QStringLiteral("0"));
  ok->click();
  EXPECT_FALSE(recording().isRecording());
  EXPECT_EQ(prompts_->records().back().text, QStringLiteral("Please enter an integer between 1 and 99999."));
  limitOn->setChecked(false);
  EXPECT_FALSE(limit->isEnabled());
  rate->setText(QStringLiteral("31"));
  ok->click();
  EXPECT_EQ(prompts_->records().back().text, QStringLiteral("Please enter an integer between 1 and 30."));
  rate->setText(QStringLiteral("30"));
  ok->click();
  QApplication::processEvents();
  EXPECT_TRUE(recording().isRecording());
  EXPECT_EQ(recording().timeLimit(), RecordingController::kNoLimit);
}

TEST_F(RecordingTest, CancelEscAndClosingTheRecorderDialogPutTheLargePresetBack) {
  open();
  const std::function<void(RecorderDialog*)> ways[] = {
      [](RecorderDialog* d) { d->findChild<QPushButton*>(QStringLiteral("2"))->click(); },
      [](RecorderDialog* d) { QTest::keyClick(d, Qt::Key_Escape); },
      [](RecorderDialog* d) { d->close(); },
  };
  capture_->sizeAccepted = false;  // even when 640 x 480 failed, the dialog can be left
  int expectedLarge = capture_->sizePresets[2];
  for (const auto& leave : ways) {
    window_->dispatchCommand(ids::kRecord);
    ASSERT_NE(recorderDialog(), nullptr);
    leave(recorderDialog());
    QApplication::processEvents();
    EXPECT_EQ(capture_->sizePresets[2], ++expectedLarge);
    EXPECT_EQ(recorderDialog(), nullptr);
    EXPECT_FALSE(recording().isRecording());
    EXPECT_FALSE(timer(ids::kTimerRecordLimit)->isActive());
  }
}

// Linux lets a program delete an open file: the strip must not delete the video being recorded.
TEST_F(RecordingTest, DeleteAllLeavesTheRecordingAloneAndSaysSo) {
  open();
  const QString videos = AppContext::current().folders().videoFolder();
  ASSERT_TRUE(QDir().mkpath(videos));
  const QString old = videos + QStringLiteral("/Video_2024-01-01_000000_N0001.avi");
  ASSERT_TRUE(test::writeBytes(old, QByteArray(100, 'x')));
  ThumbnailStrip* strip = window_->controls().strip();
  strip->ScanFolders(AppContext::current().folders().pictureFolder(), videos);
  key(Qt::Key_F3);
  const QString active = recorder_->starts.back().path;
  ASSERT_TRUE(QFileInfo::exists(active));
  window_->dispatchCommand(ids::kVideoFolder);
  strip->shownList().setCurrent(0);
  prompts_->push(MessageAnswer::Yes);
  window_->dispatchCommand(ids::kDeleteAllFiles);
  EXPECT_FALSE(QFileInfo::exists(old));
  EXPECT_TRUE(QFileInfo::exists(active));
  EXPECT_TRUE(prompts_->records().back().text.contains(QFileInfo(active).fileName()));
  EXPECT_TRUE(recording().isFileInUse(active));
  EXPECT_TRUE(recording().isFileInUse(videos + QStringLiteral("/test.avi")));
  EXPECT_FALSE(recording().isFileInUse(old));
}

// The Timer command opens dialog 145; the stills the series asks for are saved as the Camera command's
// are and collected by the dialog.
TEST_F(RecordingTest, TheTimedCaptureDialogTakesStillsThroughTheCaptureService) {
  open();
  capture_->frameDib = test::dibOf(640, 480);
  window_->dispatchCommand(ids::kTimer);
  TimedCaptureDialog* dialog = recording().timedCaptureDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("1080"))->text(), QStringLiteral("  24.00"));
  dialog->findChild<QLineEdit*>(QStringLiteral("1025"))->setText(QStringLiteral("2"));
  dialog->findChild<QPushButton*>(QStringLiteral("1015"))->click();  // starts now: the first at once
  ASSERT_TRUE(QTest::qWaitFor([&] { return capture_->stills == 1; }, 20000));
  EXPECT_EQ(capture_->lastStillKind, StillKind::Command);
  postAppEvent<StillReadyEvent>(window_.get(), StillKind::Command);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->controller().stills().size() == 1; }, 20000));
  EXPECT_TRUE(dialog->controller().stills().front().contains(QLatin1String("Still_")));
  EXPECT_EQ(dialog->findChild<QPushButton*>(QStringLiteral("1015"))->text(), QStringLiteral("Stop"));
  dialog->findChild<QPushButton*>(QStringLiteral("2"))->click();
  QApplication::processEvents();
  EXPECT_EQ(recording().timedCaptureDialog(), nullptr);
}

}  // namespace
}  // namespace lumivex
