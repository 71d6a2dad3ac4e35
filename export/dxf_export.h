#pragma once

#include "export/report_row.h"
#include "measure/measure_shape.h"

#include <QPointF>
#include <QString>

#include <vector>

namespace lumivex {

class CadDrawing;

// How a stored point becomes drawing units, with the y axis turned up:
//   x' = f * (x * scaleX) * 10 / rate,  y' = f * (height - y * scaleY) * 10 / rate
// f is the unit's own factor (mm 0.02963 ...), scale the picture pixels per stored pixel and height the
// picture height in picture pixels, so a LINE is as long as its "L:" label.
struct DxfPlacement {
  double unitFactor = 0.02963;
  double rate = 1.0;
  double scaleX = 1.0;
  double scaleY = 1.0;
  double height = 0.0;

  // A still picture: the canvas's zoom factors (picture pixels per view pixel) and the picture height.
  static DxfPlacement forStill(const QString& unit, double rate, double zoomX, double zoomY, int pictureHeight);
  // The live view: points are 640 x 480 video coordinates, and the labels count each as captureFactor
  // capture pixels (2.5 at 1600 x 1200, 2 at 1280 x 960/1024, 1 at 640 x 480, 0.5 otherwise); the video's
  // bottom row is y' = 0.
  static DxfPlacement forLive(const QString& unit, double rate, double captureFactor);

  QPointF map(QPointF stored) const;
  // A distance in stored pixels along (dx, dy), in drawing units.
  double distance(double dx, double dy) const;
};

struct DxfEntity {
  enum class Kind { Line, Circle, Polyline };
  Kind kind = Kind::Line;
  std::vector<QPointF> points;  // line: two ends; circle: the centre; polyline: the vertices
  double radius = 0.0;
  bool closed = false;
};

// The entities of the shapes, in list order: LINEs for lines and angle arms, CIRCLEs for circles (radius
// from the same points the labels were measured on), POLYLINEs for rectangles, polygons and continuous
// lines. Texts, labels and arcs give none; a degenerate or damaged shape (too few points, radius <= 0,
// non-finite numbers) is skipped without stopping.
std::vector<DxfEntity> dxfEntities(const std::vector<const MeasureShape*>& shapes, ReportSource source,
                                   const DxfPlacement& placement);

// The stored layout a live tool code's record has (a Line for 1 and so on); Unset for codes that never
// give an entity.
ShapeKind liveLayoutKind(int liveCode);

// The DXF insertion-unit code of a unit name: mm 4, cm 5, inch 1, mil 9.
int dxfUnitCode(const QString& unit);

enum class DxfResult { Written, CreateFailed, SaveFailed };

// Builds the drawing (the "Continuous" line type; Layer1 and Layer2 with Layer2 current for stills,
// Layer1 alone and no current layer for the live view), adds the entities and writes path atomically.
// The drawing is destroyed on every path. A failing entity does not stop the rest. When saving fails,
// *saveError (if given) gets the reason.
DxfResult writeDxf(CadDrawing& cad, const std::vector<DxfEntity>& entities, ReportSource source, int unitCode,
                   const QString& path, QString* saveError = nullptr);

}  // namespace lumivex
