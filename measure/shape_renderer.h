#pragma once

#include "measure/measure_shape.h"

#include <QImage>
#include <QPoint>
#include <QString>

class QPainter;

namespace lumivex {

class ShapeList;

// Where stored (view-content) points land on a target: the canvas window shows them minus the scroll
// position; a full-resolution picture takes x times the horizontal zoom and y times the vertical zoom,
// truncated.
class ShapeTransform {
 public:
  static ShapeTransform scrolled(QPoint scroll);
  static ShapeTransform zoomed(double zoomX, double zoomY);

  QPoint map(QPoint p) const;
  // A length along x (the fitted radius of an automatic circle) on the target.
  double scaleX(double length) const { return length * zoomX_; }

 private:
  QPoint scroll_;
  double zoomX_ = 1.0;
  double zoomY_ = 1.0;
};

// What the continuous-line total is formatted with (the current decimals and unit).
struct TotalFormat {
  int decimals = 3;
  QString unitName = QStringLiteral("mm");
};

// Draws one record, or every record of the list in order. Pens and fonts are made per record; sizes of
// the label circles and squares and of the point squares are in target pixels. Unset records are skipped.
void drawShape(QPainter& painter, const MeasureShape& shape, const ShapeTransform& transform, const TotalFormat& total);
void drawShapes(QPainter& painter, const ShapeList& shapes, const ShapeTransform& transform, const TotalFormat& total);
// With the total formatted from calibrationState().
void drawShapes(QPainter& painter, const ShapeList& shapes, const ShapeTransform& transform);

// A copy of a full-size picture (top-down) with every shape drawn at zoom picture pixels per stored
// pixel, none in the selection colour: what a save or a report shows.
QImage renderShapesOnPicture(const QImage& picture, const ShapeList& shapes, double zoom);

}  // namespace lumivex
