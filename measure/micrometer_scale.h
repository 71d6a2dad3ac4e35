#pragma once

#include "core/atomic_file.h"

#include <QString>

#include <optional>

namespace lumivex {

// A calibration from a stage micrometer's graduation: the value a line calibration over one pitch would
// store, and its relative expanded uncertainty (about 95 %), the value's rounding to one decimal
// included.
struct MicrometerCalibration {
  double value = 0.0;
  double relativeUncertainty = 0.0;
};

// `pitchPixels` picture pixels between marks measured with `pitchRelativeUncertainty`; `factorPerPixel`
// the unit's length of one picture pixel at the reference rate (the canvas's unitFactor over its zoom);
// `pitch` the graduation pitch in the current unit; `sizeScale` as for a line calibration.
MicrometerCalibration micrometerCalibration(double pitchPixels, double pitchRelativeUncertainty, double factorPerPixel,
                                            double pitch, double sizeScale);

// A length in micrometres in the unit ("mm", "cm", "mil", "inch"; anything else counts as mm).
double micrometerPitchInUnit(double micrometres, const QString& unit);

// "0.0005002 mm/px ± 0.03 %": the scale with four significant digits and the uncertainty with two.
QString micrometerConfirmation(const MicrometerCalibration& calibration, double unitsPerPixel, const QString& unit);

// The relative uncertainty of the calibration of each magnification, in CalibrationUncertainty.ini beside
// CalibrationIni.ini (same layout: "[20]" then "20=0.00034"). A magnification without an entry, or
// with an empty one, has an unknown uncertainty: files written before the micrometer calibration, and
// every line calibration (which clears the entry), read so.
QString calibrationUncertaintyFile(const QString& calibrationFile);
std::optional<double> lookupCalibrationUncertainty(const QString& path, const QString& magnification);
WriteResult storeCalibrationUncertainty(const QString& path, const QString& magnification,
                                        std::optional<double> relative);
// The same beside AppContext::current().paths().calibrationFile(); nothing happens without a context.
std::optional<double> lookupCalibrationUncertainty(const QString& magnification);
WriteResult storeCalibrationUncertainty(const QString& magnification, std::optional<double> relative);

// The uncertainty of the calibration a view measures with: the one kept for the magnification, but only
// while the scale box still holds the value stored with it (a value typed in has none). Needs a context.
std::optional<double> calibrationUncertaintyInUse(const QString& magnification, const QString& calibrationValue);

}  // namespace lumivex
