#include "export/word_export.h"

#include "core/localisation.h"
#include "core/prompter.h"
#include "export/export_path.h"
#include "export/report_block.h"
#include "export/word_report.h"
#include "widgets/busy_cursor.h"

#include <QFile>

#include <cerrno>

namespace lumivex {
namespace {

void saveFailed(QWidget* parent, const QString& reason) {
  QString text = LookupText("SaveFail", 64, QStringLiteral("Save fail"));
  if (!reason.isEmpty()) text += QStringLiteral("\n") + reason;
  prompter().message(parent, QStringLiteral("Lumivex"), text, MessageIcon::Warning, MessageButtons::Ok);
}

}  // namespace

WriteResult writeWordReport(const QString& path, ReportSource source, const std::vector<const MeasureShape*>& shapes,
                            const TotalFormat& total, const QString& picturePath, QWidget* parent) {
  WordReport report(parent);
  if (!report.StartWordProcessor()) return WriteResult::failure(ENOMEM, QStringLiteral("Application Create fail!"));
  report.ApplyFont(QStringLiteral("Arial"), 12.0, 0, 0);
  report.ApplyFontStyle(false, false, 1);
  report.ApplyAlignment(0);
  for (const QString& line : reportHeaderLines()) {
    report.WriteText(line);
    report.EndParagraph();
  }
  for (const ReportBlock& block : reportBlocks(source, shapes, total)) {
    report.WriteText(block.name);
    report.EndParagraph();
    for (const QString& line : block.lines) {
      report.WriteText(line);
      report.EndParagraph();
    }
  }
  if (!picturePath.isEmpty() && !report.InsertPicture(picturePath))
    return WriteResult::failure(EINVAL, QStringLiteral("The picture for the report could not be read."));
  const WriteResult saved = report.SaveDocument(path);
  report.CloseWordProcessor();
  return saved;
}

QStringList wordReportFilters() { return {QStringLiteral("Doc Files (*.doc)"), QStringLiteral("Docx files (*.docx)")}; }

ExportOutcome exportWordReport(const WordExportRequest& request) {
  const std::optional<QString> path =
      askExportPath(request.parent, request.folder, request.filters, QStringLiteral("doc"));
  if (!path) return ExportOutcome::Cancelled;
  const BusyCursor busy;

  // The picture comes first: a report that cannot have it is not written at all.
  QFile::remove(request.picturePath);
  if (!request.writePicture || !request.writePicture(request.picturePath)) {
    saveFailed(request.parent, QStringLiteral("The picture for the report could not be made."));
    return ExportOutcome::Failed;
  }
  const WriteResult saved =
      writeWordReport(*path, request.source, request.shapes, request.total, request.picturePath, request.parent);
  if (!saved) {
    saveFailed(request.parent, saved.reason);
    return ExportOutcome::Failed;
  }
  return ExportOutcome::Written;
}

}  // namespace lumivex
