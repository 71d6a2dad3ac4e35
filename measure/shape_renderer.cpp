#include "measure/shape_renderer.h"

#include "measure/calibration_state.h"
#include "measure/drawing_style.h"
#include "measure/font_store.h"
#include "measure/geometry.h"
#include "measure/shape_builder.h"
#include "measure/shape_list.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>
#include <numbers>

namespace lumivex {
namespace {

Qt::PenStyle qtPenStyle(int style) {
  switch (style) {
    case kPenDash:
      return Qt::DashLine;
    case kPenDot:
      return Qt::DotLine;
    default:
      return Qt::SolidLine;
  }
}

// Degrees of p around c, counter-clockwise on screen from 3 o'clock, as QPainter's arcs count them.
double screenAngle(QPoint c, QPoint p) {
  return std::atan2(static_cast<double>(c.y() - p.y()), static_cast<double>(p.x() - c.x())) * 180.0 / std::numbers::pi;
}

class RecordPainter {
 public:
  RecordPainter(QPainter& painter, const MeasureShape& shape, const ShapeTransform& transform)
      : painter_(painter), shape_(shape), transform_(transform) {
    const QColor color = shape.selected ? QColor(255, 0, 0) : colorFromRef(shape.lineColor);
    QPen pen(color, std::max(1, shape.penWidth), qtPenStyle(shape.penStyle), Qt::RoundCap, Qt::RoundJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.setFont(toQFont(shape.labelFont));
  }

  QPoint at(int index) const { return transform_.map(shape_.points[index]); }
  int count() const { return static_cast<int>(shape_.points.size()); }
  bool has(int index) const { return index >= 0 && index < count(); }

  void segment(int a, int b) {
    if (has(a) && has(b)) painter_.drawLine(at(a), at(b));
  }
  void circleThrough(int centre, int onCircle) {
    if (!has(centre) || !has(onCircle)) return;
    const int r = static_cast<int>(pixelDistance(at(centre), at(onCircle)));
    painter_.drawEllipse(at(centre), r, r);
  }
  void pointSquare(int index) {
    if (!has(index)) return;
    const QPoint p = at(index);
    painter_.drawRect(QRect(p - QPoint(1, 1), p + QPoint(1, 1)));
  }
  void labels(int anchorIndex, int first = 0, int last = -1) {
    if (!has(anchorIndex)) return;
    if (last < 0) last = static_cast<int>(shape_.labels.size()) - 1;
    const QPoint anchor = at(anchorIndex);
    for (int i = first; i <= last && i < shape_.labels.size(); ++i) label(anchor, i - first, shape_.labels[i]);
  }
  // Text with its top-left at anchor, line `line` below it.
  void label(QPoint anchor, int line, const QString& text) {
    if (text.isEmpty()) return;
    painter_.save();
    painter_.setPen(shape_.selected && shape_.kind == ShapeKind::Text ? QColor(255, 0, 0) : textColor());
    const QFontMetrics metrics(painter_.font());
    painter_.drawText(QPoint(anchor.x(), anchor.y() + line * shape_.lineHeight + metrics.ascent()), text);
    painter_.restore();
  }
  void centredText(QPoint centre, const QString& text) {
    painter_.save();
    painter_.setPen(colorFromRef(shape_.labelColor));
    painter_.drawText(QRect(centre - QPoint(10, 10), QSize(20, 20)), Qt::AlignCenter | Qt::TextDontClip, text);
    painter_.restore();
  }
  QColor textColor() const {
    return colorFromRef(shape_.kind == ShapeKind::Text ? shape_.textColor : shape_.labelColor);
  }
  QPainter& painter() { return painter_; }
  const ShapeTransform& transform() const { return transform_; }

 private:
  QPainter& painter_;
  const MeasureShape& shape_;
  const ShapeTransform& transform_;
};

void drawArc(RecordPainter& r) {
  if (r.count() < 3) return;
  const QPoint p0 = r.at(0), p1 = r.at(1), p2 = r.at(2);
  const std::optional<ArcCircle> circle = arcCircle(p0, p1, p2);
  if (!circle) return;
  const long long cross = static_cast<long long>(p1.x() - p0.x()) * (p2.y() - p0.y()) -
                          static_cast<long long>(p2.x() - p0.x()) * (p1.y() - p0.y());
  // Counter-clockwise from p0 to p2 when the points turn that way, else from p2 to p0: through p1 either way.
  const QPoint from = cross < 0 ? p0 : p2;
  const QPoint to = cross < 0 ? p2 : p0;
  const double start = screenAngle(circle->centre, from);
  double span = std::fmod(screenAngle(circle->centre, to) - start + 720.0, 360.0);
  if (span == 0) span = 360;
  const int rad = circle->radius;
  const QRect box(circle->centre.x() - rad, circle->centre.y() - rad, 2 * rad, 2 * rad);
  r.painter().drawArc(box, static_cast<int>(std::lround(start * 16)), static_cast<int>(std::lround(span * 16)));
}

void drawDotLine(RecordPainter& r) {
  r.segment(0, 1);
  if (r.count() < 3) return;
  const std::optional<QPointF> foot = perpendicularFoot(r.at(0), r.at(1), r.at(2));
  if (!foot) return;
  QPen pen = r.painter().pen();
  pen.setStyle(Qt::DotLine);
  r.painter().save();
  r.painter().setPen(pen);
  r.painter().drawLine(r.at(2), roundedHalfUp(*foot));
  r.painter().restore();
}

}  // namespace

ShapeTransform ShapeTransform::scrolled(QPoint scroll) {
  ShapeTransform t;
  t.scroll_ = scroll;
  return t;
}

ShapeTransform ShapeTransform::zoomed(double zoomX, double zoomY) {
  ShapeTransform t;
  t.zoomX_ = zoomX;
  t.zoomY_ = zoomY;
  return t;
}

QPoint ShapeTransform::map(QPoint p) const {
  if (zoomX_ == 1.0 && zoomY_ == 1.0) return p - scroll_;
  return {static_cast<int>(p.x() * zoomX_), static_cast<int>(p.y() * zoomY_)};
}

void drawShape(QPainter& painter, const MeasureShape& shape, const ShapeTransform& transform,
               const TotalFormat& total) {
  if (shape.kind == ShapeKind::Unset || shape.points.isEmpty()) return;
  painter.save();
  RecordPainter r(painter, shape, transform);
  const int n = r.count();
  switch (shape.kind) {
    case ShapeKind::Line:
    case ShapeKind::ParallelLine:
    case ShapeKind::AutoLineSpacing:
      r.segment(0, 1);
      r.segment(2, 3);
      r.segment(4, 5);
      r.labels(6);
      break;
    case ShapeKind::Text:
      painter.setFont(toQFont(shape.textFont));
      r.label(r.at(0), 0, shape.labels.value(0));
      break;
    case ShapeKind::Angle:
      r.segment(0, 1);
      r.segment(1, 2);
      r.labels(3);
      break;
    case ShapeKind::ContinuousLine: {
      r.segment(0, 1);
      for (int i = 1; i < n - 2; i += 2) r.segment(i, i + 2);
      const int labelCount = static_cast<int>(shape.labels.size());
      for (int j = 0; j < labelCount; ++j)
        if (r.has(2 * j + 2)) r.label(r.at(2 * j + 2), 0, shape.labels[j]);
      const QString totalText = continuousTotalText(shape, total.decimals, total.unitName);
      if (labelCount > 0 && r.has(2 * labelCount) && !totalText.isEmpty()) r.label(r.at(2 * labelCount), 1, totalText);
      break;
    }
    case ShapeKind::Polygon:
      // The last point is the label anchor, not a vertex.
      for (int i = 0; i + 1 < n - 1; ++i) r.segment(i, i + 1);
      if (n - 1 >= 2) r.segment(n - 2, 0);
      r.labels(n - 1);
      break;
    case ShapeKind::RadiusCircle:
      r.circleThrough(0, 1);
      r.segment(0, 1);
      r.labels(2);
      break;
    case ShapeKind::Rectangle:
      if (n >= 2) painter.drawRect(QRect(r.at(0), r.at(1)).normalized());
      r.labels(2);
      break;
    case ShapeKind::DiameterCircle:
      r.circleThrough(0, 1);
      r.segment(1, 2);
      r.labels(3);
      break;
    case ShapeKind::ThreePointCircle:
      r.circleThrough(0, 1);
      r.segment(0, 3);
      r.pointSquare(2);
      r.pointSquare(1);
      r.pointSquare(3);
      r.labels(4);
      break;
    case ShapeKind::FourPointAngle:
    case ShapeKind::AutoAngle:
      r.segment(0, 1);
      r.segment(2, 3);
      r.labels(4);
      break;
    case ShapeKind::TwoCircles:
      for (int i : {0, 1, 2}) r.pointSquare(i);
      r.circleThrough(3, 0);
      for (int i : {5, 6, 7}) r.pointSquare(i);
      r.circleThrough(8, 5);
      r.segment(3, 8);
      r.labels(4, 0, 0);
      r.labels(9, 1, 1);
      r.labels(10, 2, 2);
      break;
    case ShapeKind::CircleLabel:
      painter.drawEllipse(r.at(0), 10, 10);
      r.centredText(r.at(0), shape.labels.value(0));
      break;
    case ShapeKind::SquareLabel:
      painter.drawRect(QRect(r.at(0) - QPoint(10, 10), QSize(20, 20)));
      r.centredText(r.at(0), shape.labels.value(0));
      break;
    case ShapeKind::AutoCircle: {
      // The fitted radius is in view pixels; a zoomed target scales it like the points.
      const int radius = static_cast<int>(transform.scaleX(shape.radius) + 0.5);
      const QPoint c = r.at(0);
      painter.drawEllipse(c, radius, radius);
      painter.drawLine(c, c + QPoint(radius, 0));
      r.labels(0);
      break;
    }
    case ShapeKind::DotLine:
      drawDotLine(r);
      r.labels(3);
      break;
    case ShapeKind::AutoLineLength1:
    case ShapeKind::AutoLineLength2:
      r.segment(0, 1);
      r.labels(2);
      break;
    case ShapeKind::Arc:
    case ShapeKind::AutoArc:
      drawArc(r);
      r.labels(3);
      break;
    case ShapeKind::Unset:
      break;
  }
  painter.restore();
}

void drawShapes(QPainter& painter, const ShapeList& shapes, const ShapeTransform& transform, const TotalFormat& total) {
  for (int i = 0; i < shapes.count(); ++i) drawShape(painter, shapes.at(i), transform, total);
}

void drawShapes(QPainter& painter, const ShapeList& shapes, const ShapeTransform& transform) {
  const CalibrationState& state = calibrationState();
  drawShapes(painter, shapes, transform, TotalFormat{state.decimals, state.unitName.text()});
}

QImage renderShapesOnPicture(const QImage& picture, const ShapeList& shapes, double zoom) {
  QImage image = picture.convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) return image;
  QPainter painter(&image);
  const ShapeTransform transform = ShapeTransform::zoomed(zoom, zoom);
  const CalibrationState& state = calibrationState();
  const TotalFormat total{state.decimals, state.unitName.text()};
  for (int i = 0; i < shapes.count(); ++i) {
    if (shapes.at(i).selected) {
      MeasureShape plain = shapes.at(i);
      plain.selected = false;
      drawShape(painter, plain, transform, total);
    } else {
      drawShape(painter, shapes.at(i), transform, total);
    }
  }
  return image;
}

}  // namespace lumivex
