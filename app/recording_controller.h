#pragma once

#include <QTimer>

class QWidget;

namespace lumivex {

class CaptureService;
class MainControls;
class ScreenController;
class SoundPlayer;

// Recording and timed capture as the main window drives them: the AVI button (1006), F3 and F4, the
// timer button (1007), and the two recording timers, 1002 (time limit) and 1005 (recorded seconds).
// A recording ends by one of four roads, each its own method because each ends differently: the button
// (sound 180), F4 (sound 182), the time limit (sound 182, from timer 1002), and quietly when the preview
// is switched off or the window closes.
class RecordingController {
 public:
  RecordingController(QWidget& window, MainControls& controls, CaptureService& capture, SoundPlayer& sounds,
                      ScreenController& screen);

  bool isRecording() const { return recording_; }
  // The recorder reports here when a recording starts or ends: the AVI button follows, the timers stop.
  void setRecording(bool recording);

  // 1006: the recorder dialog while idle, the button's stop while recording.
  void onRecordButton();
  // F3: records at once without the dialog or a time limit; ignored while recording.
  void recordNow();
  // F4: ignored while not recording.
  void onStopKey();
  // 1007: the timed-capture dialog, allowed only while previewing or recording.
  void onTimedCapture();

  // The four ends of a recording.
  void stopByButton();
  void stopByKey();
  void stopAtTimeLimit();
  void stopQuietly();

 private:
  // Where a recording starts: through the recorder dialog (time limit, file name) or at once (F3).
  void startWithDialog();
  void startAtOnce();
  void openTimedCapture();
  void onLimitTick();
  void onSecondTick();

  QWidget& window_;
  MainControls& controls_;
  [[maybe_unused]] CaptureService& capture_;  // the recorder's frame sink and seconds overlay
  SoundPlayer& sounds_;
  ScreenController& screen_;
  QTimer limitTimer_;    // 1002
  QTimer secondsTimer_;  // 1005
  bool recording_ = false;
};

}  // namespace lumivex
