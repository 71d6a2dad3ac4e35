#pragma once

#include <QString>

#include <optional>

namespace lumivex {

struct MeasureShape;

// What a canvas controller asks of the window around it. The still canvas and the live view each give
// their own; tests give a scripted one.
class CanvasHost {
 public:
  virtual ~CanvasHost() = default;

  // The calibration dialog for the line just measured: the actual distance on OK, nothing on Cancel.
  // The canvas takes no input while it is open.
  virtual std::optional<double> askCalibrationDistance() = 0;
  // A calibration finished with OK; value is the new calibration for the scale box (the workspace is
  // told with 0x8006, the main window with 0x800d).
  virtual void calibrationMeasured(double value) = 0;
  // A warning box with the text of a language key.
  virtual void warn(const char* key, const QString& defaultText) = 0;
  // A tool cycle ended with this record finished (after its label was placed, if it is placed).
  virtual void shapeFinished(const MeasureShape& /*shape*/) {}
};

}  // namespace lumivex
