#include "measure/comparison_object.h"

#include "measure/geometry.h"

#include <QtMath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumivex {
namespace {

// Larger than any video area by far, small enough that every pixel computation stays in int.
constexpr double kMaxPixels = 100000.0;
constexpr int kRulerBand = 18;  // half of the 36-pixel band
constexpr int kArmGrip = 6;
constexpr int kRingGrip = 6;
constexpr int kGaugeArm = 200;

QString valueText(const char* prefix, double value, int decimals, const QString& unit) {
  return QString::fromLatin1(prefix) + QString::number(value, 'f', decimals) + unit;
}

void applyPen(ComparisonObject& object, const DrawingStyle& style) {
  object.penColor = style.lineColor;
  object.penWidth = style.lineWidth;
  object.penStyle = style.lineType;
  object.textColor = style.measureTextColor;
}

QPoint clampToArea(QPoint p) { return {std::clamp(p.x(), 0, kLiveWidth), std::clamp(p.y(), 0, kLiveHeight)}; }

double distanceToSegment(QPoint p, QPoint a, QPoint b) {
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p.x() - a.x()) * dx + (p.y() - a.y()) * dy) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x() - (a.x() + t * dx), p.y() - (a.y() + t * dy));
}

}  // namespace

std::optional<double> positiveValue(const QString& text) {
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value) || value <= 0) return std::nullopt;
  return value;
}

std::optional<int> pixelsOf(double length, double unitFactor, double rate) {
  if (!(unitFactor > 0) || !(rate > 0)) return std::nullopt;
  const double pixels = length / (unitFactor * 10.0 / rate);
  if (!std::isfinite(pixels) || pixels > kMaxPixels) return std::nullopt;
  return static_cast<int>(std::floor(pixels + 0.5));
}

double rulerReading(int pixels, double unitFactor, double rate) {
  const double value = pixels * unitFactor * 10.0 / rate;
  // A tiny epsilon keeps 1.0 computed as 0.99999... from losing its hundredths.
  const double cut = std::floor(value * 100.0 + 1e-7);
  if (static_cast<long long>(cut) % 10 == 0) return cut / 100.0;
  return std::floor(value * 100.0 + 0.5) / 100.0;
}

std::optional<ComparisonObject> makeRuler(QPoint a, QPoint b, double length, double unitFactor, double rate,
                                          int decimals, const QString& unit, const DrawingStyle& style) {
  const std::optional<int> pixels = pixelsOf(length, unitFactor, rate);
  if (!pixels || *pixels <= 0) return std::nullopt;
  ComparisonObject ruler;
  ruler.kind = ComparisonKind::Ruler;
  ruler.orientation = std::abs(b.x() - a.x()) > std::abs(b.y() - a.y()) ? 0 : 1;
  ruler.points = {a, ruler.orientation == 0 ? a + QPoint(*pixels, 0) : a + QPoint(0, *pixels)};
  ruler.values = {length, 0, 0};
  applyPen(ruler, style);
  // The label reads the drawn length back with the factor it was drawn with.
  ruler.labels = {valueText("L:", rulerReading(*pixels, unitFactor, rate), decimals, unit)};
  return ruler;
}

std::optional<QPoint> gaugeVertex(const QString& xText, const QString& yText) {
  bool okX = false, okY = false;
  const int x = xText.trimmed().toInt(&okX);
  const int y = yText.trimmed().toInt(&okY);
  // At X 640 the right arm would have no length (and no angle); at Y 0 the upper one.
  if (!okX || !okY || x < 1 || x > kLiveWidth - 1 || y < 1 || y > kLiveHeight) return std::nullopt;
  return QPoint(x, y);
}

ComparisonObject makeAngleGauge(QPoint vertex, const DrawingStyle& style) {
  ComparisonObject gauge;
  gauge.kind = ComparisonKind::AngleGauge;
  gauge.points = {vertex, QPoint(vertex.x(), std::max(0, vertex.y() - kGaugeArm)),
                  QPoint(std::min(kLiveWidth, vertex.x() + kGaugeArm), vertex.y())};
  applyPen(gauge, style);
  gauge.labels = {gaugeLabel(gauge)};
  return gauge;
}

