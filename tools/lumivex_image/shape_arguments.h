#pragma once

#include "measure/measure_shape.h"
#include "measure/result_text.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <optional>

namespace lumivex::tool {

// The measurement settings of the commands that build shapes: mm, 3 decimals, magnification 10 and the
// mm factor unless options say otherwise.
UnitConversion defaultUnits();
// Applies "--unit", "--decimals", "--rate" or "--unit-factor" with its value; false (and *error) for a bad
// value; nothing for a name that is not one of them.
std::optional<bool> applyUnitOption(const QString& name, const QString& value, UnitConversion& units, QString* error);

// The shape kinds the commands know ("line", "radius-circle", ...), for usage texts.
QString shapeKindList();
// Builds a shape from its clicks as the still canvas would (the label stands at the last click). Nothing,
// with *error, for an unknown kind or a wrong number of points; *formed is false when the points make no
// such shape (collinear arc points, ...).
std::optional<MeasureShape> buildShape(const QString& kind, const QList<QPoint>& points, const UnitConversion& units,
                                       QString* error, bool* formed);

}  // namespace lumivex::tool
