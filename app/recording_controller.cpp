#include "app/recording_controller.h"

#include "app/main_controls.h"
#include "app/screen_controller.h"
#include "core/capture_service.h"
#include "core/control_ids.h"
#include "core/localisation.h"
#include "core/prompter.h"
#include "media/sound_player.h"
#include "widgets/latch_button.h"

#include <QWidget>

namespace lumivex {

RecordingController::RecordingController(QWidget& window, MainControls& controls, CaptureService& capture,
                                         SoundPlayer& sounds, ScreenController& screen)
    : window_(window),
      controls_(controls),
      capture_(capture),
      sounds_(sounds),
      screen_(screen),
      limitTimer_(&window),
      secondsTimer_(&window) {
  limitTimer_.setObjectName(QString::number(ids::kTimerRecordLimit));
  limitTimer_.setInterval(1000);
  QObject::connect(&limitTimer_, &QTimer::timeout, &window, [this] { onLimitTick(); });
  secondsTimer_.setObjectName(QString::number(ids::kTimerRecordSeconds));
  secondsTimer_.setInterval(1000);
  QObject::connect(&secondsTimer_, &QTimer::timeout, &window, [this] { onSecondTick(); });
}

void RecordingController::setRecording(bool recording) {
  recording_ = recording;
  controls_.latchButton(ids::kRecord)->setLatched(recording);
  if (!recording) {
    limitTimer_.stop();
    secondsTimer_.stop();
  }
  screen_.refreshToolTips();
}

void RecordingController::onRecordButton() {
  if (recording_) {
    stopByButton();
  } else {
    startWithDialog();
  }
}

void RecordingController::recordNow() {
  if (!recording_) startAtOnce();
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

// The recorder fills these in; until then a stop only releases the button and the timers.
void RecordingController::stopByButton() {
  setRecording(false);
  sounds_.play(ids::kSoundRecord);
}

void RecordingController::stopByKey() {
  setRecording(false);
  sounds_.play(ids::kSoundRecordEnd);
}

void RecordingController::stopAtTimeLimit() {
  setRecording(false);
  sounds_.play(ids::kSoundRecordEnd);
}

void RecordingController::stopQuietly() { setRecording(false); }

void RecordingController::startWithDialog() {}
void RecordingController::startAtOnce() {}
void RecordingController::openTimedCapture() {}
void RecordingController::onLimitTick() {}
void RecordingController::onSecondTick() {}

}  // namespace lumivex
