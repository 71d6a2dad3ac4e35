#pragma once

#include <QList>
#include <QPoint>
#include <QPointF>

#include <functional>
#include <optional>
#include <vector>

namespace lumivex {

// First-order propagation of the points' uncertainty through a result's formula. Each coordinate of each
// point carries the same expanded uncertainty `perCoordinate`, independent of the others; the result's is
// the root sum of squares of the partial derivatives (central differences) times it. The formula is
// evaluated on real-valued points: the rounding the stored figures take is far below a click's spread.
using PointFormula = std::function<double(const std::vector<QPointF>&)>;
double propagatedSpread(const PointFormula& formula, const std::vector<QPointF>& points, double perCoordinate);
std::vector<QPointF> realPoints(const QList<QPoint>& points);

// Formulas on real-valued points, smooth where the integer ones of the geometry are piecewise.
std::optional<QPointF> circumcentre(QPointF p1, QPointF p2, QPointF p3);
// Direction of b seen from a in degrees, y down as on the screen.
double directionDegrees(QPointF a, QPointF b);
// An angle formula that follows its nominal value continuously: `raw` may jump by 360 degrees.
PointFormula unwrappedAngle(PointFormula raw, const std::vector<QPointF>& nominalPoints, double nominalDegrees);
// Area enclosed by the polygon (shoelace), square pixels.
double shoelaceArea(const std::vector<QPointF>& vertices);

// Expanded (k = 2) uncertainty of the radius of a least-squares circle fitted to `points`: the geometric
// fit's covariance with the residuals' variance, never below the spread of a pixel grid (1/12 px^2).
// nullopt when the points cannot give one (fewer than four, or a degenerate fit).
std::optional<double> fittedRadiusUncertainty(const QList<QPoint>& points, QPointF centre, double radius);

}  // namespace lumivex
