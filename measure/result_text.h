#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace lumivex {

// Turns pixel distances and areas into the unit and formats the result texts. unitFactor is the length
// of one view pixel at magnification 10 (already scaled to the picture), rate the view's magnification.
struct UnitConversion {
  double unitFactor = 0.0;
  double rate = 1.0;
  int decimals = 3;
  QString unitName = QStringLiteral("mm");
  // " ± u" after the results: off unless chosen, so every text stays exactly as it always was.
  bool showUncertainty = false;
  // The relative expanded uncertainty of the calibration in use; nullopt when unknown (a line
  // calibration, none at all): lengths and areas then get no " ± u", since it would claim too much.
  std::optional<double> scaleUncertainty = std::nullopt;
  // The expanded uncertainty of each coordinate of a clicked point, in view pixels.
  double pointUncertainty = 0.5;

  double length(double pixels) const;
  double area(double squarePixels) const;
  double circleArea(double radiusPixels) const;
  double girth(double radiusPixels) const;
  double diameterRadius(double diameterPixels) const;
  double diameterGirth(double diameterPixels) const;
  double arcLength(double degrees, double radiusPixels) const;

  // The expanded uncertainty of a result `value` (in the unit) that goes with the scale to the power
  // `scalePower` (1 lengths, 2 areas, 0 angles) and whose points contribute `fromPoints` (in the unit of
  // the value): the two combined in quadrature. nullopt when no " ± u" is to be shown.
  std::optional<double> uncertainty(double value, int scalePower, double fromPoints) const;

  // "%.*f" + unit with the conversion's decimals and unit, then " ± u" + unit when u is given.
  QString number(double value, std::optional<double> u = std::nullopt) const;
  QString lengthText(double pixels, std::optional<double> u = std::nullopt) const;   // "L:"
  QString segmentText(double pixels, std::optional<double> u = std::nullopt) const;  // no prefix
  QString totalText(double value, std::optional<double> u = std::nullopt) const;     // "T:", in the unit
  QString areaText(double value, std::optional<double> u = std::nullopt) const;      // "A:" ... "2"
  QString radiusText(double value, std::optional<double> u = std::nullopt) const;    // "R:"
  QString girthText(double value, std::optional<double> u = std::nullopt) const;     // "G:"
  QString widthText(double value, std::optional<double> u = std::nullopt) const;     // "W:"
  QString heightText(double value, std::optional<double> u = std::nullopt) const;    // "H:"
  QString arcText(double value, std::optional<double> u = std::nullopt) const;       // "Arc:"
};

// An uncertainty with two significant digits ("0.0034", "12"), as measurement uncertainties are given.
QString uncertaintyNumber(double u);
// The separator between a result and its uncertainty.
inline constexpr char16_t kPlusMinus[] = u" \u00B1 ";

// "%.2f" and the degree sign, then " ± u°" when u is given.
QString angleText(double degrees, std::optional<double> u = std::nullopt);
// "Angle:%.2f" and the degree sign.
QString arcAngleText(double degrees, std::optional<double> u = std::nullopt);

// The total of a continuous line: the sum of the numbers its segment texts start with.
double continuousTotal(const QStringList& segmentTexts);

}  // namespace lumivex
