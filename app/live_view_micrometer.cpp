// The automatic micrometer calibration on the live picture: a rectangle dragged over the graduations on
// the measurement frame, the marks found shown, the pitch asked, and the value stored for the magnification
// in 1147 the way the live line calibration stores it (0x800d), with its uncertainty.
#include "app/live_micrometer.h"
#include "app/live_tools_controller.h"
#include "app/live_view.h"
#include "app/main_controls.h"
#include "core/app_events.h"
#include "core/capture_state.h"
#include "core/localisation.h"
#include "core/prompter.h"
#include "measure/calibration_state.h"
#include "measure/detection/cx_image_view.h"
#include "measure/detection/graduation_pitch.h"
#include "measure/micrometer_scale.h"
#include "measure/rate_derivation.h"

#include <QLineEdit>
#include <QTimer>
#include <QWidget>

namespace lumivex {

void LiveView::startMicrometerCalibration() {
  clearPendingInput();
  micrometer_.reset();
  // Stored under the magnification in 1147: without one there is nothing to calibrate.
  const RateInput input{controls_.magnificationEdit()->text(), controls_.calibrationEdit()->text(),
                        captureState().width.load(), captureState().height.load(),
                        captureState().highResolutionModel.load()};
  ViewRate scratch;
  if (!deriveRate(&window_, input, scratch, RateForm::CalibrationStart)) return;
  micrometer_ = std::make_unique<LiveMicrometer>();
  tools_.hooks().requestMeasurementFrame();
  publish();
}

void LiveView::handleMicrometerEvent(CanvasEvent event, CanvasButton button, QPoint p) {
  if (button == CanvasButton::Right && event == CanvasEvent::Press && !micrometer_->measuring()) {
    micrometer_.reset();
    return;
  }
  std::optional<QRect> region;
  if (event == CanvasEvent::Press && button == CanvasButton::Left) region = micrometer_->press(p);
  if (event == CanvasEvent::Move) micrometer_->move(p);
  if (event == CanvasEvent::Release && button == CanvasButton::Left) region = micrometer_->release(p);
  // Answered after the mouse event: the dialogs must not run inside the release that ends the drag.
  if (region) QTimer::singleShot(0, &window_, [this, r = *region] { measureMicrometer(r); });
}

void LiveView::measureMicrometer(QRect videoRegion) {
  if (!micrometer_) return;
  const QString title = LookupText("MsgTitle", 64, QStringLiteral("Lumivex"));
  const QString notFound = LookupText("MicrometerNotFound", 128, QStringLiteral("No micrometer graduation found:"));
  if (!frame_.IsValid()) {
    micrometer_.reset();
    publish();
    prompter().message(&window_, title, notFound + QStringLiteral(" no picture"), MessageIcon::Warning,
                       MessageButtons::Ok);
    return;
  }
  const QSize frameSize(static_cast<int>(frame_.GetWidth()), static_cast<int>(frame_.GetHeight()));
  const detection::GraduationPitch found =
      detection::measureGraduationPitch(detection::bgrViewOf(frame_), frameRegionOf(videoRegion, frameSize));
  if (!found.ok()) {
    micrometer_.reset();
    publish();
    prompter().message(&window_, title, notFound + QLatin1Char(' ') + detection::graduationQualityText(found),
                       MessageIcon::Warning, MessageButtons::Ok);
    return;
  }
  std::vector<LiveMicrometer::Mark> marks;
  for (const detection::GraduationMark& mark : found.marks) {
    marks.push_back({QLineF(videoPointOf(mark.from, frameSize), videoPointOf(mark.to, frameSize)), mark.used});
  }
  micrometer_->showMarks(videoRegion, std::move(marks));
  publish();

  const QString unit = knownUnit(calibrationState().unitName.text());
  const std::optional<double> pitch = askers_.micrometerPitch(&window_, unit);
  micrometer_.reset();
  publish();
  if (!pitch || !(*pitch > 0)) return;

  // One frame pixel is the unit's length at the reference rate: the video pixel's over the frame's columns.
  const double factorPerFramePixel = canvas_.unitFactor() * kLiveWidth / frameSize.width();
  const double sizeScale = rateSizeScale(captureState().width.load(), captureState().height.load(),
                                         captureState().highResolutionModel.load());
  const MicrometerCalibration c =
      micrometerCalibration(found.pitch, found.relativeUncertainty(), factorPerFramePixel, *pitch, sizeScale);
  if (!(c.value > 0)) return;
  // Stored by the window on 0x800d, as a line calibration is; the confirmation follows the store.
  pendingCalibration_ = c.value;
  pendingUncertainty_ = c.relativeUncertainty;
  pendingConfirmation_ = micrometerConfirmation(c, *pitch / found.pitch, unit);
  postAppEvent<LiveCalibrationDoneEvent>(&window_);
}

}  // namespace lumivex
