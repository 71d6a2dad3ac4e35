// lumivex-image measure / calibration: the measurement results and the calibration file from the command
// line, for scripts and checks.
#include "measure/calibration_file.h"
#include "measure/rate_derivation.h"
#include "measure/shape_builder.h"
#include "measure/units.h"
#include "tools/lumivex_image/command_registry.h"
#include "tools/lumivex_image/shape_arguments.h"

#include <QList>
#include <QPoint>

#include <cstdio>
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

int measure(const QStringList& args) {
  if (args.isEmpty()) return fail("measure: KIND missing");
  UnitConversion units = defaultUnits();
  QList<int> numbers;
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    bool ok = true;
    if (a.startsWith(QStringLiteral("--"))) {
      if (i + 1 >= args.size()) return fail("measure: option without a value");
      QString error;
      const std::optional<bool> applied = applyUnitOption(a, args[++i], units, &error);
      if (!applied) return fail("measure: unknown option");
      if (!*applied) return fail("measure: bad option value");
      continue;
    }
    numbers.append(a.toInt(&ok));
    if (!ok) return fail("measure: coordinates must be integers");
  }
  if (numbers.size() % 2 != 0) return fail("measure: coordinates come in pairs");
  QList<QPoint> points;
  for (qsizetype i = 0; i < numbers.size(); i += 2) points.append(QPoint(numbers[i], numbers[i + 1]));
  QString error;
  bool formed = false;
  const std::optional<MeasureShape> shape = buildShape(args.front(), points, units, &error, &formed);
  if (!shape && !formed && !error.isEmpty()) {
    std::fprintf(stderr, "measure: %s\n", qPrintable(error));
    return 2;
  }
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
                    "KIND [--unit NAME] [--decimals D] [--rate R] [--unit-factor F] [--uncertainty REL|unknown] "
                    "[--point-uncertainty PX] X1 Y1 X2 Y2 ...  (KIND: line, parallel, dotline, radius-circle, "
                    "diameter-circle, three-point-circle, two-circles, rectangle, polygon, continuous, angle, "
                    "four-point-angle, arc; REL the calibration's relative uncertainty, 0.03% or 0.0003: results "
                    "get \"± u\", each point counting ±PX, default 0.5)",
                    measure) &&
    registerCommand("calibration", "lookup FILE MAG | store FILE MAG VALUE  (VALUE stored as %.1f)", calibration);

}  // namespace
}  // namespace lumivex::tool
