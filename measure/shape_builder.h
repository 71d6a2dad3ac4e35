#pragma once

#include "measure/geometry.h"
#include "measure/measure_shape.h"
#include "measure/result_text.h"

#include <QList>
#include <QPoint>

#include <array>
#include <optional>

namespace lumivex {

// Builders of finished records: kind, points in the kind's layout and result texts. The style fields
// are left for applyStyle. A builder that returns nullopt means the clicks form no such shape; the
// caller makes no record (and shows nothing) rather than reuse earlier values. `anchor` is where the
// label stands at first; placement moves it later.

std::optional<MeasureShape> makeLine(QPoint start, QPoint end, QPoint anchor, const UnitConversion& units);
std::optional<MeasureShape> makeParallelLine(QPoint start, QPoint end, QPoint anchor, const UnitConversion& units);
std::optional<MeasureShape> makeDotLine(QPoint lineStart, QPoint lineEnd, QPoint point, QPoint anchor,
                                        const UnitConversion& units);
std::optional<MeasureShape> makeRadiusCircle(QPoint centre, QPoint onCircle, QPoint anchor,
                                             const UnitConversion& units);
std::optional<MeasureShape> makeDiameterCircle(QPoint end1, QPoint end2, QPoint anchor, const UnitConversion& units);
std::optional<MeasureShape> makeThreePointCircle(QPoint p1, QPoint p2, QPoint p3, QPoint anchor,
                                                 const UnitConversion& units);
std::optional<MeasureShape> makeTwoCircles(const std::array<QPoint, 3>& circle1, QPoint anchor1,
                                           const std::array<QPoint, 3>& circle2, QPoint anchor2, QPoint distanceAnchor,
                                           const UnitConversion& units);
std::optional<MeasureShape> makeRectangle(QPoint corner1, QPoint corner2, QPoint anchor, const UnitConversion& units);
std::optional<MeasureShape> makePolygon(const QList<QPoint>& vertices, QPoint anchor, const UnitConversion& units);
// anchors[i] is the label anchor of segment i (vertices[i] to vertices[i + 1]).
std::optional<MeasureShape> makeContinuousLine(const QList<QPoint>& vertices, const QList<QPoint>& anchors,
                                               const UnitConversion& units);
// Angles need no scale; `units` says only whether their uncertainty is shown.
std::optional<MeasureShape> makeAngle(QPoint firstArmEnd, QPoint vertex, QPoint secondArmEnd, QPoint anchor,
                                      const UnitConversion& units = {});
std::optional<MeasureShape> makeFourPointAngle(QPoint p1, QPoint p2, QPoint p3, QPoint p4, QPoint anchor,
                                               const UnitConversion& units = {});
std::optional<MeasureShape> makeArc(QPoint first, QPoint middle, QPoint last, QPoint anchor,
                                    const UnitConversion& units);
MeasureShape makeCircleLabel(QPoint centre, int number);
MeasureShape makeSquareLabel(QPoint centre, int number);
// A Text record: the text at topLeft, a second point 60 pixels right of and below it.
MeasureShape makeText(QPoint topLeft, const QString& text, std::uint32_t color, const LogFont& font);

// Shapes from automatic detection (points already in view coordinates).
std::optional<MeasureShape> makeAutoCircle(const QList<QPoint>& edgePoints, QPoint clickPosition,
                                           const UnitConversion& units);
std::optional<MeasureShape> makeAutoArc(const QList<QPoint>& edgeRun, QPoint anchor, const UnitConversion& units);
std::optional<MeasureShape> makeAutoLineSpacing(QPoint edge1, QPoint edge2, QPoint anchor, const UnitConversion& units);
std::optional<MeasureShape> makeAutoLineLength1(QPoint start, QPoint end, QPoint anchor, const UnitConversion& units);
// The ends along the least-squares line through the collected edge points (their outermost projections).
std::optional<MeasureShape> makeAutoLineLength2(const QList<QPoint>& edgePoints, QPoint anchor,
                                                const UnitConversion& units);
std::optional<MeasureShape> makeAutoAngle(QPoint line1Start, QPoint line1End, QPoint line2Start, QPoint line2End,
                                          QPoint anchor, const UnitConversion& units = {});

// Paint-menu shapes keep the label count of their kind but with empty texts.
void blankLabels(MeasureShape& shape);

// The continuous-line total ("T:..."), or an empty text when the segments sum to zero. It is written in
// the unit and decimals of the segment texts when they all agree, else in the ones given (the current).
// When every segment carries " ± u", the total carries their sum: the segments share the scale and their
// joints, so the sum is the bound that holds whatever the correlation.
QString continuousTotalText(const QStringList& segmentTexts, int decimals, const QString& unitName);
// The renderer's total, over all of the shape's labels.
QString continuousTotalText(const MeasureShape& shape, int decimals, const QString& unitName);

}  // namespace lumivex
