#include "measure/shape_builder.h"

#include "measure/detection/detect_line_fit.h"
#include "measure/number_text.h"
#include "measure/result_uncertainty.h"

#include <cmath>
#include <functional>
#include <optional>

namespace lumivex {
namespace {

using Points = std::vector<QPointF>;

MeasureShape record(ShapeKind kind, QList<QPoint> points, QStringList labels) {
  MeasureShape shape;
  shape.kind = kind;
  shape.points = std::move(points);
  shape.labels = std::move(labels);
  return shape;
}

// The uncertainty of the result `formula` gives (in the unit) from clicked points; nullopt when none is
// shown, without evaluating anything.
std::optional<double> clicked(const UnitConversion& units, int scalePower, const PointFormula& formula,
                              const Points& points) {
  if (!units.showUncertainty) return std::nullopt;
  return units.uncertainty(formula(points), scalePower, propagatedSpread(formula, points, units.pointUncertainty));
}

double length(const UnitConversion& units, QPointF a, QPointF b) { return units.length(pixelDistance(a, b)); }

// Area, radius and girth of a circle whose radius in pixels the formula gives.
QStringList circleTexts(double radiusPixels, const UnitConversion& units,
                        const std::function<double(const Points&)>& radius, const Points& points) {
  return {units.areaText(units.circleArea(radiusPixels),
                         clicked(
                             units, 2, [&](const Points& p) { return units.circleArea(radius(p)); }, points)),
          units.radiusText(units.length(radiusPixels),
                           clicked(
                               units, 1, [&](const Points& p) { return units.length(radius(p)); }, points)),
          units.girthText(units.girth(radiusPixels),
                          clicked(
                              units, 1, [&](const Points& p) { return units.girth(radius(p)); }, points))};
}

// The same for a radius known with an uncertainty of its own (a fitted circle), in pixels.
QStringList circleTexts(double radiusPixels, const UnitConversion& units, std::optional<double> radiusUncertainty) {
  auto u = [&](double value, int power, double fromRadius) {
    return radiusUncertainty ? units.uncertainty(value, power, fromRadius) : std::nullopt;
  };
  const double r = radiusPixels, ur = radiusUncertainty.value_or(0.0);
  return {units.areaText(units.circleArea(r), u(units.circleArea(r), 2, 2 * r * units.circleArea(1.0) * ur)),
          units.radiusText(units.length(r), u(units.length(r), 1, units.length(ur))),
          units.girthText(units.girth(r), u(units.girth(r), 1, units.girth(ur)))};
}

double circumradius(const Points& p, std::size_t first) {
  const std::optional<QPointF> c = circumcentre(p[first], p[first + 1], p[first + 2]);
  return c ? pixelDistance(*c, p[first]) : 0.0;
}

std::optional<double> angleUncertainty(const UnitConversion& units, const PointFormula& raw, const Points& points) {
  return clicked(units, 0, unwrappedAngle(raw, points, 0.0), points);
}

std::optional<MeasureShape> tickedLine(ShapeKind kind, QPoint start, QPoint end, double halfLength, QPoint anchor,
                                       const UnitConversion& units) {
  const std::array<Segment, 2> ticks = endTicks(start, end, halfLength);
  const std::optional<double> u =
      clicked(units, 1, [&](const Points& p) { return length(units, p[0], p[1]); }, {start, end});
  return record(kind, {start, end, ticks[0].a, ticks[0].b, ticks[1].a, ticks[1].b, anchor},
                {units.lengthText(pixelDistance(start, end), u)});
}

// The arc's angle in degrees from the first point to the last around the circle through the three, on the
// side the arc runs, following `nominal` continuously.
PointFormula arcAngleFormula(const Points& points, double nominal, bool counterClockwise) {
  const PointFormula raw = [counterClockwise](const Points& p) {
    const std::optional<QPointF> c = circumcentre(p[0], p[1], p[2]);
    if (!c) return 0.0;
    // Screen directions run clockwise in y-up terms.
    const double turn = directionDegrees(*c, p[0]) - directionDegrees(*c, p[2]);
    return counterClockwise ? turn : -turn;
  };
  return unwrappedAngle(raw, points, nominal);
}

}  // namespace

std::optional<MeasureShape> makeLine(QPoint start, QPoint end, QPoint anchor, const UnitConversion& units) {
  return tickedLine(ShapeKind::Line, start, end, 10, anchor, units);
}

std::optional<MeasureShape> makeParallelLine(QPoint start, QPoint end, QPoint anchor, const UnitConversion& units) {
  return tickedLine(ShapeKind::ParallelLine, start, end, 100, anchor, units);
}

std::optional<MeasureShape> makeDotLine(QPoint lineStart, QPoint lineEnd, QPoint point, QPoint anchor,
                                        const UnitConversion& units) {
  const std::optional<QPointF> foot = perpendicularFoot(lineStart, lineEnd, point);
  if (!foot) return std::nullopt;
  const std::optional<double> u =
      clicked(units, 1,
              [&](const Points& p) {
                const QPointF d = p[1] - p[0], q = p[2] - p[0];
                const double n = std::hypot(d.x(), d.y());
                return n > 0 ? units.length(std::abs(d.x() * q.y() - d.y() * q.x()) / n) : 0.0;
              },
              {lineStart, lineEnd, point});
  return record(ShapeKind::DotLine, {lineStart, lineEnd, point, anchor},
                {units.lengthText(pixelDistance(QPointF(point), *foot), u)});
}

std::optional<MeasureShape> makeRadiusCircle(QPoint centre, QPoint onCircle, QPoint anchor,
                                             const UnitConversion& units) {
  return record(ShapeKind::RadiusCircle, {centre, onCircle, anchor},
                circleTexts(pixelDistance(centre, onCircle), units,
                            [](const Points& p) { return pixelDistance(p[0], p[1]); }, {centre, onCircle}));
}

std::optional<MeasureShape> makeDiameterCircle(QPoint end1, QPoint end2, QPoint anchor, const UnitConversion& units) {
  const double d = pixelDistance(end1, end2);
  const QPoint centre((end1.x() + end2.x()) / 2, (end1.y() + end2.y()) / 2);
  const Points ends{end1, end2};
  return record(
      ShapeKind::DiameterCircle, {centre, end1, end2, anchor},
      {units.areaText(
           units.circleArea(d / 2),
           clicked(
               units, 2, [&](const Points& p) { return units.circleArea(pixelDistance(p[0], p[1]) / 2); }, ends)),
       units.radiusText(
           units.diameterRadius(d),
           clicked(
               units, 1, [&](const Points& p) { return units.diameterRadius(pixelDistance(p[0], p[1])); }, ends)),
       units.girthText(
           units.diameterGirth(d),
           clicked(
               units, 1, [&](const Points& p) { return units.diameterGirth(pixelDistance(p[0], p[1])); }, ends))});
}

std::optional<MeasureShape> makeThreePointCircle(QPoint p1, QPoint p2, QPoint p3, QPoint anchor,
                                                 const UnitConversion& units) {
  const std::optional<CircleCentre> centre = threePointCentre(p1, p2, p3);
  if (!centre) return std::nullopt;
  return record(ShapeKind::ThreePointCircle, {centre->rounded, p2, p1, p3, anchor},
                circleTexts(pixelDistance(centre->rounded, p1), units,
                            [](const Points& p) { return circumradius(p, 0); }, {p1, p2, p3}));
}

std::optional<MeasureShape> makeTwoCircles(const std::array<QPoint, 3>& circle1, QPoint anchor1,
                                           const std::array<QPoint, 3>& circle2, QPoint anchor2, QPoint distanceAnchor,
                                           const UnitConversion& units) {
  const std::optional<CircleCentre> c1 = threePointCentre(circle1[0], circle1[1], circle1[2]);
  const std::optional<CircleCentre> c2 = threePointCentre(circle2[0], circle2[1], circle2[2]);
  if (!c1 || !c2) return std::nullopt;
  const Points clicks{circle1[0], circle1[1], circle1[2], circle2[0], circle2[1], circle2[2]};
  const auto distance = [&](const Points& p) {
    const std::optional<QPointF> a = circumcentre(p[0], p[1], p[2]);
    const std::optional<QPointF> b = circumcentre(p[3], p[4], p[5]);
    return a && b ? units.length(pixelDistance(*a, *b)) : 0.0;
  };
  return record(
      ShapeKind::TwoCircles,
      {circle1[0], circle1[1], circle1[2], c1->rounded, anchor1, circle2[0], circle2[1], circle2[2], c2->rounded,
       anchor2, distanceAnchor},
      {units.radiusText(units.length(pixelDistance(c1->rounded, circle1[0])),
                        clicked(
                            units, 1, [&](const Points& p) { return units.length(circumradius(p, 0)); }, clicks)),
       units.radiusText(units.length(pixelDistance(c2->exact, QPointF(circle2[2]))),
                        clicked(
                            units, 1, [&](const Points& p) { return units.length(circumradius(p, 3)); }, clicks)),
       units.lengthText(pixelDistance(c1->rounded, c2->rounded), clicked(units, 1, distance, clicks))});
}

std::optional<MeasureShape> makeRectangle(QPoint corner1, QPoint corner2, QPoint anchor, const UnitConversion& units) {
  const double dx = std::abs(corner2.x() - corner1.x());
  const double dy = std::abs(corner2.y() - corner1.y());
  const Points corners{corner1, corner2};
  const auto width = [](const Points& p) { return std::abs(p[1].x() - p[0].x()); };
  const auto height = [](const Points& p) { return std::abs(p[1].y() - p[0].y()); };
  return record(
      ShapeKind::Rectangle, {corner1, corner2, anchor},
      {units.areaText(units.area(dx * dy),
                      clicked(
                          units, 2, [&](const Points& p) { return units.area(width(p) * height(p)); }, corners)),
       units.widthText(units.length(dx),
                       clicked(
                           units, 1, [&](const Points& p) { return units.length(width(p)); }, corners)),
       units.heightText(units.length(dy),
                        clicked(
                            units, 1, [&](const Points& p) { return units.length(height(p)); }, corners))});
}

std::optional<MeasureShape> makePolygon(const QList<QPoint>& vertices, QPoint anchor, const UnitConversion& units) {
  if (vertices.size() < 3) return std::nullopt;
  QList<QPoint> points = vertices;
  points.append(anchor);
  const long long count = polygonPixelCount(vertices);
  // The count of pixel centres moves with the outline as the enclosed area does.
  const std::optional<double> u = clicked(
      units, 2, [&](const Points& p) { return units.area(shoelaceArea(p)); }, realPoints(vertices));
  return record(ShapeKind::Polygon, points, {units.areaText(units.area(static_cast<double>(count)), u)});
}

std::optional<MeasureShape> makeContinuousLine(const QList<QPoint>& vertices, const QList<QPoint>& anchors,
                                               const UnitConversion& units) {
  if (vertices.size() < 2 || anchors.size() != vertices.size() - 1) return std::nullopt;
  QList<QPoint> points{vertices[0]};
  QStringList labels;
  for (qsizetype i = 1; i < vertices.size(); ++i) {
    points.append(vertices[i]);
    points.append(anchors[i - 1]);
    const std::optional<double> u =
        clicked(units, 1, [&](const Points& p) { return length(units, p[0], p[1]); }, {vertices[i - 1], vertices[i]});
    labels.append(units.segmentText(pixelDistance(vertices[i - 1], vertices[i]), u));
  }
  return record(ShapeKind::ContinuousLine, points, labels);
}

std::optional<MeasureShape> makeAngle(QPoint firstArmEnd, QPoint vertex, QPoint secondArmEnd, QPoint anchor,
                                      const UnitConversion& units) {
  const std::optional<double> angle = angleBetweenLines(vertex, firstArmEnd, vertex, secondArmEnd);
  if (!angle) return std::nullopt;
  const std::optional<double> u = angleUncertainty(
      units, [](const Points& p) { return directionDegrees(p[1], p[2]) - directionDegrees(p[1], p[0]); },
      {firstArmEnd, vertex, secondArmEnd});
  return record(ShapeKind::Angle, {firstArmEnd, vertex, secondArmEnd, anchor}, {angleText(*angle, u)});
}

namespace {

// The angle between lines p0-p1 and p2-p3; which ends count turns it by 180 degrees at most, which
// changes none of its derivatives.
double lineTurn(const Points& p) { return directionDegrees(p[2], p[3]) - directionDegrees(p[0], p[1]); }

}  // namespace

std::optional<MeasureShape> makeFourPointAngle(QPoint p1, QPoint p2, QPoint p3, QPoint p4, QPoint anchor,
                                               const UnitConversion& units) {
  const std::optional<double> angle = angleBetweenLines(p1, p2, p3, p4);
  if (!angle) return std::nullopt;
  return record(ShapeKind::FourPointAngle, {p1, p2, p3, p4, anchor},
                {angleText(*angle, angleUncertainty(units, lineTurn, {p1, p2, p3, p4}))});
}

std::optional<MeasureShape> makeArc(QPoint first, QPoint middle, QPoint last, QPoint anchor,
                                    const UnitConversion& units) {
  const std::optional<ArcCircle> circle = arcCircle(first, middle, last);
  if (!circle) return std::nullopt;
  const double theta = arcAngle(circle->centre, first, last, circle->counterClockwise);
  const Points clicks{first, middle, last};
  const PointFormula angle = arcAngleFormula(clicks, theta, circle->counterClockwise);
  return record(
      ShapeKind::Arc, {first, middle, last, anchor, circle->centre},
      {units.radiusText(units.length(circle->radius),
                        clicked(
                            units, 1, [&](const Points& p) { return units.length(circumradius(p, 0)); }, clicks)),
       arcAngleText(theta, clicked(units, 0, angle, clicks)),
       units.arcText(
           units.arcLength(theta, circle->radius),
           clicked(
               units, 1, [&](const Points& p) { return units.arcLength(angle(p), circumradius(p, 0)); }, clicks))});
}

MeasureShape makeCircleLabel(QPoint centre, int number) {
  return record(ShapeKind::CircleLabel, {centre}, {QString::number(number)});
}

MeasureShape makeSquareLabel(QPoint centre, int number) {
  return record(ShapeKind::SquareLabel, {centre}, {QString::number(number)});
}

MeasureShape makeText(QPoint topLeft, const QString& text, std::uint32_t color, const LogFont& font) {
  MeasureShape shape = record(ShapeKind::Text, {topLeft, topLeft + QPoint(60, 60)}, {text});
  shape.textColor = color;
  shape.textFont = font;
  return shape;
}

std::optional<MeasureShape> makeAutoCircle(const QList<QPoint>& edgePoints, QPoint clickPosition,
                                           const UnitConversion& units) {
  const std::optional<FittedCircle> fit = fitCircle(edgePoints);
  if (!fit) return std::nullopt;
  const std::optional<double> spread =
      units.showUncertainty ? fittedRadiusUncertainty(edgePoints, fit->centre, fit->radius) : std::nullopt;
  MeasureShape shape =
      record(ShapeKind::AutoCircle, {truncated(fit->centre), clickPosition}, circleTexts(fit->radius, units, spread));
  shape.radius = fit->radius;
  return shape;
}

std::optional<MeasureShape> makeAutoArc(const QList<QPoint>& edgeRun, QPoint anchor, const UnitConversion& units) {
  const std::optional<FittedCircle> fit = fitCircle(edgeRun);
  if (!fit) return std::nullopt;
  double best = fit->radius;
  qsizetype chosen = -1;
  for (qsizetype i = 1; i + 1 < edgeRun.size(); ++i) {
    const double miss = std::abs(pixelDistance(QPointF(edgeRun[i]), fit->centre) - fit->radius);
    if (miss < best) {
      best = miss;
      chosen = i;
    }
  }
  if (chosen < 0) return std::nullopt;
  const QPoint first = edgeRun.front();
  const QPoint middle = edgeRun[chosen];
  const QPoint last = edgeRun.back();
  const std::optional<ArcCircle> circle = arcCircle(first, middle, last);
  if (!circle) return std::nullopt;
  const double theta = arcAngle(circle->centre, first, last, circle->counterClockwise);
  // The radius from the fit's residuals, the angle from the three edge points the arc is drawn through.
  std::optional<double> radiusU, angleU, arcU;
  if (units.showUncertainty) {
    const Points ends{first, middle, last};
    const std::optional<double> ur = fittedRadiusUncertainty(edgeRun, fit->centre, fit->radius);
    const double ut =
        propagatedSpread(arcAngleFormula(ends, theta, circle->counterClockwise), ends, units.pointUncertainty);
    if (ur) {
      radiusU = units.uncertainty(units.length(circle->radius), 1, units.length(*ur));
      arcU = units.uncertainty(units.arcLength(theta, fit->radius), 1,
                               std::hypot(units.arcLength(ut, fit->radius), units.arcLength(theta, *ur)));
    }
    angleU = units.uncertainty(theta, 0, ut);
  }
  return record(ShapeKind::AutoArc, {first, middle, last, anchor, circle->centre},
                {units.radiusText(units.length(circle->radius), radiusU), arcAngleText(theta, angleU),
                 units.arcText(units.arcLength(theta, fit->radius), arcU)});
}

std::optional<MeasureShape> makeAutoLineSpacing(QPoint edge1, QPoint edge2, QPoint anchor,
                                                const UnitConversion& units) {
  return tickedLine(ShapeKind::AutoLineSpacing, edge1, edge2, 10, anchor, units);
}

std::optional<MeasureShape> makeAutoLineLength1(QPoint start, QPoint end, QPoint anchor, const UnitConversion& units) {
  const std::optional<double> u =
      clicked(units, 1, [&](const Points& p) { return length(units, p[0], p[1]); }, {start, end});
  return record(ShapeKind::AutoLineLength1, {start, end, anchor}, {units.lengthText(pixelDistance(start, end), u)});
}

std::optional<MeasureShape> makeAutoLineLength2(const QList<QPoint>& edgePoints, QPoint anchor,
                                                const UnitConversion& units) {
  std::vector<QPointF> points;
  points.reserve(static_cast<std::size_t>(edgePoints.size()));
  for (const QPoint& p : edgePoints) points.emplace_back(p);
  const auto ends = detection::fittedLineEnds(points);
  if (!ends) return std::nullopt;
  // Each end is the projection of an edge pixel: half a pixel either way along the line.
  const std::optional<double> u =
      clicked(units, 1, [&](const Points& p) { return length(units, p[0], p[1]); }, {ends->first, ends->second});
  return record(ShapeKind::AutoLineLength2, {roundedHalfUp(ends->first), roundedHalfUp(ends->second), anchor},
                {units.lengthText(pixelDistance(ends->first, ends->second), u)});
}

std::optional<MeasureShape> makeAutoAngle(QPoint line1Start, QPoint line1End, QPoint line2Start, QPoint line2End,
                                          QPoint anchor, const UnitConversion& units) {
  const std::optional<double> angle = angleBetweenLines(line1Start, line1End, line2Start, line2End);
  if (!angle) return std::nullopt;
  return record(ShapeKind::AutoAngle, {line1Start, line1End, line2Start, line2End, anchor},
                {angleText(*angle, angleUncertainty(units, lineTurn, {line1Start, line1End, line2Start, line2End}))});
}

void blankLabels(MeasureShape& shape) {
  for (QString& label : shape.labels) label.clear();
}

namespace {

// The decimals and unit a segment text was written with ("1.250mm" gives 3 and "mm"); nothing for a text
// that is not a plain fixed-point number followed by a unit.
struct WrittenFormat {
  int decimals = 0;
  QString unit;
  bool operator==(const WrittenFormat&) const = default;
};

// A segment text's " ± u" part: the text before it and u, or the whole text and nothing.
std::pair<QString, std::optional<double>> splitUncertainty(const QString& text) {
  const QString separator = QString::fromUtf16(kPlusMinus);
  const qsizetype at = text.indexOf(separator);
  if (at < 0) return {text, std::nullopt};
  return {text.left(at), leadingNumber(text.mid(at + separator.size()))};
}

std::optional<WrittenFormat> writtenFormat(const QString& text) {
  qsizetype i = 0;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) ++i;
  const qsizetype integerStart = i;
  while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) ++i;
  const bool hasInteger = i > integerStart;
  int decimals = 0;
  if (i < text.size() && text[i] == u'.') {
    ++i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
      ++i;
      ++decimals;
    }
  }
  if (!hasInteger && decimals == 0) return std::nullopt;
  const QString unit = text.mid(i);
  if (unit.isEmpty() || unit.front() == u'e' || unit.front() == u'E' || decimals > 17) return std::nullopt;
  return WrittenFormat{decimals, unit};
}

}  // namespace

