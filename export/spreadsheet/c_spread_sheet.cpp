#include "export/spreadsheet/c_spread_sheet.h"

#include "core/atomic_file.h"
#include "export/spreadsheet/connection_text.h"
#include "export/spreadsheet/spreadsheet_driver.h"
#include "export/spreadsheet/sql_statement.h"
#include "export/spreadsheet/text_sheet_file.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace lumivex {
namespace {

// The range every statement addresses, as the sheets were always addressed.
const QString kRange = QStringLiteral("$A1:IV65536");

bool isWorkbookName(const QString& path) {
  return path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive) ||
         path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
}

// A link that points at nothing yet is a new file: the write creates what it points at.
bool fileExists(const QString& path) { return QFileInfo::exists(path); }

}  // namespace

const QString CSpreadSheet::kBackupSheet = QStringLiteral("CSpreadSheetBackup");
const QString CSpreadSheet::kExcelSeparator = QStringLiteral(",;.?");

CSpreadSheet::CSpreadSheet(const QString& path, const QString& sheetOrSeparator, bool backup)
    : path_(path), excel_(isWorkbookName(path)), backup_(backup) {
  if (excel_) {
    sheet_ = sheetOrSeparator;
    separator_ = kExcelSeparator;
    driverName_ = FindSpreadsheetDriver(driverName_);
    connectionText_ = ConnectionText::build(driverName_, path_);
  } else {
    separator_ = sheetOrSeparator;
  }
  if (LoadExisting() && backup_ && appending_ && !backUp()) usable_ = false;
}

CSpreadSheet::~CSpreadSheet() = default;

QString CSpreadSheet::FindSpreadsheetDriver(const QString& current) {
  for (const QString& name : DriverRegistry::instance().installedDrivers())
    if (name.contains(QLatin1String("Excel"), Qt::CaseSensitive)) return name;
  return current;
}

bool CSpreadSheet::fail(const QString& text, const QString& reason) {
  lastError_ = text;
  reason_ = reason;
  return false;
}

std::unique_ptr<SpreadsheetConnection> CSpreadSheet::connect() {
  const std::shared_ptr<SpreadsheetDriver> driver = DriverRegistry::instance().driver(driverName_);
  if (!driver) {
    fail(QStringLiteral("Data source name not found and no default driver specified"));
    return nullptr;
  }
  QString why;
  std::unique_ptr<SpreadsheetConnection> connection = driver->connect(connectionText_, &why);
  if (!connection) fail(why, why);
  return connection;
}

bool CSpreadSheet::LoadExisting() { return excel_ ? loadWorkbookSheet() : loadTextFile(); }

bool CSpreadSheet::loadWorkbookSheet() {
  const bool existed = fileExists(path_);
  const std::unique_ptr<SpreadsheetConnection> connection = connect();
  if (!connection) {
    // A file that is there but cannot be read is never written over.
    if (existed) usable_ = false;
    return false;
  }
  QString select = QStringLiteral("SELECT * FROM ");
  appendSqlIdentifier(select, sheet_ + kRange);
  const std::optional<RecordSet> records = connection->query(select);
  if (!records) return fail(connection->lastError());
  totalColumns_ = static_cast<int>(records->columns.size());
  if (totalColumns_ > 0) {
    rows_.clear();
    appending_ = true;
    fieldNames_ = records->columns;
    rows_.append(records->columns);
    for (const QStringList& record : records->records) rows_.append(record);
  }
  totalRows_ = static_cast<int>(rows_.size());
  currentRow_ = 1;
  return true;
}

