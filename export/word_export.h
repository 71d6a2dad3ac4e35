#pragma once

#include "core/atomic_file.h"
#include "export/report_row.h"
#include "measure/measure_shape.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QWidget;

namespace lumivex {

// What one window's Word command hands over: its shapes and their source, and how to make the report's
// picture (the still rendered with its shapes, or the live frame with its overlays).
struct WordExportRequest {
  QWidget* parent = nullptr;
  ReportSource source = ReportSource::Still;
  std::vector<const MeasureShape*> shapes;
  TotalFormat total;
  // The save dialog's filters, the first chosen at first, and the folder it opens in.
  QStringList filters;
  QString folder;
  // Where the report's picture is made (the program folder's "10000.bmp").
  QString picturePath;
  // Writes the picture to the given path as BMP; false when it cannot be made.
  std::function<bool(const QString& path)> writePicture;
};

enum class ExportOutcome { Cancelled, Written, Failed };

// The Word command of both windows: save dialog, busy cursor (restored on every path), the picture
// first (nothing is written when it cannot be made), then the two header lines, one block per shape
// and the picture, saved as .docx or RTF by the name. A report that was not written shows "SaveFail";
// an existing file is replaced whole or left as it was.
ExportOutcome exportWordReport(const WordExportRequest& request);

// The report itself, without dialogs: the two header lines, one block per shape and, when picturePath is
// not empty, the picture read from it; saved as .docx or RTF by the name, atomically. The export command
// and `lumivex-image export` both write through it. A picture that cannot be read writes nothing.
WriteResult writeWordReport(const QString& path, ReportSource source, const std::vector<const MeasureShape*>& shapes,
                            const TotalFormat& total, const QString& picturePath, QWidget* parent = nullptr);

// The filters of the two windows' save dialogs.
QStringList wordReportFilters();

}  // namespace lumivex
