#include "export/spreadsheet_export.h"

#include "core/localisation.h"
#include "core/prompter.h"
#include "export/export_path.h"
#include "export/spreadsheet/c_spread_sheet.h"
#include "measure/calibration_state.h"
#include "widgets/busy_cursor.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <optional>

namespace lumivex {
namespace {

const QString kSheet = QStringLiteral("ExportData");

QString& lastFolder() {
  static QString folder;
  return folder;
}

// Restores the cursor on every way out of the command.
class BusyScope {
 public:
  explicit BusyScope(const BusyIndicator& busy) : busy_(busy) {
    if (busy_)
      busy_(true);
    else
      cursor_.emplace();
  }
  ~BusyScope() {
    if (busy_) busy_(false);
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  const BusyIndicator& busy_;
  std::optional<BusyCursor> cursor_;
};

}  // namespace

SpreadsheetExportResult writeReportSpreadsheet(const QString& path, ReportSource source,
                                               const std::vector<const MeasureShape*>& shapes,
                                               const TotalFormat& total) {
  SpreadsheetExportResult result;
  CSpreadSheet sheet(path, kSheet, true);
  const auto failed = [&] {
    result.error = sheet.lastError();
    result.reason = sheet.failureReason();
    return result;
  };
  if (!sheet.isUsable()) return failed();
  sheet.BeginBatch();
  // On a sheet that already has the header this fails with "Duplicate header row field:" and keeps it:
  // the rows go under the existing header.
  sheet.WriteHeaderRow(reportHeader(source));
  for (const ReportRow& row : reportRows(source, shapes, total))
    if (!sheet.AppendRow(row.toStringList())) return failed();
  if (!sheet.Flush()) return failed();
  result.written = true;
  return result;
}

QStringList spreadsheetFilters(ReportSource source) {
  QStringList filters{QStringLiteral("xls Files(*.xls)")};
  if (source == ReportSource::Live) filters << QStringLiteral("xlsx Files(*.xlsx)");
  return filters;
}

QString spreadsheetExportFolder() {
  if (!lastFolder().isEmpty() && QFileInfo(lastFolder()).isDir()) return lastFolder();
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && documents != QDir::rootPath() && QFileInfo(documents).isDir()) return documents;
  return QDir::homePath();
}

QString exportShapesToSpreadsheet(QWidget* parent, ReportSource source, const std::vector<const MeasureShape*>& shapes,
                                  const BusyIndicator& busy) {
  const QString title = LookupText("MsgTitle", 64, QStringLiteral("Lumivex"));
  FileRequest request;
  request.title = LookupText("TipExceptexcel", 64, QStringLiteral("Export to excel"));
  request.folder = spreadsheetExportFolder();
  request.filters = spreadsheetFilters(source);
  request.selectedFilter = request.filters.front();
  // The overwrite question is asked below, for the name with its extension.
  request.confirmOverwrite = false;
  const std::optional<FileAnswer> answer = prompter().saveFile(parent, request);
  if (!answer || answer->path.isEmpty()) return {};
  QString path = answer->path;
  if (QFileInfo(path).suffix().isEmpty()) {
    QString suffix = filterSuffix(answer->selectedFilter);
    if (suffix.isEmpty()) suffix = QStringLiteral("xls");
    if (path.endsWith(u'.')) path.chop(1);
    path += u'.' + suffix;
  }
  if (QFileInfo::exists(path)) {
    // Every form adds to what the file holds, so the question says so.
    const QString question = LookupText("FileExistAppend", 256,
                                        QStringLiteral("%1 already exists. Do you want to add the measurements to it?"))
                                 .arg(QFileInfo(path).fileName());
    if (prompter().message(parent, title, question, MessageIcon::Warning, MessageButtons::YesNo) != MessageAnswer::Yes)
      return {};
  }
  lastFolder() = QFileInfo(path).absolutePath();

  SpreadsheetExportResult result;
  {
    BusyScope cursor(busy);
    const CalibrationState& calibration = calibrationState();
    result =
        writeReportSpreadsheet(path, source, shapes, TotalFormat{calibration.decimals, calibration.unitName.text()});
  }
  if (result.written) return path;
  QString text = LookupText("SaveFail", 128, QStringLiteral("Save fail"));
  const QString why = result.reason.isEmpty() ? result.error.trimmed() : result.reason;
  if (!why.isEmpty()) text += QStringLiteral("\n\n") + why;
  prompter().message(parent, title, text, MessageIcon::Warning, MessageButtons::Ok);
  return {};
}

}  // namespace lumivex
