#pragma once

#include "measure/measure_shape.h"

#include <QPoint>

namespace lumivex {

// The select tool's hit rules, in content coordinates:
// - a segment is hit in the band 3 pixels either side of it, measured vertically for segments flatter
//   than 45 degrees and horizontally for steeper ones, within the segment's own extent;
// - a Rectangle within 2 pixels of its border (inside it grown by 2, not inside it shrunk by 2);
// - a ThreePointCircle when the click's distance from the centre and the radius (centre to point 1),
//   both truncated, differ by less than 3; TwoCircles the same for its first circle with at most 2;
// - a Text in the box of its two points grown by 8.
// The other kinds, by the same manner: Line, ParallelLine and AutoLineSpacing by any of their three
// segments; RadiusCircle, DiameterCircle, AutoCircle, Arc and AutoArc by their circle (difference under
// 3) or their radius or diameter segment; Angle and the four-point angles by either line; ContinuousLine
// and Polygon by any edge (the polygon's closing edge too); DotLine by its line or its perpendicular;
// the automatic line lengths by their segment; CircleLabel within 12 of its centre; SquareLabel in its
// square grown by 2.
bool hitsShape(const MeasureShape& shape, QPoint click);
bool hitsSegment(QPoint a, QPoint b, QPoint click, int band = 3);

// The point of a shape that follows the mouse while it is moved: the midpoint of the measured segment
// (integer halves) for Line and ParallelLine, and likewise for DotLine, AutoLineSpacing and the automatic
// line lengths; the centre for every circle, arc and the first circle of TwoCircles; the centre of the two
// corners for Rectangle; the vertex for Angle; the first point for everything else.
QPoint moveReference(const MeasureShape& shape);

// Every point of the shape moved by offset (its label anchors too).
void translateShape(MeasureShape& shape, QPoint offset);

}  // namespace lumivex