bool CSpreadSheet::loadTextFile() {
  if (!fileExists(path_)) return fail(QStringLiteral("Error in opening file\n"));
  QFile file(path_);
  if (!QFileInfo(path_).isFile() || !file.open(QIODevice::ReadOnly)) {
    usable_ = false;
    return fail(QStringLiteral("Error in opening file\n"),
                QFileInfo(path_).isFile() ? file.errorString() : QStringLiteral("Not a regular file"));
  }
  rows_ = TextSheetFile::decode(file.readAll());
  if (file.error() != QFileDevice::NoError) {
    usable_ = false;
    return fail(QStringLiteral("Error in opening file\n"), file.errorString());
  }
  if (!rows_.isEmpty()) ParseRow(fieldNames_, 1);
  totalRows_ = static_cast<int>(rows_.size());
  totalColumns_ = 0;
  for (const QStringList& row : rows_) totalColumns_ = std::max(totalColumns_, static_cast<int>(row.size()));
  appending_ = totalColumns_ != 0;
  currentRow_ = 1;
  return true;
}

bool CSpreadSheet::keepByteCopy() {
  if (byteCopyDone_ || !backup_ || !fileExists(path_)) return true;
  QFile original(path_);
  if (!original.open(QIODevice::ReadOnly)) return fail(QStringLiteral("Backup failed\n"), original.errorString());
  const QByteArray bytes = original.readAll();
  if (original.error() != QFileDevice::NoError) return fail(QStringLiteral("Backup failed\n"), original.errorString());
  if (bytes.isEmpty()) return true;
  const WriteResult written = AtomicFile::write(path_ + QStringLiteral(".bak"), bytes);
  if (!written) return fail(QStringLiteral("Backup failed\n"), written.reason);
  byteCopyDone_ = true;
  return true;
}

bool CSpreadSheet::backUp() {
  if (!keepByteCopy()) return false;
  if (!excel_) return true;
  appending_ = false;
  const QString sheet = sheet_;
  sheet_ = kBackupSheet;
  holdWrite_ = true;
  const bool written = Flush();
  holdWrite_ = false;
  appending_ = true;
  sheet_ = sheet;
  currentRow_ = 1;
  return written;
}

bool CSpreadSheet::WriteHeaderRow(const QStringList& names, bool replace) {
  if (!appending_) {
    totalColumns_ = static_cast<int>(names.size());
    if (!AppendRow(names, 1, true)) return false;
    totalRows_ = 1;
    return true;
  }
  if (replace) return AppendRow(names, 1, true);
  if (!ParseRow(scratch_, 1)) return false;
  // A header that already holds a name is kept as it is: the rows of a second export go under it.
  for (const QString& name : names)
    if (scratch_.contains(name)) return fail(QStringLiteral("Duplicate header row field:%1\n").arg(name));
  scratch_ += names;
  if (!AppendRow(scratch_, 1, true)) return fail(QStringLiteral("Problems with adding headers\n"), reason_);
  totalColumns_ = std::max(totalColumns_, static_cast<int>(scratch_.size()));
  return true;
}

bool CSpreadSheet::AppendRow(const QStringList& values, int row, bool replace) {
  if (row < 0) return fail(QStringLiteral("Row number cannot be negative\n"));
  const int count = static_cast<int>(values.size());
  if (row == 1) {
    if (excel_) {
      for (int i = 0; i < count; ++i)
        for (int j = 0; j < i; ++j)
          if (values[i] == values[j]) return fail(QStringLiteral("Duplicate header row field:%1\n").arg(values[i]));
      if (count < totalColumns_)
        return fail(
            QStringLiteral("Number of columns in new header row cannot be less than the number of columns "
                           "in previous header row"));
      totalColumns_ = count;
    }
    fieldNames_ = values;
  } else if (excel_ && totalColumns_ == 0) {
    return fail(QStringLiteral("No header row. Add header row first\n"));
  }
  if (excel_ && count > fieldNames_.size())
    return fail(QStringLiteral("Number of columns to be added cannot be greater than the number of fields\n"));
  if (!excel_) totalColumns_ = std::max(totalColumns_, count);

  if (row > 0 && row <= totalRows_) {
    if (replace) {
      rows_[row - 1] = values;
    } else {
      rows_.insert(row - 1, values);
      totalRows_ = static_cast<int>(rows_.size());
    }
  } else {
    if (row > totalRows_) {
      const QStringList empty(totalColumns_, excel_ ? QStringLiteral(" ") : QString());
      while (rows_.size() < row - 1) rows_.append(empty);
    }
    rows_.append(values);
    totalRows_ = static_cast<int>(rows_.size());
  }
  return batch_ || Flush();
}

