#include "measure/result_text.h"

#include "measure/number_text.h"

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

QString UnitConversion::number(double value) const { return QString::number(value, 'f', decimals) + unitName; }
QString UnitConversion::lengthText(double pixels) const { return QStringLiteral("L:") + number(length(pixels)); }
QString UnitConversion::segmentText(double pixels) const { return number(length(pixels)); }
QString UnitConversion::totalText(double value) const { return QStringLiteral("T:") + number(value); }
QString UnitConversion::areaText(double value) const { return QStringLiteral("A:") + number(value) + u'2'; }
QString UnitConversion::radiusText(double value) const { return QStringLiteral("R:") + number(value); }
QString UnitConversion::girthText(double value) const { return QStringLiteral("G:") + number(value); }
QString UnitConversion::widthText(double value) const { return QStringLiteral("W:") + number(value); }
QString UnitConversion::heightText(double value) const { return QStringLiteral("H:") + number(value); }
QString UnitConversion::arcText(double value) const { return QStringLiteral("Arc:") + number(value); }

QString angleText(double degrees) { return QString::number(degrees, 'f', 2) + kDegree; }

QString arcAngleText(double degrees) { return QStringLiteral("Angle:") + angleText(degrees); }

double continuousTotal(const QStringList& segmentTexts) {
  double sum = 0.0;
  for (const QString& text : segmentTexts) sum += leadingNumber(text);
  return sum;
}

}  // namespace lumivex
