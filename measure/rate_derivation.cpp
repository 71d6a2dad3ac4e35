#include "measure/rate_derivation.h"

#include "core/localisation.h"
#include "core/prompter.h"
#include "measure/calibration_state.h"
#include "measure/number_text.h"
#include "measure/result_text.h"

#include <QFileInfo>

namespace lumivex {

double rateSizeScale(int width, int height, bool highResolutionModel) {
  if (highResolutionModel) return width == 640 && height == 480 ? 0.4 : 1.0;
  if (width == 320 && height == 240) return 0.25;
  if (width == 640 && height == 480) return 0.5;
  return 1.0;
}

std::optional<RateResult> computeRate(const RateInput& input, RateForm form) {
  // A negative magnification or calibration would turn every result negative; it counts as none.
  double m = leadingNumber(input.magnificationText);
  double c = leadingNumber(input.calibrationValue);
  if (m < 0) m = 0;
  if (c < 0) c = 0;
  const int w = input.width;
  const int h = input.height;
  const bool hr = input.highResolutionModel;

  RateResult result;
  if (c != 0) {
    if (form == RateForm::CalibrationStart) {
      // A calibration is relative to the plain magnification; without one it would divide by zero.
      if (m == 0) return std::nullopt;
      result.referenceRate = m;
    } else {
      result.referenceRate = c;
    }
    result.rate = result.referenceRate * rateSizeScale(w, h, hr);
    return result;
  }
  if (m == 0) return std::nullopt;

  if (hr && w == 640 && h == 480) {
    result.referenceRate = m > 20 ? m - 7.5 : m;
    const double r = 0.4 * m;
    result.rate = r > 5 ? r - 3 : r;
  } else if (hr && w == 1280 && h == 960) {
    result.referenceRate = m > 20 ? m - 3 : m;
    result.rate = m > 10 ? m - 3 : m;
  } else if (!hr && w == 320 && h == 240) {
    result.referenceRate = m > 20 ? m - 12 : m;
    const double r = 0.25 * m;
    result.rate = r > 5 ? r - 3 : r;
  } else if (!hr && w == 640 && h == 480) {
    result.referenceRate = m > 20 ? m - 6 : m;
    const double r = 0.5 * m;
    result.rate = r > 10 ? r - 3 : r;
  } else {
    result.referenceRate = m > 20 ? m - 3 : m;
    result.rate = m > 20 ? m - 3 : m;
  }
  return result;
}

bool deriveRate(QWidget* parent, const RateInput& input, ViewRate& view, RateForm form) {
  const std::optional<RateResult> result = computeRate(input, form);
  if (!result) {
    prompter().message(parent, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")),
                       LookupText("EnterRate", 128, QStringLiteral("Please input the zoomIn scale!")),
                       MessageIcon::Warning, MessageButtons::Ok);
    return false;
  }
  view = *result;
  return true;
}

double lineCalibrationValue(double pixels, double unitFactor, double actualDistance, double sizeScale) {
  return pixels * unitFactor * 10 / (actualDistance * sizeScale);
}

LineCalibrationResult finishLineCalibration(double pixels, double unitFactor, std::optional<double> actualDistance,
                                            double sizeScale, ViewRate& view) {
  const CalibrationState& state = calibrationState();
  LineCalibrationResult result;
  if (actualDistance && *actualDistance > 0 && sizeScale > 0 && pixels > 0) {
    const double v = lineCalibrationValue(pixels, unitFactor, *actualDistance, sizeScale);
    view.referenceRate = v;
    result.calibrated = true;
    result.calibrationValue = v;
  }
  view.referenceRate *= sizeScale;
  if (view.referenceRate != 0) {
    const UnitConversion conversion{unitFactor, view.referenceRate, state.decimals, state.unitName.text()};
    result.label = conversion.lengthText(pixels);
  }
  return result;
}

QString calibrationText(double value) { return QString::number(value, 'f', 1); }

QString magnificationFromFileName(const QString& path) {
  QString name = QFileInfo(path).fileName();
  if (name.size() < 4) return {};
  name.chop(4);
  const qsizetype underscore = name.indexOf(u'_');
  if (underscore < 0) return {};
  QString rest = name.mid(underscore + 1);
  if (rest.size() < 6) return {};
  rest.chop(6);
  const qsizetype last = rest.lastIndexOf(u'_');
  if (last < 0) return {};
  const QString tail = rest.mid(last);
  if (tail.size() < 2 || !tail.endsWith(u'X')) return {};
  return tail.mid(1, tail.size() - 2);
}

}  // namespace lumivex
