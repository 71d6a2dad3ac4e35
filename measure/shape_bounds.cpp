#include "measure/shape_bounds.h"

#include "measure/font_store.h"
#include "measure/geometry.h"
#include "measure/shape_renderer.h"

#include <QFontMetrics>

#include <algorithm>

namespace lumivex {
namespace {

QRect around(QPoint c, int r) { return QRect(c - QPoint(r, r), c + QPoint(r, r)); }

}  // namespace

QRect shapeBounds(const MeasureShape& shape, const ShapeTransform& transform) {
  if (shape.kind == ShapeKind::Unset || shape.points.isEmpty()) return {};
  QList<QPoint> at;
  at.reserve(shape.points.size());
  for (const QPoint& p : shape.points) at.append(transform.map(p));
  QRect bounds(at[0], at[0]);
  for (const QPoint& p : at) bounds = bounds.united(QRect(p, p));
  const auto circle = [&](int centre, int onCircle) {
    if (std::max(centre, onCircle) < at.size())
      bounds = bounds.united(around(at[centre], static_cast<int>(pixelDistance(at[centre], at[onCircle])) + 1));
  };
  switch (shape.kind) {
    case ShapeKind::RadiusCircle:
    case ShapeKind::DiameterCircle:
    case ShapeKind::ThreePointCircle:
      circle(0, 1);
      break;
    case ShapeKind::TwoCircles:
      circle(3, 0);
      circle(8, 5);
      break;
    case ShapeKind::AutoCircle:
      bounds = bounds.united(around(at[0], static_cast<int>(transform.scaleX(shape.radius)) + 2));
      break;
    case ShapeKind::Arc:
    case ShapeKind::AutoArc:
      if (at.size() >= 3) {
        if (const std::optional<ArcCircle> c = arcCircle(at[0], at[1], at[2]))
          bounds = bounds.united(around(c->centre, c->radius + 1));
      }
      break;
    case ShapeKind::CircleLabel:
    case ShapeKind::SquareLabel:
      bounds = bounds.united(around(at[0], 11));
      break;
    default:
      break;
  }
  // Label texts: line i of a label stands i line heights below its anchor; a continuous line's total one
  // line below its last label.
  const bool text = shape.kind == ShapeKind::Text;
  const QFontMetrics metrics(toQFont(text ? shape.textFont : shape.labelFont));
  for (int i = 0; i < shape.labels.size(); ++i) {
    int anchor = labelAnchorIndex(shape.kind, static_cast<int>(at.size()), i);
    int line = i;
    if (shape.kind == ShapeKind::ContinuousLine || shape.kind == ShapeKind::TwoCircles) line = 0;
    if (anchor < 0 || anchor >= at.size()) continue;
    const QString label = shape.labels[i].isEmpty() ? QString() : shape.labels[i];
    const int width = metrics.horizontalAdvance(label) + metrics.averageCharWidth() * 8;
    const QPoint topLeft(at[anchor].x(), at[anchor].y() + line * shape.lineHeight);
    bounds = bounds.united(QRect(topLeft, QSize(width, metrics.height() * 2 + shape.lineHeight)));
  }
  const int margin = std::max(1, shape.penWidth) + 3;
  return bounds.adjusted(-margin, -margin, margin, margin);
}

}  // namespace lumivex