QString gaugeLabel(const ComparisonObject& gauge) {
  if (gauge.points.size() < 3) return {};
  const QPoint v = gauge.points[0];
  const QPoint a = gauge.points[1] - v;
  const QPoint b = gauge.points[2] - v;
  double degrees = 0.0;
  if (a != QPoint() && b != QPoint()) {
    const double cross = static_cast<double>(a.x()) * b.y() - static_cast<double>(a.y()) * b.x();
    const double dot = static_cast<double>(a.x()) * b.x() + static_cast<double>(a.y()) * b.y();
    degrees = qRadiansToDegrees(std::atan2(std::abs(cross), dot));
  }
  return QString::asprintf("%.2f", degrees) + QChar(0x00B0);
}

std::optional<ComparisonObject> makeToleranceCircle(double radius, double plus, double minus, double unitFactor,
                                                    double rate, int decimals, const QString& unit,
                                                    const DrawingStyle& style) {
  if (!(radius > 0) || !(plus > 0) || !(minus > 0)) return std::nullopt;
  const std::optional<int> r = pixelsOf(radius, unitFactor, rate);
  const std::optional<int> rp = pixelsOf(plus, unitFactor, rate);
  const std::optional<int> rm = pixelsOf(minus, unitFactor, rate);
  if (!r || !rp || !rm) return std::nullopt;
  ComparisonObject circle;
  circle.kind = ComparisonKind::ToleranceCircle;
  circle.points = {QPoint(kLiveWidth / 2, kLiveHeight / 2)};
  circle.radii = {*r, *rp, *rm};
  circle.values = {radius, plus, minus};
  applyPen(circle, style);
  circle.labels = {valueText("R:", radius, decimals, unit), valueText("R+:", plus, decimals, unit),
                   valueText("R-:", minus, decimals, unit)};
  return circle;
}

std::optional<ComparisonHit> hitComparison(const QList<ComparisonObject>& objects, QPoint p) {
  for (int i = static_cast<int>(objects.size()) - 1; i >= 0; --i) {
    const ComparisonObject& o = objects[i];
    switch (o.kind) {
      case ComparisonKind::Ruler:
        if (o.points.size() == 2 && distanceToSegment(p, o.points[0], o.points[1]) <= kRulerBand)
          return ComparisonHit{i, -1};
        break;
      case ComparisonKind::AngleGauge:
        for (int arm = 1; arm <= 2 && arm < o.points.size(); ++arm) {
          if (distanceToSegment(p, o.points[0], o.points[arm]) <= kArmGrip) return ComparisonHit{i, arm};
        }
        break;
      case ComparisonKind::ToleranceCircle: {
        if (o.points.isEmpty()) break;
        const double d = pixelDistance(p, o.points[0]);
        const int outer = o.radii[0] + o.radii[1];
        if (d <= outer + kRingGrip) return ComparisonHit{i, -1};
        break;
      }
    }
  }
  return std::nullopt;
}

void dragComparison(ComparisonObject& object, int point, QPoint delta, QPoint to) {
  if (object.kind == ComparisonKind::AngleGauge && point > 0 && point < object.points.size()) {
    const QPoint end = clampToArea(to);
    // An arm of no length has no direction: the end stays where it was.
    if (end != object.points[0]) object.points[point] = end;
    object.labels = {gaugeLabel(object)};
    return;
  }
  // The whole object moves; it is kept where its anchor point stays in the area.
  const QPoint anchor = clampToArea(object.points[0] + delta);
  const QPoint shift = anchor - object.points[0];
  for (QPoint& p : object.points) p += shift;
  if (object.kind == ComparisonKind::AngleGauge) object.labels = {gaugeLabel(object)};
}

}  // namespace lumivex
