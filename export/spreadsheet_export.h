#pragma once

#include "export/report_row.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QWidget;

namespace lumivex {

struct MeasureShape;

// The outcome of writing the report into a spreadsheet file.
struct SpreadsheetExportResult {
  bool written = false;
  QString error;   // the writer's own text ("Error writing file\n", ...)
  QString reason;  // the system's reason when a read or write failed ("No space left on device")
};

// Writes the measurement report of the shapes as both export commands do: sheet "ExportData" of a .xls or
// .xlsx workbook (the text form for any other name), the old content backed up and kept, the header once,
// one row per reported shape, one write at the end. Nothing is changed when written is false, except a
// backup made before the failing step.
SpreadsheetExportResult writeReportSpreadsheet(const QString& path, ReportSource source,
                                               const std::vector<const MeasureShape*>& shapes,
                                               const TotalFormat& total);

// The file filters of the two windows' save dialogs: .xls only in the still workspace, .xls and .xlsx
// for the live view.
QStringList spreadsheetFilters(ReportSource source);

// Shows the busy cursor (true) or takes it away (false); without one the application's wait cursor
// (widgets' BusyCursor) is shown.
using BusyIndicator = std::function<void(bool busy)>;

// The "Export to excel" command of either window: asks for the file (default extension .xls, starting
// in the last export folder or the documents folder; an existing final name is confirmed), writes the
// report with the busy cursor up, and tells the user "Save fail" when the file was not written. Success
// is silent. The unit and decimals in force label a continuous line's total when its segments do not.
// Returns the path written, or an empty text.
QString exportShapesToSpreadsheet(QWidget* parent, ReportSource source, const std::vector<const MeasureShape*>& shapes,
                                  const BusyIndicator& busy = {});

// The folder the next save dialog opens in: the last folder exported to, else the documents folder
// (else the home folder); never the file system root.
QString spreadsheetExportFolder();

}  // namespace lumivex
