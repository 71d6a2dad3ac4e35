// The automatic micrometer calibration of the still workspace: a rectangle dragged over the graduations,
// the marks found drawn over the picture, the pitch asked, and the value stored the way a line
// calibration stores it.
#include "core/app_context.h"
#include "core/capture_state.h"
#include "core/localisation.h"
#include "core/prompter.h"
#include "measure/calibration_dialog.h"
#include "measure/calibration_state.h"
#include "measure/detection/cx_image_view.h"
#include "measure/detection/graduation_pitch.h"
#include "measure/measure_canvas.h"
#include "measure/micrometer_scale.h"
#include "workspace/image_workspace.h"
#include "workspace/micrometer_drag.h"

#include <QLineEdit>
#include <QTimer>

namespace lumivex {

void ImageWorkspace::startMicrometerCalibration() {
  beforeCommand();
  micrometer_.reset();
  setStatus("", {});
  calibrationPending_ = true;
  if (!deriveRateFor(RateForm::CalibrationStart)) return;
  calibrationPending_ = false;
  canvas_->setTool({ToolMode::NoTool, kMeasureFlagIdle});
  micrometer_ = std::make_unique<MicrometerDrag>(canvas_, [this](QRect region) {
    // Answered after the mouse event: the answer ends the drag that reports it.
    QTimer::singleShot(0, this, [this, region] { onMicrometerRegion(region); });
  });
  setStatus("MicrometerCalibration", QStringLiteral("Automatic micrometer calibration"));
}

void ImageWorkspace::onMicrometerRegion(QRect region) {
  if (!micrometer_) return;
  const QString title = LookupText("MsgTitle", 64, QStringLiteral("Lumivex"));
  const detection::GraduationPitch found =
      detection::measureGraduationPitch(detection::bgrViewOf(canvas_->picture()), region);
  if (!found.ok()) {
    micrometer_.reset();
    setStatus("", {});
    prompter().message(this, title,
                       LookupText("MicrometerNotFound", 128, QStringLiteral("No micrometer graduation found:")) +
                           QLatin1Char(' ') + detection::graduationQualityText(found),
                       MessageIcon::Warning, MessageButtons::Ok);
    return;
  }
  std::vector<MicrometerDrag::Mark> marks;
  for (const detection::GraduationMark& mark : found.marks) marks.push_back({QLineF(mark.from, mark.to), mark.used});
  micrometer_->showMarks(region, std::move(marks));

  const QString unit = calibrationState().unitName.text();
  std::optional<double> pitch;
  if (askMicrometerPitch_) {
    pitch = askMicrometerPitch_(this);
  } else {
    CalibrationDialog dialog(unit, this);
    dialog.setDistance(micrometerPitchInUnit(10.0, unit));
    if (dialog.exec() == QDialog::Accepted) pitch = dialog.actualDistance();
  }
  micrometer_.reset();
  setStatus("", {});
  if (!pitch || !(*pitch > 0)) return;

  const double sizeScale = rateSizeScale(pictureWidth_, pictureHeight_, captureState().highResolutionModel.load());
  const MicrometerCalibration c =
      micrometerCalibration(found.pitch, found.relativeUncertainty(),
                            canvas_->controller().unitFactor() / canvas_->zoom(), *pitch, sizeScale);
  onCalibrated(c.value);
  storeCalibrationUncertainty(edits_.at(1130)->text(), c.relativeUncertainty);
  canvas_->controller().setScaleUncertainty(
      calibrationUncertaintyInUse(edits_.at(1130)->text(), edits_.at(1132)->text()));
  prompter().message(this, title, micrometerConfirmation(c, *pitch / found.pitch, unit), MessageIcon::Information,
                     MessageButtons::Ok);
}

}  // namespace lumivex
