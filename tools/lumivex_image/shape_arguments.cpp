#include "tools/lumivex_image/shape_arguments.h"

#include "measure/shape_builder.h"
#include "measure/units.h"

#include <functional>
#include <map>

namespace lumivex::tool {
namespace {

using Builder = std::function<std::optional<MeasureShape>(const QList<QPoint>&, const UnitConversion&)>;

struct KindEntry {
  int minPoints;
  int maxPoints;  // 0: any number from minPoints
  Builder build;
};

const std::map<QString, KindEntry>& kinds() {
  // The label stands at the last click; where it stands does not change the texts.
  static const std::map<QString, KindEntry> table{
      {"line", {2, 2, [](const auto& p, const auto& u) { return makeLine(p[0], p[1], p[1], u); }}},
      {"parallel", {2, 2, [](const auto& p, const auto& u) { return makeParallelLine(p[0], p[1], p[1], u); }}},
      {"dotline", {3, 3, [](const auto& p, const auto& u) { return makeDotLine(p[0], p[1], p[2], p[2], u); }}},
      {"radius-circle", {2, 2, [](const auto& p, const auto& u) { return makeRadiusCircle(p[0], p[1], p[1], u); }}},
      {"diameter-circle", {2, 2, [](const auto& p, const auto& u) { return makeDiameterCircle(p[0], p[1], p[1], u); }}},
      {"three-point-circle",
       {3, 3, [](const auto& p, const auto& u) { return makeThreePointCircle(p[0], p[1], p[2], p[2], u); }}},
      {"two-circles",
       {6, 6,
        [](const auto& p, const auto& u) {
          return makeTwoCircles({p[0], p[1], p[2]}, p[2], {p[3], p[4], p[5]}, p[5], p[5], u);
        }}},
      {"rectangle", {2, 2, [](const auto& p, const auto& u) { return makeRectangle(p[0], p[1], p[1], u); }}},
      {"polygon", {3, 0, [](const auto& p, const auto& u) { return makePolygon(p, p.back(), u); }}},
      {"continuous", {2, 0, [](const auto& p, const auto& u) { return makeContinuousLine(p, p.mid(1), u); }}},
      {"angle", {3, 3, [](const auto& p, const auto& u) { return makeAngle(p[0], p[1], p[2], p[2], u); }}},
      {"four-point-angle",
       {4, 4, [](const auto& p, const auto& u) { return makeFourPointAngle(p[0], p[1], p[2], p[3], p[3], u); }}},
      {"arc", {3, 3, [](const auto& p, const auto& u) { return makeArc(p[0], p[1], p[2], p[2], u); }}},
  };
  return table;
}

}  // namespace

UnitConversion defaultUnits() {
  UnitConversion units;
  units.unitName = QStringLiteral("mm");
  units.decimals = kDefaultDecimals;
  units.rate = 10;
  units.unitFactor = kMmFactor;
  return units;
}

std::optional<bool> applyUnitOption(const QString& name, const QString& value, UnitConversion& units, QString* error) {
  bool ok = true;
  if (name == u"--unit") {
    units.unitName = value;
  } else if (name == u"--decimals") {
    units.decimals = value.toInt(&ok);
    ok = ok && units.decimals >= 0 && units.decimals <= 17;
  } else if (name == u"--rate") {
    units.rate = value.toDouble(&ok);
    ok = ok && units.rate > 0;
  } else if (name == u"--unit-factor") {
    units.unitFactor = value.toDouble(&ok);
  } else if (name == u"--uncertainty") {
    // The calibration's relative expanded uncertainty ("0.03%" or "0.0003"), or "unknown": results then
    // carry " ± u" (angles always, lengths and areas when the calibration's is known).
    units.showUncertainty = true;
    if (value == u"unknown") {
      units.scaleUncertainty.reset();
    } else {
      const bool percent = value.endsWith(u'%');
      const double relative = (percent ? value.chopped(1) : value).toDouble(&ok) / (percent ? 100.0 : 1.0);
      ok = ok && relative >= 0 && relative < 1;
      units.scaleUncertainty = relative;
    }
  } else if (name == u"--point-uncertainty") {
    units.pointUncertainty = value.toDouble(&ok);
    ok = ok && units.pointUncertainty >= 0 && units.pointUncertainty < 1e6;
  } else {
    return std::nullopt;
  }
  if (!ok && error) *error = QStringLiteral("bad value for %1").arg(name);
  return ok;
}

QString shapeKindList() {
  QStringList names;
  for (const auto& [name, entry] : kinds()) names << name;
  return names.join(QStringLiteral(", "));
}

std::optional<MeasureShape> buildShape(const QString& kind, const QList<QPoint>& points, const UnitConversion& units,
                                       QString* error, bool* formed) {
  *formed = false;
  const auto entry = kinds().find(kind);
  if (entry == kinds().end()) {
    *error = QStringLiteral("unknown KIND %1").arg(kind);
    return std::nullopt;
  }
  const KindEntry& k = entry->second;
  if (points.size() < k.minPoints || (k.maxPoints != 0 && points.size() > k.maxPoints)) {
    *error = QStringLiteral("wrong number of points for %1").arg(kind);
    return std::nullopt;
  }
  std::optional<MeasureShape> shape = k.build(points, units);
  *formed = shape.has_value();
  return shape;
}

}  // namespace lumivex::tool
