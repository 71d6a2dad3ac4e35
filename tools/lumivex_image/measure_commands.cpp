// lumivex-image measure / calibration: the measurement results and the calibration file from the command
// line, for scripts and checks.
#include "measure/calibration_file.h"
#include "measure/rate_derivation.h"
#include "measure/shape_builder.h"
#include "measure/units.h"
#include "tools/lumivex_image/command_registry.h"

#include <QList>
#include <QPoint>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>

namespace lumivex::tool {
namespace {

void printLine(const QString& text) {
  std::fputs(text.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
}

int fail(const char* text) {
  std::fprintf(stderr, "%s\n", text);
  return 2;
}

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
      {"angle", {3, 3, [](const auto& p, const auto&) { return makeAngle(p[0], p[1], p[2], p[2]); }}},
      {"four-point-angle",
       {4, 4, [](const auto& p, const auto&) { return makeFourPointAngle(p[0], p[1], p[2], p[3], p[3]); }}},
      {"arc", {3, 3, [](const auto& p, const auto& u) { return makeArc(p[0], p[1], p[2], p[2], u); }}},
  };
  return table;
}

int measure(const QStringList& args) {
  if (args.isEmpty()) return fail("measure: KIND missing");
  const auto kind = kinds().find(args.front());
  if (kind == kinds().end()) return fail("measure: unknown KIND");
  UnitConversion units;
  units.unitName = QStringLiteral("mm");
  units.decimals = kDefaultDecimals;
  units.rate = 10;
  units.unitFactor = kMmFactor;
  QList<int> numbers;
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    bool ok = true;
    if (a.startsWith(QStringLiteral("--"))) {
      if (i + 1 >= args.size()) return fail("measure: option without a value");
      const QString value = args[++i];
      if (a == u"--unit") {
        units.unitName = value;
      } else if (a == u"--decimals") {
        units.decimals = value.toInt(&ok);
        ok = ok && units.decimals >= 0 && units.decimals <= 17;
      } else if (a == u"--rate") {
        units.rate = value.toDouble(&ok);
        ok = ok && units.rate > 0;
      } else if (a == u"--unit-factor") {
        units.unitFactor = value.toDouble(&ok);
      } else {
        return fail("measure: unknown option");
      }
      if (!ok) return fail("measure: bad option value");
      continue;
    }
    numbers.append(a.toInt(&ok));
    if (!ok) return fail("measure: coordinates must be integers");
  }
  if (numbers.size() % 2 != 0) return fail("measure: coordinates come in pairs");
  QList<QPoint> points;
  for (qsizetype i = 0; i < numbers.size(); i += 2) points.append(QPoint(numbers[i], numbers[i + 1]));
  const KindEntry& entry = kind->second;
  if (points.size() < entry.minPoints || (entry.maxPoints != 0 && points.size() > entry.maxPoints))
    return fail("measure: wrong number of points for KIND");

  const std::optional<MeasureShape> shape = entry.build(points, units);
  if (!shape) {
    printLine(QStringLiteral("no result: the points form no such shape"));
    return 0;
  }
  for (const QString& label : shape->labels) printLine(label);
  if (shape->kind == ShapeKind::ContinuousLine) {
    const QString total = continuousTotalText(*shape, units.decimals, units.unitName);
    if (!total.isEmpty()) printLine(total);
  }
  return 0;
}

int calibration(const QStringList& args) {
  if (args.size() == 3 && args[0] == u"lookup") {
    const std::optional<QString> value = lookupCalibration(args[1], args[2]);
    if (!value) return 1;
    printLine(*value);
    return 0;
  }
  if (args.size() == 4 && args[0] == u"store") {
    bool ok = false;
    const double value = args[3].toDouble(&ok);
    if (!ok) return fail("calibration store: VALUE must be a number");
    const WriteResult stored = storeCalibration(args[1], args[2], calibrationText(value));
    if (stored) return 0;
    std::fprintf(stderr, "calibration store: %s: %s\n", qPrintable(args[1]), qPrintable(stored.reason));
    return 1;
  }
  return fail("calibration: lookup FILE MAG | store FILE MAG VALUE");
}

const bool kRegistered =
    registerCommand("measure",
                    "KIND [--unit NAME] [--decimals D] [--rate R] [--unit-factor F] X1 Y1 X2 Y2 ...  (KIND: line, "
                    "parallel, dotline, radius-circle, diameter-circle, three-point-circle, two-circles, "
                    "rectangle, polygon, continuous, angle, four-point-angle, arc)",
                    measure) &&
    registerCommand("calibration", "lookup FILE MAG | store FILE MAG VALUE  (VALUE stored as %.1f)", calibration);

}  // namespace
}  // namespace lumivex::tool
