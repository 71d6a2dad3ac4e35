#include "export/dxf_export.h"

#include "export/cad_drawing.h"
#include "measure/geometry.h"
#include "measure/units.h"

#include <cmath>
#include <cstring>

namespace lumivex {
namespace {

bool finitePoint(QPointF p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

class Collector {
 public:
  Collector(const DxfPlacement& placement, std::vector<DxfEntity>& out) : placement_(placement), out_(out) {}

  void line(QPointF a, QPointF b) {
    DxfEntity e;
    e.points = {placement_.map(a), placement_.map(b)};
    if (finitePoint(e.points[0]) && finitePoint(e.points[1])) out_.push_back(std::move(e));
  }

  // centre in stored coordinates, radius as a stored-pixel vector (so both zoom factors apply).
  void circle(QPointF centre, QPointF rimOffset) {
    circleOfRadius(centre, placement_.distance(rimOffset.x(), rimOffset.y()));
  }

  void circleOfRadius(QPointF centre, double radius) {
    DxfEntity e;
    e.kind = DxfEntity::Kind::Circle;
    e.points = {placement_.map(centre)};
    e.radius = radius;
    if (finitePoint(e.points[0]) && std::isfinite(radius) && radius > 0) out_.push_back(std::move(e));
  }

  void polyline(const QList<QPoint>& vertices, bool closed) {
    DxfEntity e;
    e.kind = DxfEntity::Kind::Polyline;
    e.closed = closed;
    for (const QPoint& v : vertices) {
      const QPointF p = placement_.map(QPointF(v));
      if (!finitePoint(p)) return;
      e.points.push_back(p);
    }
    if (e.points.size() >= (closed ? 3u : 2u)) out_.push_back(std::move(e));
  }

  double scaleX() const { return placement_.scaleX; }

 private:
  const DxfPlacement& placement_;
  std::vector<DxfEntity>& out_;
};

QPointF pf(QPoint p) { return QPointF(p); }

void addShape(const MeasureShape& shape, ShapeKind layout, Collector& c) {
  const QList<QPoint>& p = shape.points;
  const auto need = [&](qsizetype n) { return p.size() >= n; };
  switch (layout) {
    case ShapeKind::Line:
    case ShapeKind::ParallelLine:
    case ShapeKind::AutoLineSpacing:
    case ShapeKind::AutoLineLength1:
    case ShapeKind::AutoLineLength2:
      if (need(2)) c.line(pf(p[0]), pf(p[1]));
      break;
    case ShapeKind::DotLine:
      if (need(3)) {
        if (const auto foot = perpendicularFoot(p[0], p[1], p[2])) c.line(pf(p[2]), *foot);
      }
      break;
    case ShapeKind::Angle:
      if (need(3)) {
        c.line(pf(p[1]), pf(p[0]));
        c.line(pf(p[1]), pf(p[2]));
      }
      break;
    case ShapeKind::FourPointAngle:
    case ShapeKind::AutoAngle:
      if (need(4)) {
        c.line(pf(p[0]), pf(p[1]));
        c.line(pf(p[2]), pf(p[3]));
      }
      break;
    case ShapeKind::RadiusCircle:
      if (need(2)) c.circle(pf(p[0]), pf(p[1]) - pf(p[0]));
      break;
    case ShapeKind::DiameterCircle:
      // The label's radius is half the two ends' distance, about their exact midpoint (the stored centre
      // is rounded down).
      if (need(3)) c.circle((pf(p[1]) + pf(p[2])) / 2, (pf(p[2]) - pf(p[1])) / 2);
      break;
    case ShapeKind::ThreePointCircle:
      // Centre, then the second, first and third clicks; the radius label runs to the first click.
      if (need(3)) c.circle(pf(p[0]), pf(p[2]) - pf(p[0]));
      break;
    case ShapeKind::TwoCircles:
      if (need(9)) {
        c.circle(pf(p[3]), pf(p[0]) - pf(p[3]));
        // The second radius label was measured from the exact centre to the third click of circle 2.
        const auto exact = threePointCentre(p[5], p[6], p[7]);
        c.circle(pf(p[8]), pf(p[7]) - (exact ? exact->exact : pf(p[8])));
      }
      break;
    case ShapeKind::AutoCircle:
      // The fitted radius is in view pixels; the renderer scales it by the horizontal zoom.
      if (need(1)) c.circle(pf(p[0]), QPointF(shape.radius, 0));
      break;
    case ShapeKind::Rectangle:
      if (need(2)) {
        c.polyline({p[0], QPoint(p[1].x(), p[0].y()), p[1], QPoint(p[0].x(), p[1].y())}, true);
      }
      break;
    case ShapeKind::Polygon: {
      if (!need(2)) break;
      QList<QPoint> vertices = p.first(p.size() - 1);  // the last point is the label anchor
      // The live polygon repeats its first vertex to close itself; a closed POLYLINE needs no copy.
      if (vertices.size() > 1 && vertices.back() == vertices.front()) vertices.removeLast();
      c.polyline(vertices, true);
      break;
    }
    case ShapeKind::ContinuousLine: {
      // V0, V1, A1, V2, A2, ...: the vertices stand at 0 and the odd positions.
      QList<QPoint> vertices;
      for (qsizetype i = 0; i < p.size(); i = (i == 0 ? 1 : i + 2)) vertices.append(p[i]);
      c.polyline(vertices, false);
      break;
    }
    default:
      break;
  }
}

}  // namespace

DxfPlacement DxfPlacement::forStill(const QString& unit, double rate, double zoomX, double zoomY, int pictureHeight) {
  return DxfPlacement{unitFactorFor(unit), rate, zoomX, zoomY, static_cast<double>(pictureHeight)};
}

DxfPlacement DxfPlacement::forLive(const QString& unit, double rate, double captureFactor) {
  return DxfPlacement{unitFactorFor(unit), rate, captureFactor, captureFactor, 480.0 * captureFactor};
}

QPointF DxfPlacement::map(QPointF stored) const {
  const double s = unitFactor * 10 / rate;
  return QPointF(s * stored.x() * scaleX, s * (height - stored.y() * scaleY));
}

double DxfPlacement::distance(double dx, double dy) const {
  return unitFactor * 10 / rate * std::hypot(dx * scaleX, dy * scaleY);
}

ShapeKind liveLayoutKind(int liveCode) {
  switch (liveCode) {
    case 1:
      return ShapeKind::Line;
    case 2:
      return ShapeKind::DotLine;
    case 3:
      return ShapeKind::ParallelLine;
    case 4:
      return ShapeKind::ContinuousLine;
    case 5:
      return ShapeKind::Rectangle;
    case 6:
      return ShapeKind::Polygon;
    case 8:
      return ShapeKind::RadiusCircle;
    case 9:
      return ShapeKind::DiameterCircle;
    case 10:
      return ShapeKind::ThreePointCircle;
    case 11:
      return ShapeKind::TwoCircles;
    case 12:
      return ShapeKind::Angle;
    case 13:
      return ShapeKind::FourPointAngle;
    case 21:
      return ShapeKind::AutoCircle;
    case 22:
      return ShapeKind::AutoLineLength2;
    case 24:
      return ShapeKind::AutoLineSpacing;
    case 25:
      return ShapeKind::FourPointAngle;
    default:
      return ShapeKind::Unset;  // 17 and 23 arcs, labels, texts
  }
}

std::vector<DxfEntity> dxfEntities(const std::vector<const MeasureShape*>& shapes, ReportSource source,
                                   const DxfPlacement& placement) {
  std::vector<DxfEntity> out;
  if (!(placement.rate > 0) || !std::isfinite(placement.rate)) return out;
  out.reserve(shapes.size());
  Collector collector(placement, out);
  for (const MeasureShape* shape : shapes) {
    if (shape == nullptr) continue;
    const ShapeKind layout = source == ReportSource::Live ? liveLayoutKind(static_cast<int>(shape->kind)) : shape->kind;
    addShape(*shape, layout, collector);
  }
  return out;
}

int dxfUnitCode(const QString& unit) {
  const QString name = knownUnit(unit);
  if (name == QLatin1String("cm")) return 5;
  if (name == QLatin1String("inch")) return 1;
  if (name == QLatin1String("mil")) return 9;
  return 4;
}

DxfResult writeDxf(CadDrawing& cad, const std::vector<DxfEntity>& entities, ReportSource source, int unitCode,
                   const QString& path, QString* saveError) {
  if (!cad.createDrawing()) return DxfResult::CreateFailed;
  CadLineType continuous{};
  std::strcpy(continuous.name, "Continuous");
  std::strcpy(continuous.description, "Solid line");
  const CADHANDLE lineType = cad.addLineType(continuous);
  const auto addLayer = [&](const char* name) {
    CadLayer layer{};
    std::strcpy(layer.name, name);
    layer.color = 1;
    layer.lineType = lineType;
    cad.addLayer(layer);
  };
  addLayer("Layer1");
  if (source == ReportSource::Still) {
    addLayer("Layer2");
    cad.selectLayer(QStringLiteral("Layer2"));
  }
  cad.setUnits(unitCode);
  for (const DxfEntity& e : entities) {
    switch (e.kind) {
      case DxfEntity::Kind::Line:
        cad.addLine(e.points[0].x(), e.points[0].y(), e.points[1].x(), e.points[1].y());
        break;
      case DxfEntity::Kind::Circle:
        cad.addCircle(e.points[0].x(), e.points[0].y(), e.radius);
        break;
      case DxfEntity::Kind::Polyline: {
        std::vector<CadVertex> vertices;
        vertices.reserve(e.points.size());
        for (const QPointF& p : e.points) vertices.push_back(CadVertex{p.x(), p.y()});
        cad.addPolyline(vertices, e.closed);
        break;
      }
    }
  }
  const WriteResult saved = cad.saveDrawing(path);
  cad.destroyDrawing();
  if (!saved && saveError) *saveError = saved.reason;
  return saved ? DxfResult::Written : DxfResult::SaveFailed;
}

}  // namespace lumivex
