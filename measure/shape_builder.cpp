#include "measure/shape_builder.h"

#include "measure/detection/detect_line_fit.h"

#include <cmath>
#include <optional>

namespace lumivex {
namespace {

MeasureShape record(ShapeKind kind, QList<QPoint> points, QStringList labels) {
  MeasureShape shape;
  shape.kind = kind;
  shape.points = std::move(points);
  shape.labels = std::move(labels);
  return shape;
}

QStringList circleTexts(double radiusPixels, const UnitConversion& units) {
  return {units.areaText(units.circleArea(radiusPixels)), units.radiusText(units.length(radiusPixels)),
          units.girthText(units.girth(radiusPixels))};
}

std::optional<MeasureShape> tickedLine(ShapeKind kind, QPoint start, QPoint end, double halfLength, QPoint anchor,
                                       const UnitConversion& units) {
  const std::array<Segment, 2> ticks = endTicks(start, end, halfLength);
  return record(kind, {start, end, ticks[0].a, ticks[0].b, ticks[1].a, ticks[1].b, anchor},
                {units.lengthText(pixelDistance(start, end))});
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
  return record(ShapeKind::DotLine, {lineStart, lineEnd, point, anchor},
                {units.lengthText(pixelDistance(QPointF(point), *foot))});
}

std::optional<MeasureShape> makeRadiusCircle(QPoint centre, QPoint onCircle, QPoint anchor,
                                             const UnitConversion& units) {
  return record(ShapeKind::RadiusCircle, {centre, onCircle, anchor},
                circleTexts(pixelDistance(centre, onCircle), units));
}

std::optional<MeasureShape> makeDiameterCircle(QPoint end1, QPoint end2, QPoint anchor, const UnitConversion& units) {
  const double d = pixelDistance(end1, end2);
  const QPoint centre((end1.x() + end2.x()) / 2, (end1.y() + end2.y()) / 2);
  return record(ShapeKind::DiameterCircle, {centre, end1, end2, anchor},
                {units.areaText(units.circleArea(d / 2)), units.radiusText(units.diameterRadius(d)),
                 units.girthText(units.diameterGirth(d))});
}

std::optional<MeasureShape> makeThreePointCircle(QPoint p1, QPoint p2, QPoint p3, QPoint anchor,
                                                 const UnitConversion& units) {
  const std::optional<CircleCentre> centre = threePointCentre(p1, p2, p3);
  if (!centre) return std::nullopt;
  return record(ShapeKind::ThreePointCircle, {centre->rounded, p2, p1, p3, anchor},
                circleTexts(pixelDistance(centre->rounded, p1), units));
}

std::optional<MeasureShape> makeTwoCircles(const std::array<QPoint, 3>& circle1, QPoint anchor1,
                                           const std::array<QPoint, 3>& circle2, QPoint anchor2, QPoint distanceAnchor,
                                           const UnitConversion& units) {
  const std::optional<CircleCentre> c1 = threePointCentre(circle1[0], circle1[1], circle1[2]);
  const std::optional<CircleCentre> c2 = threePointCentre(circle2[0], circle2[1], circle2[2]);
  if (!c1 || !c2) return std::nullopt;
  return record(ShapeKind::TwoCircles,
                {circle1[0], circle1[1], circle1[2], c1->rounded, anchor1, circle2[0], circle2[1], circle2[2],
                 c2->rounded, anchor2, distanceAnchor},
                {units.radiusText(units.length(pixelDistance(c1->rounded, circle1[0]))),
                 units.radiusText(units.length(pixelDistance(c2->exact, QPointF(circle2[2])))),
                 units.lengthText(pixelDistance(c1->rounded, c2->rounded))});
}

std::optional<MeasureShape> makeRectangle(QPoint corner1, QPoint corner2, QPoint anchor, const UnitConversion& units) {
  const double dx = std::abs(corner2.x() - corner1.x());
  const double dy = std::abs(corner2.y() - corner1.y());
  return record(
      ShapeKind::Rectangle, {corner1, corner2, anchor},
      {units.areaText(units.area(dx * dy)), units.widthText(units.length(dx)), units.heightText(units.length(dy))});
}

std::optional<MeasureShape> makePolygon(const QList<QPoint>& vertices, QPoint anchor, const UnitConversion& units) {
  if (vertices.size() < 3) return std::nullopt;
  QList<QPoint> points = vertices;
  points.append(anchor);
  const long long count = polygonPixelCount(vertices);
  return record(ShapeKind::Polygon, points, {units.areaText(units.area(static_cast<double>(count)))});
}

std::optional<MeasureShape> makeContinuousLine(const QList<QPoint>& vertices, const QList<QPoint>& anchors,
                                               const UnitConversion& units) {
  if (vertices.size() < 2 || anchors.size() != vertices.size() - 1) return std::nullopt;
  QList<QPoint> points{vertices[0]};
  QStringList labels;
  for (qsizetype i = 1; i < vertices.size(); ++i) {
    points.append(vertices[i]);
    points.append(anchors[i - 1]);
    labels.append(units.segmentText(pixelDistance(vertices[i - 1], vertices[i])));
  }
  return record(ShapeKind::ContinuousLine, points, labels);
}

std::optional<MeasureShape> makeAngle(QPoint firstArmEnd, QPoint vertex, QPoint secondArmEnd, QPoint anchor) {
  const std::optional<double> angle = angleBetweenLines(vertex, firstArmEnd, vertex, secondArmEnd);
  if (!angle) return std::nullopt;
  return record(ShapeKind::Angle, {firstArmEnd, vertex, secondArmEnd, anchor}, {angleText(*angle)});
}

std::optional<MeasureShape> makeFourPointAngle(QPoint p1, QPoint p2, QPoint p3, QPoint p4, QPoint anchor) {
  const std::optional<double> angle = angleBetweenLines(p1, p2, p3, p4);
  if (!angle) return std::nullopt;
  return record(ShapeKind::FourPointAngle, {p1, p2, p3, p4, anchor}, {angleText(*angle)});
}

std::optional<MeasureShape> makeArc(QPoint first, QPoint middle, QPoint last, QPoint anchor,
                                    const UnitConversion& units) {
  const std::optional<ArcCircle> circle = arcCircle(first, middle, last);
  if (!circle) return std::nullopt;
  const double theta = arcAngle(circle->centre, first, last, circle->counterClockwise);
  return record(ShapeKind::Arc, {first, middle, last, anchor, circle->centre},
                {units.radiusText(units.length(circle->radius)), arcAngleText(theta),
                 units.arcText(units.arcLength(theta, circle->radius))});
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
  MeasureShape shape =
      record(ShapeKind::AutoCircle, {truncated(fit->centre), clickPosition}, circleTexts(fit->radius, units));
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
  return record(ShapeKind::AutoArc, {first, middle, last, anchor, circle->centre},
                {units.radiusText(units.length(circle->radius)), arcAngleText(theta),
                 units.arcText(units.arcLength(theta, fit->radius))});
}

std::optional<MeasureShape> makeAutoLineSpacing(QPoint edge1, QPoint edge2, QPoint anchor,
                                                const UnitConversion& units) {
  return tickedLine(ShapeKind::AutoLineSpacing, edge1, edge2, 10, anchor, units);
}

std::optional<MeasureShape> makeAutoLineLength1(QPoint start, QPoint end, QPoint anchor, const UnitConversion& units) {
  return record(ShapeKind::AutoLineLength1, {start, end, anchor}, {units.lengthText(pixelDistance(start, end))});
}

std::optional<MeasureShape> makeAutoLineLength2(const QList<QPoint>& edgePoints, QPoint anchor,
                                                const UnitConversion& units) {
  std::vector<QPointF> points;
  points.reserve(static_cast<std::size_t>(edgePoints.size()));
  for (const QPoint& p : edgePoints) points.emplace_back(p);
  const auto ends = detection::fittedLineEnds(points);
  if (!ends) return std::nullopt;
  return record(ShapeKind::AutoLineLength2, {roundedHalfUp(ends->first), roundedHalfUp(ends->second), anchor},
                {units.lengthText(pixelDistance(ends->first, ends->second))});
}

std::optional<MeasureShape> makeAutoAngle(QPoint line1Start, QPoint line1End, QPoint line2Start, QPoint line2End,
                                          QPoint anchor) {
  const std::optional<double> angle = angleBetweenLines(line1Start, line1End, line2Start, line2End);
  if (!angle) return std::nullopt;
  return record(ShapeKind::AutoAngle, {line1Start, line1End, line2Start, line2End, anchor}, {angleText(*angle)});
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
  for (const QString& text : segmentTexts) {
    if (text.isEmpty()) continue;
    const std::optional<WrittenFormat> format = writtenFormat(text);
    if (!format || (common && *common != *format)) {
      agree = false;
      break;
    }
    common = format;
  }
  const UnitConversion format = agree && common ? UnitConversion{1.0, 1.0, common->decimals, common->unit}
                                                : UnitConversion{1.0, 1.0, decimals, unitName};
  return format.totalText(total);
}

QString continuousTotalText(const MeasureShape& shape, int decimals, const QString& unitName) {
  return continuousTotalText(shape.labels, decimals, unitName);
}

}  // namespace lumivex