bool CSpreadSheet::ParseRow(QStringList& values, int row) {
  if (row < 0 || row > rows_.size())
    return fail(QStringLiteral("Desired row is greater than total number of rows in spreadsheet\n"));
  if (row == 0) row = currentRow_;
  if (row < 1 || row > rows_.size())
    return fail(QStringLiteral("Desired row is greater than total number of rows in spreadsheet\n"));
  currentRow_ = row;
  values = rows_[row - 1];
  ++currentRow_;
  return true;
}

bool CSpreadSheet::Flush() {
  if (!usable_)
    return fail(lastError_.isEmpty() ? QStringLiteral("The file cannot be written\n") : lastError_, reason_);
  const bool written = excel_ ? flushWorkbook() : flushText();
  if (written) batch_ = false;
  return written;
}

bool CSpreadSheet::flushText() {
  const QChar separator = separator_.size() == 1 ? separator_.front() : QChar(u'\t');
  const WriteResult written = AtomicFile::write(path_, TextSheetFile::encode(rows_, separator));
  if (!written) return fail(QStringLiteral("Error writing file\n"), written.reason);
  return true;
}

bool CSpreadSheet::flushWorkbook() {
  // The user's own workbook is copied before it is first rewritten (formatting and formulas do not
  // survive a rewrite); an export that cannot make the copy writes nothing.
  if (!keepByteCopy()) return false;
  std::unique_ptr<SpreadsheetConnection> connection = pending_ ? std::move(pending_) : connect();
  if (!connection) return false;
  const auto run = [&](const QString& statement) {
    if (connection->execute(statement)) return true;
    return fail(connection->lastError());
  };
  QString table = sheet_ + kRange;
  QString create = QStringLiteral("CREATE TABLE ");
  if (appending_) {
    QString drop = QStringLiteral("DROP TABLE ");
    appendSqlIdentifier(drop, table);
    if (!run(drop)) return false;
    appendSqlIdentifier(create, table);
  } else {
    if (sheet_ == kBackupSheet) {
      // The backup replaces an earlier backup sheet.
      QString select = QStringLiteral("SELECT * FROM ");
      appendSqlIdentifier(select, table);
      QString drop = QStringLiteral("DROP TABLE ");
      appendSqlIdentifier(drop, table);
      if (connection->query(select) && !run(drop)) return false;
    }
    appendSqlIdentifier(create, sheet_);
  }
  create += QStringLiteral(" (");
  for (const QString& name : fieldNames_) {
    appendSqlIdentifier(create, name);
    create += QStringLiteral(" char(255), ");
  }
  create.chop(2);
  create += u')';
  if (!run(create)) return false;
  if (!appending_) {
    appending_ = true;
    totalColumns_ = static_cast<int>(fieldNames_.size());
  }
  QString insert;
  for (int h = 1; h < totalRows_; ++h) {
    if (!ParseRow(scratch_, h + 1)) return false;
    insert.clear();
    insert += QStringLiteral("INSERT INTO ");
    appendSqlIdentifier(insert, sheet_ + QStringLiteral("$A1:IV%1").arg(h));
    insert += QStringLiteral(" (");
    // A row shorter than the header fills its first columns only.
    const qsizetype used = std::min(scratch_.size(), fieldNames_.size());
    for (qsizetype i = 0; i < used; ++i) {
      appendSqlIdentifier(insert, fieldNames_[i]);
      insert += QStringLiteral(", ");
    }
    insert.chop(2);
    insert += QStringLiteral(") VALUES (");
    for (qsizetype i = 0; i < used; ++i) {
      appendSqlLiteral(insert, scratch_[i]);
      insert += QStringLiteral(", ");
    }
    insert.chop(2);
    insert += u')';
    if (used > 0 && !run(insert)) return false;
  }
  if (holdWrite_) {
    pending_ = std::move(connection);
    return true;
  }
  if (!connection->close()) return fail(connection->lastError(), connection->lastError());
  return true;
}

}  // namespace lumivex
