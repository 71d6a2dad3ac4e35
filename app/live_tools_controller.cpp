#include "app/live_tools_controller.h"

#include "app/button_table.h"
#include "app/camera_controller.h"
#include "app/main_controls.h"
#include "app/video_area.h"
#include "core/app_context.h"
#include "core/app_events.h"
#include "core/capture_service.h"
#include "core/capture_state.h"
#include "core/control_ids.h"
#include "core/localisation.h"
#include "core/prompter.h"
#include "core/settings_store.h"
#include "measure/rate_derivation.h"
#include "measure/setting_dialog.h"
#include "measure/text_dialog.h"
#include "widgets/calibrate_prompt_dialog.h"
#include "widgets/latch_button.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QWidget>

namespace lumivex {

LiveToolsController::LiveToolsController(QWidget& window, MainControls& controls, CaptureService& capture,
                                         AppContext& context, const CameraController& camera)
    : window_(window),
      controls_(controls),
      capture_(capture),
      context_(context),
      camera_(camera),
      style_(loadDrawingStyle()),
      promptTimer_(&window) {
  // The text tool asks for its text in the text dialog, which also stores the text font and colour.
  hooks_.askText = [](QWidget* parent) -> std::optional<QString> {
    TextDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.text();
  };
  // The live view's rate comes from the magnification (1147) and the scale box (1200) at the capture size.
  hooks_.deriveRate = [this](QWidget* parent) { return deriveLiveRate(parent, RateForm::Normal); };
  QObject::connect(controls_.magnificationEdit(), &QLineEdit::textChanged, &window,
                   [this](const QString& text) { hooks_.magnificationChanged(text); });

  promptTimer_.setObjectName(QString::number(ids::kTimerStartupPrompt));
  promptTimer_.setSingleShot(true);
  promptTimer_.setInterval(100);
  QObject::connect(&promptTimer_, &QTimer::timeout, &window, [this] {
    promptTimer_.stop();
    context_.store().loadCalibratePrompt();
    if (context_.settings().calibratePrompt) postAppEvent<CalibratePromptEvent>(&window_);
  });
}

bool LiveToolsController::prepare(LiveTool tool) {
  hooks_.clearPendingInput();
  return !needsRate(tool) || hooks_.deriveRate(&window_);
}

void LiveToolsController::releaseToolButtons() {
  for (const ButtonDef& info : kButtonSpecs) {
    if (info.latch && info.tool != LiveTool::None) controls_.latchButton(info.id)->setLatched(false);
  }
}

void LiveToolsController::chooseTool(int buttonId) {
  const LiveTool tool = liveToolOf(buttonId);
  if (tool == LiveTool::None) return;
  if (latches(tool)) {
    chooseLatchingTool(buttonId, tool);
    return;
  }
  // Automatic and comparison tools are plain buttons: each press chooses the tool again.
  if (!prepare(tool)) return;
  releaseToolButtons();
  lineCalibrationMode_ = false;
  activeTool_ = tool;
  if (isAutomatic(tool)) {
    hooks_.requestMeasurementFrame();
    hooks_.clearPendingPoints();
  } else if (tool == LiveTool::AngleGauge) {
    hooks_.openAngleGauge(&window_);
  } else if (tool == LiveTool::ToleranceCircle) {
    hooks_.openToleranceCircle(&window_);
  }
}

void LiveToolsController::chooseLatchingTool(int buttonId, LiveTool tool) {
  if (!prepare(tool)) return;
  LatchButton* pressed = controls_.latchButton(buttonId);
  const bool wasLatched = pressed->isLatched();
  releaseToolButtons();
  activeTool_ = LiveTool::None;
  lineCalibrationMode_ = false;
  if (wasLatched) return;  // the second press switches the tool off
  pressed->setLatched(true);
  activeTool_ = tool;
  hooks_.requestMeasurementFrame();
  if (emptiesPendingPoints(tool)) hooks_.clearPendingPoints();
  if (tool == LiveTool::Text) chooseText();
}

void LiveToolsController::chooseText() {
  LatchButton* textButton = controls_.latchButton(ids::kToolText);
  const std::optional<QString> text = hooks_.askText(&window_);
  if (!text) {
    textButton->setLatched(false);
    activeTool_ = LiveTool::None;
  } else if (text->isEmpty()) {
    prompter().message(&window_, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")),
                       LookupText("InputText", 64, QStringLiteral("Please input text!")), MessageIcon::Warning,
                       MessageButtons::Ok);
    textButton->setLatched(false);
    activeTool_ = LiveTool::None;
  } else {
    hooks_.addLiveText(*text, lastCursor_);
  }
}

bool LiveToolsController::deriveLiveRate(QWidget* parent, RateForm form) {
  const RateInput input{controls_.magnificationEdit()->text(), controls_.calibrationEdit()->text(),
                        captureState().width.load(), captureState().height.load(),
                        captureState().highResolutionModel.load()};
  return deriveRate(parent, input, rate_, form);
}

void LiveToolsController::startLineCalibration() {
  hooks_.clearPendingInput();
  // The calibration is of the magnification typed in 1147: without one there is nothing to calibrate.
  if (!deriveLiveRate(&window_, RateForm::CalibrationStart)) return;
  releaseToolButtons();
  activeTool_ = LiveTool::ParallelLine;
  lineCalibrationMode_ = true;
  hooks_.requestMeasurementFrame();
}

void LiveToolsController::cancelTool() {
  hooks_.clearPendingInput();
  releaseToolButtons();
  activeTool_ = LiveTool::None;
  lineCalibrationMode_ = false;
  controls_.videoArea()->update();
}

void LiveToolsController::deleteAll() {
  hooks_.deleteAll();
  releaseToolButtons();
  activeTool_ = LiveTool::None;
  lineCalibrationMode_ = false;
  controls_.videoArea()->update();
}

void LiveToolsController::toggleCrossLine() {
  if (camera_.isConnected()) capture_.setCrosshair(!capture_.crosshair());
}

void LiveToolsController::toggleTimeStamp() {
  if (camera_.isConnected()) capture_.setTimeStamp(!capture_.timeStamp());
}

void LiveToolsController::toggleScale() {
  if (camera_.isConnected()) hooks_.toggleScale();
}

void LiveToolsController::toggleCircles() {
  if (camera_.isConnected()) hooks_.toggleCircles();
}

bool LiveToolsController::crossLine() const { return capture_.crosshair(); }

bool LiveToolsController::timeStamp() const { return capture_.timeStamp(); }

void LiveToolsController::openMeasureSettings() {
  auto* dialog = new SettingDialog(style_, &window_);  // owned by the window, deleted on close
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(dialog, &QDialog::accepted, &window_, [this, dialog] { style_ = dialog->style(); });
  dialog->open();
}

bool LiveToolsController::videoMouse(QMouseEvent* event, bool fullScreen) {
  if (!fullScreen) lastCursor_ = event->position().toPoint();
  const bool menu = event->type() == QEvent::MouseButtonPress && event->button() == Qt::RightButton && !fullScreen &&
                    !hooks_.isDrawing();
  if (!menu) hooks_.mouse(event);
  return menu;
}

void LiveToolsController::setCalibrationFields(const QString& magnification, double value) {
  controls_.magnificationEdit()->setText(magnification);
  controls_.calibrationEdit()->setText(calibrationText(value));
}

void LiveToolsController::startPromptTimer() { promptTimer_.start(); }

void LiveToolsController::showCalibratePrompt() {
  auto* dialog = new CalibratePromptDialog(context_.store(), &window_);  // owned by the window
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
}

void LiveToolsController::shutdown() {
  promptTimer_.stop();
  hooks_.deleteAll();
}

}  // namespace lumivex
