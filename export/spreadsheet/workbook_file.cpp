#include "export/spreadsheet/workbook_file.h"

#include "core/atomic_file.h"
#include "export/spreadsheet/biff8_writer.h"
#include "export/spreadsheet/workbook.h"
#include "export/spreadsheet/xls_reader.h"
#include "export/spreadsheet/xlsx_reader.h"
#include "export/spreadsheet/xlsx_writer.h"

#include <QFile>
#include <QFileInfo>

namespace lumivex {

WorkbookFormat workbookFormatForPath(const QString& path) {
  return path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive) ? WorkbookFormat::Xlsx : WorkbookFormat::Xls;
}

WorkbookLoad loadWorkbook(const QString& path, Workbook* out, QString* error) {
  const auto refuse = [error](const QString& why) {
    if (error) *error = why;
    return WorkbookLoad::Refused;
  };
  const QFileInfo info(path);
  // A link that points at nothing yet is a new workbook: the write creates what it points at.
  if (!info.exists()) return WorkbookLoad::Missing;
  if (!info.isFile()) return refuse(QStringLiteral("Not a regular file"));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return refuse(file.errorString());
  if (file.size() == 0) return WorkbookLoad::Missing;
  const QByteArray magic = file.read(8);
  file.close();
  static const QByteArray kCompound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  bool ok = false;
  if (magic == kCompound)
    ok = XlsReader::read(path, out, error);
  else if (magic.startsWith("PK\x03\x04"))
    ok = XlsxReader::read(path, out, error);
  else
    return refuse(QStringLiteral("Not a workbook file"));
  return ok ? WorkbookLoad::Loaded : WorkbookLoad::Refused;
}

bool saveWorkbook(const QString& path, const Workbook& workbook, WorkbookFormat format, QString* error) {
  QString problem;
  if (!error) error = &problem;
  if (format == WorkbookFormat::Xls) {
    QByteArray bytes;
    if (!Biff8Writer::encode(workbook, &bytes, error)) return false;
    const WriteResult written = AtomicFile::write(path, bytes);
    if (!written) *error = written.reason;
    return written.ok();
  }
  // libxlsxwriter writes to a name of its own: the atomic file's temporary, renamed when complete.
  AtomicFile file(path);
  WriteResult step = file.open();
  if (step && !XlsxWriter::write(workbook, file.temporaryPath(), error)) return false;
  if (step) step = file.commit();
  if (!step) *error = step.reason;
  return step.ok();
}

}  // namespace lumivex
