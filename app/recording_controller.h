#pragma once

#include "core/capture_service.h"

#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <limits>
#include <memory>

class QWidget;

namespace lumivex {

class AppContext;
class MainControls;
class Recorder;
class RecorderDialog;
class ScreenController;
class SoundPlayer;
class TimedCaptureDialog;
struct RecordingResult;

// Recording and timed capture as the main window drives them: the AVI button (1006), F3 and F4, the
// timer button (1007), and the two recording timers, 1002 (time limit) and 1005 (recorded seconds).
// A recording starts through the recorder dialog or at once (F3) and ends by one of its own roads, each
// a method of its own because each ends differently: the button (sound 180, large preset), F4 (sound
// 182, size kept), the time limit (through the Preview command, then sound 182 and the large preset half
// a second later), a write error or a lost camera (as F4, and says why), and quietly when the preview is
// switched on, a video is opened, or the window closes. While recording, Preview is released, so the
// Preview command closes the file instead of stopping the camera.
class RecordingController {
 public:
  RecordingController(QWidget& window, MainControls& controls, CaptureService& capture, SoundPlayer& sounds,
                      ScreenController& screen, AppContext& context, std::shared_ptr<Recorder> recorder);
  ~RecordingController();

  // Filled in by the main window: whether a camera is connected (F3 is ignored otherwise), and the
  // Preview command (1014), which the time limit runs.
  void setConnectedQuery(std::function<bool()> connected) { connected_ = std::move(connected); }
  void setPreviewCommand(std::function<void()> preview) { previewCommand_ = std::move(preview); }

  bool isRecording() const { return recording_; }
  // Recorded seconds shown on the video area (0 hides them).
  int seconds() const { return seconds_; }
  // The time limit in force: seconds, or kNoLimit.
  int timeLimit() const { return limit_; }
  static constexpr int kNoLimit = std::numeric_limits<int>::max();

  // 1006: the recorder dialog while idle, the button's stop while recording.
  void onRecordButton();
  // F3: records at once without the dialog or a time limit; ignored while recording or not connected.
  void recordNow();
  // F4: ignored while not recording.
  void onStopKey();
  // 1007: the timed-capture dialog, allowed only while previewing or recording.
  void onTimedCapture();

  // The ends of a recording.
  void stopByButton();
  void stopByKey();
  void stopAtTimeLimit();
  void stopForLostCamera();
  // Preview switched on while recording, or the window closing: closes the file and lists it, nothing
  // else (the capture size and CapConfig.dat stay as they are).
  void stopQuietly();
  // For whoever needs the file finished now (opening a video in the player): the same quiet close.
  void closeRecording() { stopQuietly(); }
  // The window closes: timers off, the recording closed quietly, the dialogs gone.
  void shutdown();

  // 0x8001 saved a still (a timed series collects its own).
  void stillSaved(StillKind kind, const QString& path);
  // The strip must not delete the file being recorded or the compressor's scratch file.
  bool isFileInUse(const QString& path) const;

  RecorderDialog* recorderDialog() const;
  // The monotonic clock the recorded seconds catch up with, in milliseconds (tests put in their own).
  void setClock(std::function<qint64()> clockMs) { clockMs_ = std::move(clockMs); }
  TimedCaptureDialog* timedCaptureDialog() const;

  // What timers 1002 and 1005 do when they expire (tests drive them by hand).
  void onLimitTick();
  void onSecondTick();

 private:
  void startWithDialog();
  void startAtOnce();
  // Opens the file; on failure says why ("AVI Capture") and returns false.
  bool startRecording();
  // Ends the file: no more frames, written out, listed when it holds a frame; a write error is told.
  void closeFile(bool tellErrors = true);
  void enterRecording();
  void leaveRecording();
  void openTimedCapture();
  void onWriteFailure(int generation, const QString& reason);
  void setSeconds(int seconds);
  int nextSecond() const;
  void showError(const QString& text);
  QString videoFolder() const;
  QSize captureSize() const;
  int streamRate() const;

  QWidget& window_;
  MainControls& controls_;
  CaptureService& capture_;
  SoundPlayer& sounds_;
  ScreenController& screen_;
  AppContext& context_;
  std::shared_ptr<Recorder> recorder_;
  std::function<bool()> connected_;
  std::function<void()> previewCommand_;
  std::function<qint64()> clockMs_;
  QTimer limitTimer_;    // 1002
  QTimer secondsTimer_;  // 1005
  bool recording_ = false;
  bool fileOpen_ = false;
  bool limitReached_ = false;  // the limit closed the file; the next tick of 1002 finishes
  int seconds_ = 0;
  int limit_ = kNoLimit;
  qint64 startedMs_ = -1;  // when the file opened, on clockMs_
  int generation_ = 0;     // of the recording whose write errors count
  QString activePath_;
  QPointer<RecorderDialog> recorderDialog_;
  QPointer<TimedCaptureDialog> timedDialog_;
};

}  // namespace lumivex
