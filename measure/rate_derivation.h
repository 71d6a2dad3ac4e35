#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace lumivex {

// What a view knows when it derives its rate: the magnification and scale box texts and the picture (or
// capture) size with the capture's high-resolution flag.
struct RateInput {
  QString magnificationText;
  QString calibrationValue;
  int width = 640;
  int height = 480;
  bool highResolutionModel = false;
};

// CalibrationStart is the form a line calibration begins with: a stored calibration is set aside and the
// plain magnification becomes the reference.
enum class RateForm { Normal, CalibrationStart };

struct RateResult {
  double referenceRate = 0.0;
  double rate = 0.0;
};

// The size scale a calibrated reference rate is multiplied by (0.4, 0.25, 0.5 or 1).
double rateSizeScale(int width, int height, bool highResolutionModel);

// The arithmetic alone. nullopt when no magnification is usable: neither text holds a positive number,
// or a calibration starts without a magnification to calibrate.
std::optional<RateResult> computeRate(const RateInput& input, RateForm form = RateForm::Normal);

// The form the windows call: on success sets calibrationState().referenceRate and rate and returns true;
// on failure shows "Please input the zoomIn scale!" (EnterRate) and changes nothing.
bool deriveRate(QWidget* parent, const RateInput& input, double& rate, RateForm form = RateForm::Normal);

// Line calibration, after the user has measured a line of `pixels` view pixels and entered the actual
// distance (nullopt when the dialog was cancelled). Sets referenceRate and lastCalibration on OK, scales
// referenceRate by the size scale either way, and returns the line's label text.
struct LineCalibrationResult {
  bool calibrated = false;
  double calibrationValue = 0.0;  // v, valid when calibrated
  QString label;                  // "L:..." from the new reference rate
};
double lineCalibrationValue(double pixels, double unitFactor, double rate, double actualDistance, double referenceRate);
LineCalibrationResult finishLineCalibration(double pixels, double unitFactor, double rate,
                                            std::optional<double> actualDistance, double sizeScale);

// "%.1f" of a calibration value, the form the scale box and the calibration file hold.
QString calibrationText(double value);

// The magnification text of a still picture's file name ("Still_2014-05-06_101112_100X_N0008.jpg" gives
// "100"), or an empty text when the name does not carry one.
QString magnificationFromFileName(const QString& path);

}  // namespace lumivex
