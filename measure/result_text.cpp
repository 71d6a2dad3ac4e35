#include "measure/result_text.h"

#include "measure/number_text.h"

#include <algorithm>
#include <cmath>

namespace lumivex {
namespace {

constexpr char16_t kDegree = u'\u00B0';

}  // namespace

double UnitConversion::length(double pixels) const { return pixels * unitFactor * 10 / rate; }

double UnitConversion::area(double squarePixels) const {
  return squarePixels * (unitFactor * unitFactor) * 100 / (rate * rate);
}

double UnitConversion::circleArea(double radiusPixels) const {
  return radiusPixels * radiusPixels * (unitFactor * unitFactor) * 314.15926 / (rate * rate);
}

double UnitConversion::girth(double radiusPixels) const { return radiusPixels * unitFactor * 62.831852 / rate; }

double UnitConversion::diameterRadius(double diameterPixels) const { return diameterPixels * unitFactor * 5 / rate; }

double UnitConversion::diameterGirth(double diameterPixels) const {
  return diameterPixels * unitFactor * 31.415926 / rate;
}

double UnitConversion::arcLength(double degrees, double radiusPixels) const {
  // 62.83 rather than 2 pi x 10: the stored results were always computed with it.
  return degrees * radiusPixels * unitFactor * 62.83 / (rate * 360);
}

std::optional<double> UnitConversion::uncertainty(double value, int scalePower, double fromPoints) const {
  if (!showUncertainty) return std::nullopt;
  double scalePart = 0.0;
  if (scalePower != 0) {
    if (!scaleUncertainty || !(*scaleUncertainty >= 0)) return std::nullopt;
    scalePart = scalePower * *scaleUncertainty * value;
  }
  return std::hypot(scalePart, fromPoints);
}

QString uncertaintyNumber(double u) {
  if (!(u > 0) || !std::isfinite(u)) return QStringLiteral("0");
  const int decimals = std::max(0, 1 - static_cast<int>(std::floor(std::log10(u))));
  return QString::number(u, 'f', decimals);
}

QString UnitConversion::number(double value, std::optional<double> u) const {
  QString text = QString::number(value, 'f', decimals) + unitName;
  if (u) text += QString::fromUtf16(kPlusMinus) + uncertaintyNumber(*u) + unitName;
  return text;
}
QString UnitConversion::lengthText(double pixels, std::optional<double> u) const {
  return QStringLiteral("L:") + number(length(pixels), u);
}
QString UnitConversion::segmentText(double pixels, std::optional<double> u) const { return number(length(pixels), u); }
QString UnitConversion::totalText(double value, std::optional<double> u) const {
  return QStringLiteral("T:") + number(value, u);
}
QString UnitConversion::areaText(double value, std::optional<double> u) const {
  QString text = QStringLiteral("A:") + number(value) + u'2';
  if (u) text += QString::fromUtf16(kPlusMinus) + uncertaintyNumber(*u) + unitName + u'2';
  return text;
}
QString UnitConversion::radiusText(double value, std::optional<double> u) const {
  return QStringLiteral("R:") + number(value, u);
}
QString UnitConversion::girthText(double value, std::optional<double> u) const {
  return QStringLiteral("G:") + number(value, u);
}
QString UnitConversion::widthText(double value, std::optional<double> u) const {
  return QStringLiteral("W:") + number(value, u);
}
QString UnitConversion::heightText(double value, std::optional<double> u) const {
  return QStringLiteral("H:") + number(value, u);
}
QString UnitConversion::arcText(double value, std::optional<double> u) const {
  return QStringLiteral("Arc:") + number(value, u);
}

QString angleText(double degrees, std::optional<double> u) {
  QString text = QString::number(degrees, 'f', 2) + kDegree;
  if (u) text += QString::fromUtf16(kPlusMinus) + uncertaintyNumber(*u) + kDegree;
  return text;
}

QString arcAngleText(double degrees, std::optional<double> u) {
  return QStringLiteral("Angle:") + angleText(degrees, u);
}

double continuousTotal(const QStringList& segmentTexts) {
  double sum = 0.0;
  for (const QString& text : segmentTexts) sum += leadingNumber(text);
  return sum;
}

}  // namespace lumivex
