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

// The rate a view measures with and the reference rate of its own last derivation. Each view (the live
// view, every workspace canvas) keeps one: a calibration spans two user actions, and a tool chosen in
// another view meanwhile must not change the reference this one was started with.
struct RateResult {
  double referenceRate = 0.0;
  double rate = 0.0;
};
using ViewRate = RateResult;

// The size scale a calibrated reference rate is multiplied by (0.4, 0.25, 0.5 or 1).
double rateSizeScale(int width, int height, bool highResolutionModel);

// The arithmetic alone. nullopt when no magnification is usable: neither text holds a positive number,
// or a calibration starts without a magnification to calibrate.
std::optional<RateResult> computeRate(const RateInput& input, RateForm form = RateForm::Normal);

// The form the windows call: on success sets the view's reference rate and rate and returns true; on
// failure shows "Please input the zoomIn scale!" (EnterRate) and changes nothing.
bool deriveRate(QWidget* parent, const RateInput& input, ViewRate& view, RateForm form = RateForm::Normal);

// Line calibration, after the user has measured a line of `pixels` view pixels and entered the actual
// distance (nullopt when the dialog was cancelled). On OK the view's reference rate becomes the new
// calibration value; either way it is then scaled by the size scale, and the line's label is formatted
// from it with the process-wide decimals and unit.
struct LineCalibrationResult {
  bool calibrated = false;
  double calibrationValue = 0.0;  // v, valid when calibrated
  QString label;                  // "L:..." from the new reference rate
};
// v = p x unitFactor x 10 / (actual x s): the value whose rate (v x s) reads the line as `actual`. It
// equals the older form p x unitFactor x 10 / rate / actual x referenceRate wherever the calibration
// start's rate was its reference times s; where the rate table subtracted from one but not the other
// (high-resolution 640 x 480 at 12.5 < m <= 20, 1280 x 960 at 10 < m <= 20), that form read a 2 mm
// reference back as 1.25 mm.
double lineCalibrationValue(double pixels, double unitFactor, double actualDistance, double sizeScale);
LineCalibrationResult finishLineCalibration(double pixels, double unitFactor, std::optional<double> actualDistance,
                                            double sizeScale, ViewRate& view);

// "%.1f" of a calibration value, the form the scale box and the calibration file hold.
QString calibrationText(double value);

// The magnification text of a still picture's file name ("Still_2014-05-06_101112_100X_N0008.jpg" gives
// "100"), or an empty text when the name does not carry one.
QString magnificationFromFileName(const QString& path);

}  // namespace lumivex
