// lumivex-image export: measurement shapes built from the command line, written by the same export code
// as the program's commands (appending to an existing file exactly as they do). Each file form registers
// its writer in export_formats.h; the spreadsheet forms are here.
#include "export/spreadsheet_export.h"
#include "tools/lumivex_image/command_registry.h"
#include "tools/lumivex_image/export_formats.h"
#include "tools/lumivex_image/shape_arguments.h"

#include <cstdio>

namespace lumivex::tool {
namespace {

int usageError(const QString& text) {
  std::fprintf(stderr, "export: %s\n", qPrintable(text));
  return 2;
}

// The live list keeps the tool code that made a shape as its kind.
std::optional<int> liveToolOf(ShapeKind kind) {
  switch (kind) {
    case ShapeKind::Line:
      return 1;
    case ShapeKind::DotLine:
      return 2;
    case ShapeKind::ParallelLine:
      return 3;
    case ShapeKind::ContinuousLine:
      return 4;
    case ShapeKind::Rectangle:
      return 5;
    case ShapeKind::Polygon:
      return 6;
    case ShapeKind::RadiusCircle:
      return 8;
    case ShapeKind::DiameterCircle:
      return 9;
    case ShapeKind::ThreePointCircle:
      return 10;
    case ShapeKind::TwoCircles:
      return 11;
    case ShapeKind::Angle:
      return 12;
    case ShapeKind::FourPointAngle:
      return 13;
    case ShapeKind::Arc:
      return 17;
    default:
      return std::nullopt;
  }
}

struct Group {
  QString kind;
  QList<int> numbers;
};

int exportCommand(const QStringList& args) {
  if (args.isEmpty() || args.front().startsWith(QStringLiteral("--"))) return usageError("FILE missing");
  ExportJob job;
  job.path = args.front();
  UnitConversion units = defaultUnits();
  std::vector<Group> groups;
  bool newGroup = true;
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == u"--") {
      newGroup = true;
      continue;
    }
    if (a == u"--live") {
      job.source = ReportSource::Live;
      continue;
    }
    if (a.startsWith(QStringLiteral("--"))) {
      if (i + 1 >= args.size()) return usageError(QStringLiteral("%1 needs a value").arg(a));
      const QString value = args[++i];
      QString error;
      const std::optional<bool> applied = applyUnitOption(a, value, units, &error);
      if (applied && !*applied) return usageError(error);
      if (!applied && !isExportOption(a)) return usageError(QStringLiteral("unknown option %1").arg(a));
      if (!applied) job.options.insert(a, value);
      continue;
    }
    if (newGroup) {
      groups.push_back({a, {}});
      newGroup = false;
      continue;
    }
    bool ok = false;
    groups.back().numbers.append(a.toInt(&ok));
    if (!ok) return usageError(QStringLiteral("coordinates must be integers: %1").arg(a));
  }
  for (const Group& group : groups) {
    if (group.numbers.size() % 2 != 0)
      return usageError(QStringLiteral("coordinates come in pairs (%1)").arg(group.kind));
    QList<QPoint> points;
    for (qsizetype i = 0; i < group.numbers.size(); i += 2) points.append({group.numbers[i], group.numbers[i + 1]});
    QString error;
    bool formed = false;
    std::optional<MeasureShape> shape = buildShape(group.kind, points, units, &error, &formed);
    if (!shape) return usageError(error.isEmpty() ? QStringLiteral("the points form no %1").arg(group.kind) : error);
    if (job.source == ReportSource::Live) {
      const std::optional<int> tool = liveToolOf(shape->kind);
      if (!tool) return usageError(QStringLiteral("%1 has no live tool").arg(group.kind));
      shape->kind = static_cast<ShapeKind>(*tool);
    }
    job.shapes.push_back(std::move(*shape));
  }
  job.total = TotalFormat{units.decimals, units.unitName};
  job.units = units;
  const ExportWriter* writer = exportWriterFor(job.path);
  if (!writer) return usageError(QStringLiteral("no file form for %1").arg(job.path));
  for (const QString& option : job.options.keys()) {
    if (!takesExportOption(job.path, option))
      return usageError(QStringLiteral("%1 does not apply to %2").arg(option, job.path));
  }
  return (*writer)(job);
}

int writeSpreadsheet(const ExportJob& job) {
  const SpreadsheetExportResult result = writeReportSpreadsheet(job.path, job.source, job.shapePointers(), job.total);
  if (result.written) return 0;
  const QString why = result.reason.isEmpty() ? result.error.trimmed() : result.reason;
  std::fprintf(stderr, "Save fail: %s\n", qPrintable(why));
  return 1;
}

const bool kRegistered =
    registerExportFormat({QStringLiteral("xls"), QStringLiteral("xlsx")}, {}, writeSpreadsheet) &&
    registerExportFormat({}, {}, writeSpreadsheet) &&
    registerCommand("export",
                    "FILE [--live] [--unit U] [--decimals D] [--rate R] [--unit-factor F] [--picture P] [--height H] "
                    "KIND X1 Y1 ... [-- KIND X1 Y1 ...]  (FILE.xls, FILE.xlsx, other names as TAB-separated "
                    "UTF-16 text, appended to as the program does; FILE.doc (RTF) or FILE.docx, the Word report "
                    "with picture P; FILE.dxf, the drawing, y turned up from row H; KIND as for measure)",
                    exportCommand);

}  // namespace
}  // namespace lumivex::tool
