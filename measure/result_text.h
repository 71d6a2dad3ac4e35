#pragma once

#include <QString>
#include <QStringList>

namespace lumivex {

// Turns pixel distances and areas into the unit and formats the result texts. unitFactor is the length
// of one view pixel at magnification 10 (already scaled to the picture), rate the view's magnification.
struct UnitConversion {
  double unitFactor = 0.0;
  double rate = 1.0;
  int decimals = 3;
  QString unitName = QStringLiteral("mm");

  double length(double pixels) const;
  double area(double squarePixels) const;
  double circleArea(double radiusPixels) const;
  double girth(double radiusPixels) const;
  double diameterRadius(double diameterPixels) const;
  double diameterGirth(double diameterPixels) const;
  double arcLength(double degrees, double radiusPixels) const;

  // "%.*f" + unit with the conversion's decimals and unit.
  QString number(double value) const;
  QString lengthText(double pixels) const;   // "L:"
  QString segmentText(double pixels) const;  // no prefix
  QString totalText(double value) const;     // "T:", value already in the unit
  QString areaText(double value) const;      // "A:" ... "2", value already in the unit
  QString radiusText(double value) const;    // "R:"
  QString girthText(double value) const;     // "G:"
  QString widthText(double value) const;     // "W:"
  QString heightText(double value) const;    // "H:"
  QString arcText(double value) const;       // "Arc:"
};

// "%.2f" and the degree sign.
QString angleText(double degrees);
// "Angle:%.2f" and the degree sign.
QString arcAngleText(double degrees);

// The total of a continuous line: the sum of the numbers its segment texts start with.
double continuousTotal(const QStringList& segmentTexts);

}  // namespace lumivex
