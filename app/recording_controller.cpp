#include "app/recording_controller.h"

#include "app/main_controls.h"
#include "app/screen_controller.h"
#include "capture/recorder/compression_options.h"
#include "capture/recorder/compressor_probe.h"
#include "capture/recorder/recorder.h"
#include "capture/recorder/recorder_dialog.h"
#include "capture/recorder/video_naming.h"
#include "capture/timed/timed_capture_dialog.h"
#include "core/app_context.h"
#include "core/capture_state.h"
#include "core/control_ids.h"
#include "core/localisation.h"
#include "core/prompter.h"
#include "library/thumbnail_strip.h"
#include "media/sound_player.h"
#include "widgets/latch_button.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMetaObject>
#include <QWidget>

#include <algorithm>

namespace lumivex {

namespace {

const QString kAviCapture = QStringLiteral("AVI Capture");

// The stream header's frames per second for the rate class of the capture size.
int rateOfClass(int rateClass) {
  if (rateClass == 15) return 25;
  if (rateClass == 14) return 15;
  return 5;
}

bool samePath(const QString& a, const QString& b) {
  return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

}  // namespace

RecordingController::RecordingController(QWidget& window, MainControls& controls, CaptureService& capture,
                                         SoundPlayer& sounds, ScreenController& screen, AppContext& context,
                                         std::shared_ptr<Recorder> recorder)
    : window_(window),
      controls_(controls),
      capture_(capture),
      sounds_(sounds),
      screen_(screen),
      context_(context),
      recorder_(std::move(recorder)),
      clockMs_([] {
        static const QElapsedTimer since = [] {
          QElapsedTimer t;
          t.start();
          return t;
        }();
        return since.elapsed();
      }),
      limitTimer_(&window),
      secondsTimer_(&window) {
  limitTimer_.setObjectName(QString::number(ids::kTimerRecordLimit));
  limitTimer_.setInterval(1000);
  QObject::connect(&limitTimer_, &QTimer::timeout, &window, [this] { onLimitTick(); });
  secondsTimer_.setObjectName(QString::number(ids::kTimerRecordSeconds));
  secondsTimer_.setInterval(1000);
  QObject::connect(&secondsTimer_, &QTimer::timeout, &window, [this] { onSecondTick(); });
}

RecordingController::~RecordingController() { shutdown(); }

RecorderDialog* RecordingController::recorderDialog() const { return recorderDialog_.data(); }
TimedCaptureDialog* RecordingController::timedCaptureDialog() const { return timedDialog_.data(); }

QString RecordingController::videoFolder() const { return context_.folders().videoFolder(); }

QSize RecordingController::captureSize() const { return {captureState().width.load(), captureState().height.load()}; }

int RecordingController::streamRate() const { return rateOfClass(capture_.rateClass()); }

void RecordingController::showError(const QString& text) {
  prompter().message(&window_, kAviCapture, text, MessageIcon::Error, MessageButtons::Ok);
}

void RecordingController::setSeconds(int seconds) {
  seconds_ = seconds;
  capture_.setRecordingSeconds(seconds);
}

void RecordingController::onRecordButton() {
  if (recording_) {
    stopByButton();
  } else {
    startWithDialog();
  }
}

void RecordingController::recordNow() {
  if (!recording_ && (!connected_ || connected_())) startAtOnce();
}

void RecordingController::onStopKey() {
  if (recording_) stopByKey();
}

void RecordingController::onTimedCapture() {
  if (!controls_.isPreviewing() && !recording_) {
    prompter().message(&window_, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")),
                       LookupText("BrowseToCamera", 256, QStringLiteral("Please select a picture or video")),
                       MessageIcon::Warning, MessageButtons::Ok);
    return;
  }
  openTimedCapture();
}

void RecordingController::startWithDialog() {
  if (recorderDialog_) return;
  sounds_.play(ids::kSoundRecord);
  limitTimer_.stop();
  secondsTimer_.stop();
  limitReached_ = false;
  limit_ = kNoLimit;
  setSeconds(0);
  RecorderDialog::Hooks hooks;
  hooks.applySize = [this](CaptureService::SizePreset preset) { return capture_.applyCaptureSize(preset); };
  hooks.streamRate = [this] { return streamRate(); };
  hooks.highResolutionModel = captureState().highResolutionModel.load();
  hooks.videoFolder = videoFolder();
  auto* dialog = new RecorderDialog(std::move(hooks), &window_);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  recorderDialog_ = dialog;
  QObject::connect(dialog, &QDialog::accepted, &window_, [this, dialog] {
    limit_ = dialog->timeLimit().value_or(kNoLimit);
    capture_.stop();
    capture_.run();
    // The timer starts only once the file is open: a failed start counts no seconds and closes nothing.
    if (startRecording()) {
      enterRecording();
      limitTimer_.start(1000);
    }
  });
  dialog->open();
}

void RecordingController::startAtOnce() {
  sounds_.play(ids::kSoundRecord);
  // A limit tick still pending from an earlier recording would count these seconds too.
  limitTimer_.stop();
  secondsTimer_.stop();
  limitReached_ = false;
  setSeconds(0);
  limit_ = kNoLimit;
  CompressorProbe::testAndUse(videoFolder(), captureSize(), streamRate(), CompressionSettings::defaults());
  capture_.stop();
  capture_.run();
  if (startRecording()) {
    enterRecording();
    secondsTimer_.start(1000);
  }
}

bool RecordingController::startRecording() {
  closeFile();
  const QString folder = videoFolder();
  // Made when missing, as stills make theirs.
  if (folder.isEmpty() || !QDir().mkpath(folder)) {
    showError(QStringLiteral("Cannot create the video folder %1").arg(folder));
    return false;
  }
  // Only sub-folders named like a video are worth a box; recordings are what the counter counts.
  const QString path = VideoNaming::nextPath(folder, QDateTime::currentDateTime(), [this](const QString& name) {
    prompter().message(&window_, QStringLiteral("AVI Error"), name, MessageIcon::Error, MessageButtons::Ok);
  });
  RecordingFormat format;
  format.path = path;
  format.size = captureSize();
  format.rate = streamRate();
  format.options = CompressionSettings::current();
  const int generation = ++generation_;
  recorder_->setFailureListener([this, generation](const QString& reason) {
    // The encoder's thread: only post.
    QMetaObject::invokeMethod(
        &window_, [this, generation, reason] { onWriteFailure(generation, reason); }, Qt::QueuedConnection);
  });
  if (const QString error = recorder_->start(format); !error.isEmpty()) {
    showError(error);
    return false;
  }
  fileOpen_ = true;
  activePath_ = path;
  capture_.setFrameSink(recorder_);
  return true;
}

void RecordingController::closeFile(bool tellErrors) {
  if (!fileOpen_) return;
  fileOpen_ = false;
  capture_.setFrameSink(nullptr);
  const RecordingResult result = recorder_->close();
  activePath_.clear();
  ++generation_;  // a failure posted meanwhile belongs to a closed file
  if (result.listed()) controls_.strip()->AddRecordedVideo(result.path);
  if (tellErrors && !result.error.isEmpty()) {
    showError(LookupText("RecordStopped", 128, QStringLiteral("The recording was stopped:")) + QLatin1Char('\n') +
              result.error);
  }
}

void RecordingController::enterRecording() {
  recording_ = true;
  startedMs_ = clockMs_();
  controls_.latchButton(ids::kRecord)->setLatched(true);
  // Released while recording: the Preview command then closes the file rather than stopping the camera.
  controls_.latchButton(ids::kPreview)->setLatched(false);
  screen_.refreshToolTips();
}

void RecordingController::leaveRecording() {
  recording_ = false;
  controls_.latchButton(ids::kRecord)->setLatched(false);
  controls_.latchButton(ids::kPreview)->setLatched(true);
  screen_.refreshToolTips();
}

void RecordingController::stopByButton() {
  sounds_.play(ids::kSoundRecord);
  limitTimer_.stop();
  secondsTimer_.stop();
  limitReached_ = false;
  setSeconds(0);
  // No wait after stopping: stopping the pipeline returns once its streaming thread has left.
  capture_.stop();
  closeFile();
  leaveRecording();
  capture_.run();
  capture_.applyCaptureSize(CaptureService::SizePreset::Large);
}

void RecordingController::stopByKey() {
  sounds_.play(ids::kSoundRecordEnd);
  secondsTimer_.stop();
  limitTimer_.stop();
  limitReached_ = false;
  capture_.stop();
  closeFile();
  leaveRecording();
  capture_.run();
  setSeconds(0);
}

void RecordingController::stopForLostCamera() {
  if (!recording_) return;
  sounds_.play(ids::kSoundRecordEnd);
  secondsTimer_.stop();
  limitTimer_.stop();
  limitReached_ = false;
  closeFile();
  recording_ = false;
  controls_.latchButton(ids::kRecord)->setLatched(false);
  setSeconds(0);
  screen_.refreshToolTips();
}

void RecordingController::stopAtTimeLimit() {
  // Half a second more, then the last tick puts the large preset back; the Preview command closes now.
  limitTimer_.start(500);
  limitReached_ = true;
  if (previewCommand_) {
    previewCommand_();
  } else {
    stopQuietly();
  }
}

void RecordingController::stopQuietly() {
  if (!limitReached_) {
    limitTimer_.stop();
    secondsTimer_.stop();
    setSeconds(0);
  }
  closeFile();
  recording_ = false;
  controls_.latchButton(ids::kRecord)->setLatched(false);
  screen_.refreshToolTips();
}

int RecordingController::nextSecond() const {
  // One more per tick, but never behind the clock: a busy GUI thread misses ticks, and the count (and the
  // time limit with it) would then fall behind the file.
  const qint64 elapsed = startedMs_ >= 0 ? (clockMs_() - startedMs_) / 1000 : 0;
  return std::max<qint64>(seconds_ + 1, std::min<qint64>(elapsed, kNoLimit - 1));
}

void RecordingController::onLimitTick() {
  if (!limitReached_) {
    setSeconds(nextSecond());
    if (seconds_ >= limit_) stopAtTimeLimit();
  } else {
    sounds_.play(ids::kSoundRecordEnd);
    limitTimer_.stop();
    limitReached_ = false;
    capture_.applyCaptureSize(CaptureService::SizePreset::Large);
    setSeconds(0);
  }
}

void RecordingController::onSecondTick() { setSeconds(nextSecond()); }

void RecordingController::onWriteFailure(int generation, const QString& reason) {
  if (generation != generation_ || !recording_) return;
  // Ends like F4; closing the file tells the user why.
  (void)reason;
  stopByKey();
}

void RecordingController::shutdown() {
  limitTimer_.stop();
  secondsTimer_.stop();
  limitReached_ = false;
  delete timedDialog_.data();
  delete recorderDialog_.data();
  if (fileOpen_) closeFile(false);
  recording_ = false;
}

void RecordingController::openTimedCapture() {
  if (timedDialog_) {
    timedDialog_->raise();
    return;
  }
  TimedCaptureDialog::Hooks hooks;
  hooks.requestStill = [this] { capture_.requestStill(StillKind::Command); };
  hooks.frameBytes = [] {
    return static_cast<std::int64_t>(captureState().width.load()) * captureState().height.load() * 3;
  };
  hooks.highResolutionModel = captureState().highResolutionModel.load();
  hooks.videoFolder = videoFolder();
  hooks.videoMade = [this](const QString& path) { controls_.strip()->AddRecordedVideo(path); };
  auto* dialog = new TimedCaptureDialog(std::move(hooks), &window_);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  timedDialog_ = dialog;
  dialog->open();
}

void RecordingController::stillSaved(StillKind kind, const QString& path) {
  if (timedDialog_) timedDialog_->stillSaved(static_cast<int>(kind), path);
}

bool RecordingController::isFileInUse(const QString& path) const {
  if (fileOpen_ && samePath(path, activePath_)) return true;
  return samePath(path, CompressorProbe::scratchPath(videoFolder()));
}

}  // namespace lumivex