QString continuousTotalText(const QStringList& segmentTexts, int decimals, const QString& unitName) {
  const double total = continuousTotal(segmentTexts);
  if (total == 0) return {};
  // Segments keep the unit and decimals they were measured in; a unit change made afterwards must not
  // relabel their sum. The current settings apply only when the segments disagree or cannot tell.
  std::optional<WrittenFormat> common;
  bool agree = true;
  std::optional<double> uncertainty = 0.0;
  for (const QString& text : segmentTexts) {
    if (text.isEmpty()) continue;
    const auto [value, u] = splitUncertainty(text);
    uncertainty = uncertainty && u ? std::optional<double>(*uncertainty + *u) : std::nullopt;
    const std::optional<WrittenFormat> format = writtenFormat(value);
    if (!format || (common && *common != *format)) {
      agree = false;
      break;
    }
    common = format;
  }
  const UnitConversion format = agree && common ? UnitConversion{1.0, 1.0, common->decimals, common->unit}
                                                : UnitConversion{1.0, 1.0, decimals, unitName};
  return format.totalText(total, agree && common ? uncertainty : std::nullopt);
}

QString continuousTotalText(const MeasureShape& shape, int decimals, const QString& unitName) {
  return continuousTotalText(shape.labels, decimals, unitName);
}

}  // namespace lumivex
