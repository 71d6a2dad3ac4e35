#include "measure/micrometer_scale.h"

#include "core/app_context.h"
#include "measure/calibration_file.h"
#include "measure/rate_derivation.h"
#include "measure/units.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cmath>

namespace lumivex {

MicrometerCalibration micrometerCalibration(double pitchPixels, double pitchRelativeUncertainty, double factorPerPixel,
                                            double pitch, double sizeScale) {
  MicrometerCalibration c;
  if (!(pitchPixels > 0) || !(factorPerPixel > 0) || !(pitch > 0) || !(sizeScale > 0)) return c;
  // A line of pitchPixels picture pixels read as `pitch`: the line calibration's v, exactly.
  c.value = lineCalibrationValue(pitchPixels, factorPerPixel, pitch, sizeScale);
  // The stored value keeps one decimal: its rounding is uniform over +-0.05, 95 % of it within 0.0475.
  const double rounding = 0.0475 / c.value;
  c.relativeUncertainty = std::hypot(pitchRelativeUncertainty, rounding);
  return c;
}

double micrometerPitchInUnit(double micrometres, const QString& unit) {
  const QString u = knownUnit(unit);
  if (u == u"cm") return micrometres / 10000.0;
  if (u == u"mil") return micrometres / 25.4;
  if (u == u"inch") return micrometres / 25400.0;
  return micrometres / 1000.0;
}

namespace {

QString significant(double value, int digits) {
  if (!(value > 0) || !std::isfinite(value)) return QStringLiteral("0");
  const int magnitude = static_cast<int>(std::floor(std::log10(value)));
  return QString::number(value, 'f', std::max(0, digits - 1 - magnitude));
}

}  // namespace

QString micrometerConfirmation(const MicrometerCalibration& calibration, double unitsPerPixel, const QString& unit) {
  return QStringLiteral("%1 %2/px \u00b1 %3 %")
      .arg(significant(unitsPerPixel, 4), knownUnit(unit), significant(100.0 * calibration.relativeUncertainty, 2));
}

QString calibrationUncertaintyFile(const QString& calibrationFile) {
  return QFileInfo(calibrationFile).absoluteDir().filePath(QStringLiteral("CalibrationUncertainty.ini"));
}

std::optional<double> lookupCalibrationUncertainty(const QString& path, const QString& magnification) {
  const std::optional<QString> text = lookupCalibration(path, magnification);
  if (!text) return std::nullopt;
  bool ok = false;
  const double value = text->trimmed().toDouble(&ok);
  if (!ok || !(value > 0) || !std::isfinite(value)) return std::nullopt;
  return value;
}

WriteResult storeCalibrationUncertainty(const QString& path, const QString& magnification,
                                        std::optional<double> relative) {
  // Nothing to forget in a file that was never written.
  if (!relative && !QFileInfo::exists(path)) return WriteResult{};
  return storeCalibration(path, magnification, relative ? QString::number(*relative, 'g', 4) : QString());
}

std::optional<double> lookupCalibrationUncertainty(const QString& magnification) {
  if (!AppContext::exists()) return std::nullopt;
  return lookupCalibrationUncertainty(calibrationUncertaintyFile(AppContext::current().paths().calibrationFile()),
                                      magnification);
}

std::optional<double> calibrationUncertaintyInUse(const QString& magnification, const QString& calibrationValue) {
  if (!AppContext::exists() || magnification.trimmed().isEmpty()) return std::nullopt;
  const std::optional<QString> stored = lookupCalibration(magnification);
  bool ok = false, okStored = false;
  const double inUse = calibrationValue.trimmed().toDouble(&ok);
  const double value = stored ? stored->trimmed().toDouble(&okStored) : 0.0;
  if (!ok || !okStored || inUse != value || !(value > 0)) return std::nullopt;
  return lookupCalibrationUncertainty(magnification);
}

WriteResult storeCalibrationUncertainty(const QString& magnification, std::optional<double> relative) {
  if (!AppContext::exists()) return WriteResult::failure(ENOENT);
  return storeCalibrationUncertainty(calibrationUncertaintyFile(AppContext::current().paths().calibrationFile()),
                                     magnification, relative);
}

}  // namespace lumivex
