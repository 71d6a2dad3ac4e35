#pragma once

#include "export/report_row.h"
#include "measure/measure_shape.h"
#include "measure/result_text.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace lumivex::tool {

// What `lumivex-image export` hands the writer of a file form: the target, the shapes of one source built
// from the command line, the unit and decimals in force, and the form's own options.
struct ExportJob {
  QString path;
  ReportSource source = ReportSource::Still;
  std::vector<MeasureShape> shapes;
  TotalFormat total;
  UnitConversion units;             // the calibration the labels were computed with
  QHash<QString, QString> options;  // "--picture" -> "pic.bmp", for the options the form declared

  std::vector<const MeasureShape*> shapePointers() const;
};

// Writes job.path; prints its failure on stderr and returns the exit status (0 written).
using ExportWriter = std::function<int(const ExportJob& job)>;

// Registers the writer of file names ending in one of suffixes ("xlsx", lowercase, no dot). A writer
// registered with no suffix takes every name no other writer claims. options lists the "--name VALUE"
// options the form understands besides the shared ones. Called from a static initialiser in the file
// of each form.
bool registerExportFormat(const QStringList& suffixes, const QStringList& options, ExportWriter writer);

// The writer for a path, or null.
const ExportWriter* exportWriterFor(const QString& path);
// Whether some form declared the option.
bool isExportOption(const QString& name);
// Whether the form writing path declared it.
bool takesExportOption(const QString& path, const QString& name);
// "xls, xlsx, ... or any other name", for the usage text.
QString exportFormatList();

}  // namespace lumivex::tool
