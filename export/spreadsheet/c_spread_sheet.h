#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace lumivex {

class SpreadsheetConnection;

// The measurement report's spreadsheet writer. It keeps the whole sheet in memory as rows of values and
// writes it either into a workbook through the spreadsheet driver (Excel mode: names ending in ".xls" or
// ".xlsx", any case) or as a text file (every other name, see TextSheetFile).
//
// Existing data is kept: the constructor reads the sheet already in the file; when there is one and the
// backup flag is set, the file is first copied byte for byte to "<path>.bak" and, in Excel mode, the old
// sheet is copied to the sheet "CSpreadSheetBackup" (replacing an earlier backup sheet). Later rows are
// appended below the old ones. In Excel mode a workbook is written once per Flush, completely or not at
// all; the other sheets of the workbook keep their cell values.
//
// Failures return false and leave a text in lastError(); nothing is shown to the user here.
class CSpreadSheet {
 public:
  static const QString kBackupSheet;     // "CSpreadSheetBackup"
  static const QString kExcelSeparator;  // ",;.?", the separator field's value in Excel mode

  // sheetOrSeparator is the sheet name in Excel mode; in text mode a one-character separator for the
  // written file (anything longer, such as a sheet name, means TAB). backup as described above.
  CSpreadSheet(const QString& path, const QString& sheetOrSeparator, bool backup);
  ~CSpreadSheet();
  CSpreadSheet(const CSpreadSheet&) = delete;
  CSpreadSheet& operator=(const CSpreadSheet&) = delete;

  // False when the file was not taken over: it exists but cannot be read as a sheet (damaged, encrypted,
  // unreadable, not a regular file), or its backup failed. Nothing was written then.
  bool isUsable() const { return usable_; }

  // Until Flush, changes stay in memory.
  void BeginBatch() { batch_ = true; }
  // Writes the header row. On a sheet that already has one and with replace unset, the names are added
  // after the existing ones; a name the header already holds fails with "Duplicate header row field:"
  // and leaves the header as it is (so a second export keeps its header and appends its rows).
  bool WriteHeaderRow(const QStringList& names, bool replace = false);
  // Row 0 appends; row 1 is the header; a row within the sheet is replaced (replace) or inserted before;
  // a row beyond the sheet is reached with empty rows.
  bool AppendRow(const QStringList& values, int row = 0, bool replace = false);
  // Copies a stored row (0: the current row) into values and makes the next row current.
  bool ParseRow(QStringList& values, int row = 0);
  // Writes the file and ends the batch.
  bool Flush();

  bool isExcelMode() const { return excel_; }
  const QString& path() const { return path_; }
  const QString& sheetName() const { return sheet_; }
  const QString& separator() const { return separator_; }
  bool isBackupEnabled() const { return backup_; }
  bool isAppending() const { return appending_; }
  bool isBatching() const { return batch_; }
  int totalRows() const { return totalRows_; }
  int totalColumns() const { return totalColumns_; }
  int currentRow() const { return currentRow_; }
  const QStringList& fieldNames() const { return fieldNames_; }
  const QList<QStringList>& rows() const { return rows_; }
  const QString& lastError() const { return lastError_; }
  // The system's reason of the last failed write or read ("No space left on device"), if there was one.
  const QString& failureReason() const { return reason_; }
  const QString& driverName() const { return driverName_; }
  const QString& connectionText() const { return connectionText_; }

  // The first installed spreadsheet driver whose name contains "Excel", or current when there is none.
  static QString FindSpreadsheetDriver(const QString& current = {});

 private:
  bool LoadExisting();
  bool loadWorkbookSheet();
  bool loadTextFile();
  bool backUp();
  bool keepByteCopy();
  bool flushWorkbook();
  bool flushText();
  bool fail(const QString& text, const QString& reason = {});
  std::unique_ptr<SpreadsheetConnection> connect();

  QString path_;
  bool excel_ = false;
  QString sheet_;
  QString separator_;
  bool backup_ = false;
  bool appending_ = false;
  bool batch_ = false;
  bool usable_ = true;
  bool byteCopyDone_ = false;
  int totalRows_ = 0;
  int totalColumns_ = 0;
  int currentRow_ = 1;
  QStringList fieldNames_;
  QList<QStringList> rows_;  // header row first; each row a list of values
  QStringList scratch_;
  QString lastError_;
  QString reason_;
  QString driverName_;
  QString connectionText_;
  // The workbook backup's statements, applied but not yet written: the next flush goes on in the same
  // connection, so an append reads and writes the file once (and a failing export leaves it as it was).
  std::unique_ptr<SpreadsheetConnection> pending_;
  bool holdWrite_ = false;
};

}  // namespace lumivex
