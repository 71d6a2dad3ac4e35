#pragma once

#include "measure/drawing_style.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

namespace lumivex {

// The comparison aids drawn over the live video and compared by eye with the specimen.
enum class ComparisonKind { Ruler = 1, AngleGauge = 2, ToleranceCircle = 3 };

// One comparison object. Points: ruler start and end; gauge vertex, upper arm end, right arm end;
// tolerance circle centre. Labels are formatted when the object is made or changed.
struct ComparisonObject {
  ComparisonKind kind = ComparisonKind::Ruler;
  QList<QPoint> points;
  std::array<int, 3> radii{};      // tolerance circle: nominal, plus and minus, in video pixels
  std::array<double, 3> values{};  // ruler: length; tolerance circle: radius, plus, minus (the unit's)
  int orientation = 0;             // ruler: 0 horizontal, 1 vertical
  std::uint32_t penColor = kRed;
  int penWidth = 1;
  int penStyle = kPenSolid;
  std::uint32_t textColor = kRed;
  QStringList labels;

  bool operator==(const ComparisonObject&) const = default;
};

// The live area the objects stay in (video coordinates).
inline constexpr int kLiveWidth = 640;
inline constexpr int kLiveHeight = 480;

// A length typed into a comparison dialog: a positive finite number, nothing otherwise.
std::optional<double> positiveValue(const QString& text);

// Pixel length of a real length at d = unitFactor x 10 / rate, rounded half up; nothing when it is not
// a usable pixel count (zero, or far beyond any screen).
std::optional<int> pixelsOf(double length, double unitFactor, double rate);

// The ruler from two clicks: horizontal from a to the right when the clicks differ more horizontally,
// else vertical downwards. Its label reads the drawn pixel length back with the same unit factor.
std::optional<ComparisonObject> makeRuler(QPoint a, QPoint b, double length, double unitFactor, double rate,
                                          int decimals, const QString& unit, const DrawingStyle& style);
// "L:" value of a ruler: rounded to hundredths half up, except that a value whose hundredths digit is 0
// is cut to it.
double rulerReading(int pixels, double unitFactor, double rate);

// The angle gauge's vertex as typed: integers X 1..639 and Y 1..480 (both arms then have a length).
std::optional<QPoint> gaugeVertex(const QString& x, const QString& y);
ComparisonObject makeAngleGauge(QPoint vertex, const DrawingStyle& style);
// The angle between the gauge's arms, "%.2f°".
QString gaugeLabel(const ComparisonObject& gauge);

// The tolerance circle centred in the live area; nothing unless all three values are positive and
// give usable pixel radii.
std::optional<ComparisonObject> makeToleranceCircle(double radius, double plus, double minus, double unitFactor,
                                                    double rate, int decimals, const QString& unit,
                                                    const DrawingStyle& style);

// What a left click hits: an object and its part (-1 the whole object, else the index of a gauge arm
// end that follows the mouse).
struct ComparisonHit {
  int object = -1;
  int point = -1;
};
// The newest object hit at p: a 36-pixel band along a ruler, 6 pixels along a gauge arm, the rings or
// the inside of a tolerance circle.
std::optional<ComparisonHit> hitComparison(const QList<ComparisonObject>& objects, QPoint p);
// Moves the part hit by delta (a gauge arm end is set to `to`, never onto the vertex), kept in the area.
void dragComparison(ComparisonObject& object, int point, QPoint delta, QPoint to);

}  // namespace lumivex
