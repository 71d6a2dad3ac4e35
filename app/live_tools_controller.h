#pragma once

#include "app/live_measure_hooks.h"
#include "measure/drawing_style.h"
#include "measure/live_tool.h"
#include "measure/rate_derivation.h"

#include <QPoint>
#include <QTimer>

class QMouseEvent;
class QWidget;

namespace lumivex {

class AppContext;
class CameraController;
class CaptureService;
class MainControls;

// The live view's tools as the main window drives them: which tool is active (ActiveTool) and the latch
// rules of the tool buttons, the comparison tools, line calibration, cancel and delete all, undo and
// redo, the video-area overlays, the drawing style and its dialog, the magnification and scale edits, and
// the calibrate-before-measuring prompt (timer 1006, 0x8007). The live measurement state itself is
// reached through hooks(): the live view fills them in.
class LiveToolsController {
 public:
  LiveToolsController(QWidget& window, MainControls& controls, CaptureService& capture, AppContext& context,
                      const CameraController& camera);

  LiveMeasureHooks& hooks() { return hooks_; }
  LiveTool activeTool() const { return activeTool_; }
  bool lineCalibrationMode() const { return lineCalibrationMode_; }
  // The live view's reference rate and rate, as the last successful deriveRate left them.
  const ViewRate& rate() const { return rate_; }
  // The process's pen, colours and fonts for live shapes.
  const DrawingStyle& style() const { return style_; }
  // The last cursor position over the video area in the normal window (where a text tool puts its text).
  QPoint lastCursor() const { return lastCursor_; }

  // A tool button (1179-1194, 1205, the automatic and comparison tools).
  void chooseTool(int buttonId);
  // 1197: the parallel-line tool in calibration mode.
  void startLineCalibration();
  // 1273 (video-area menu) and 409.
  void cancelTool();
  void deleteAll();
  void undo() { hooks_.undo(); }
  void redo() { hooks_.redo(); }

  // Video-area menu switches; all four change nothing while not connected.
  void toggleCrossLine();
  void toggleTimeStamp();
  void toggleScale();
  void toggleCircles();
  bool crossLine() const;
  bool timeStamp() const;

  // 1198: the pen, font and unit settings.
  void openMeasureSettings();

  // A mouse event of the video area, handed to the live view. True for a right press that belongs to the
  // video-area menu instead (normal window, no shape being drawn).
  bool videoMouse(QMouseEvent* event, bool fullScreen);

  // 0x800c: the workspace's magnification and calibration, shown in edits 1147 and 1200.
  void setCalibrationFields(const QString& magnification, double value);
  // 0x800d.
  void onLiveCalibrationDone() { hooks_.liveCalibrationDone(); }
  // Timer 1006 once at start: posts 0x8007 when the stored flag asks for the prompt.
  void startPromptTimer();
  // 0x8007.
  void showCalibratePrompt();

  // The window closes: every live shape goes.
  void shutdown();

 private:
  // Every tool choice starts here: pending input cleared, the rate derived where the tool needs one.
  bool prepare(LiveTool tool);
  bool deriveLiveRate(QWidget* parent, RateForm form);
  void releaseToolButtons();
  void chooseLatchingTool(int buttonId, LiveTool tool);
  void chooseText();

  QWidget& window_;
  MainControls& controls_;
  CaptureService& capture_;
  AppContext& context_;
  const CameraController& camera_;
  LiveMeasureHooks hooks_;
  DrawingStyle style_;
  ViewRate rate_;
  QTimer promptTimer_;  // 1006
  LiveTool activeTool_ = LiveTool::None;
  bool lineCalibrationMode_ = false;
  QPoint lastCursor_;
};

}  // namespace lumivex
