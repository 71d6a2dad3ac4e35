#pragma once

#include "measure/measure_shape.h"

#include <QRect>

namespace lumivex {

class ShapeTransform;

// The rectangle a record covers on a target when drawn by drawShape: its points, circles and label
// texts (measured with its own fonts), grown by its pen. Views repaint only this much when one record
// changes.
QRect shapeBounds(const MeasureShape& shape, const ShapeTransform& transform);

}  // namespace lumivex
