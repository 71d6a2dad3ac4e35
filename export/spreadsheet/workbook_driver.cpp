#include "export/spreadsheet/workbook_driver.h"

#include "export/spreadsheet/connection_text.h"
#include "export/spreadsheet/sql_statement.h"
#include "export/spreadsheet/workbook.h"
#include "export/spreadsheet/workbook_cache.h"
#include "export/spreadsheet/workbook_file.h"

namespace lumivex {
namespace {

bool validSheetName(const QString& name) {
  static const QString kForbidden = QStringLiteral("[]:*?/\\");
  if (name.isEmpty() || name.size() > kMaxSheetName || name.startsWith(u'\'') || name.endsWith(u'\'')) return false;
  for (const QChar c : name)
    if (kForbidden.contains(c) || c.unicode() < 0x20) return false;
  return true;
}

class WorkbookConnection : public SpreadsheetConnection {
 public:
  WorkbookConnection(QString path, Workbook workbook, bool readOnly)
      : path_(std::move(path)),
        format_(workbookFormatForPath(path_)),
        workbook_(std::move(workbook)),
        readOnly_(readOnly) {}

  bool execute(const QString& text) override {
    const std::optional<SqlStatement> statement = SqlStatement::parse(text, &error_);
    if (!statement) return false;
    if (readOnly_ && statement->kind != SqlStatement::Kind::Select)
      return fail(QStringLiteral("The workbook is read-only"));
    switch (statement->kind) {
      case SqlStatement::Kind::Select:
        return fail(QStringLiteral("A SELECT returns records: run it as a query"));
      case SqlStatement::Kind::Drop:
        return drop(*statement);
      case SqlStatement::Kind::Create:
        return create(*statement);
      case SqlStatement::Kind::Insert:
        return insert(*statement);
    }
    return false;
  }

  std::optional<RecordSet> query(const QString& text) override {
    const std::optional<SqlStatement> statement = SqlStatement::parse(text, &error_);
    if (!statement) return std::nullopt;
    if (statement->kind != SqlStatement::Kind::Select) {
      fail(QStringLiteral("Only a SELECT returns records"));
      return std::nullopt;
    }
    const WorkbookSheet* sheet = workbook_.find(statement->sheet);
    if (!sheet) {
      fail(noSuchSheet(statement->sheet));
      return std::nullopt;
    }
    RecordSet result;
    const int columns = sheet->columnCount();
    for (int c = 0; c < columns; ++c) {
      const auto& header = sheet->rows.front();
      const QString name = c < static_cast<int>(header.size()) ? header[c].displayText() : QString();
      // Unnamed columns are called F1, F2, ... by their position.
      result.columns.append(name.isEmpty() ? QStringLiteral("F%1").arg(c + 1) : name);
    }
    for (std::size_t r = 1; r < sheet->rows.size(); ++r) {
      QStringList record;
      record.reserve(columns);
      const auto& row = sheet->rows[r];
      for (int c = 0; c < columns; ++c)
        record.append(c < static_cast<int>(row.size()) ? row[c].displayText() : QString());
      result.records.push_back(std::move(record));
    }
    return result;
  }

  bool close() override {
    if (!changed_) return true;
    changed_ = false;
    QString why;
    if (!saveWorkbook(path_, workbook_, format_, &why))
      return fail(QStringLiteral("Cannot write %1: %2").arg(path_, why));
    WorkbookCache::instance().remember(path_, workbook_);
    return true;
  }

  QString lastError() const override { return error_; }

 private:
  bool fail(const QString& text) {
    error_ = text;
    return false;
  }

  static QString noSuchSheet(const QString& name) {
    return QStringLiteral("The sheet '%1' does not exist in the workbook").arg(name);
  }

  // The column names of a sheet, case-folded, worked out once per sheet and header (thousands of
  // INSERTs look them up).
  struct Header {
    QStringList names;
    QStringList folded;  // names compare without regard to case
  };
  const Header& headerOf(const WorkbookSheet& sheet) {
    if (headerSheet_ != sheet.name || header_.names.size() != static_cast<qsizetype>(sheet.rows.front().size())) {
      headerSheet_ = sheet.name;
      header_ = {};
      for (const WorkbookCell& cell : sheet.rows.front()) {
        header_.names << cell.displayText();
        header_.folded << header_.names.back().toCaseFolded();
      }
    }
    return header_;
  }

  int maxRows() const { return format_ == WorkbookFormat::Xls ? kXlsMaxRows : kXlsxMaxRows; }
  int maxColumns() const { return format_ == WorkbookFormat::Xls ? kXlsMaxColumns : kXlsxMaxColumns; }

  bool drop(const SqlStatement& statement) {
    WorkbookSheet* sheet = workbook_.find(statement.sheet);
    if (!sheet) return fail(noSuchSheet(statement.sheet));
    sheet->rows.clear();
    headerSheet_.clear();
    changed_ = true;
    return true;
  }

  bool create(const SqlStatement& statement) {
    if (!validSheetName(statement.sheet))
      return fail(
          QStringLiteral("'%1' cannot name a sheet (1 to 31 characters, none of []:*?/\\)").arg(statement.sheet));
    if (statement.columns.isEmpty()) return fail(QStringLiteral("A table needs at least one column"));
    if (statement.columns.size() > maxColumns())
      return fail(QStringLiteral("Too many columns: a sheet of this workbook holds at most %1").arg(maxColumns()));
    for (qsizetype i = 0; i < statement.columns.size(); ++i) {
      const QString& name = statement.columns[i];
      if (name.isEmpty()) return fail(QStringLiteral("A column needs a name"));
      if (name.size() > kMaxCellText) return fail(QStringLiteral("A column name is longer than 32,767 characters"));
      for (qsizetype j = 0; j < i; ++j)
        if (statement.columns[j].compare(name, Qt::CaseInsensitive) == 0)
          return fail(QStringLiteral("Duplicate column name: %1").arg(name));
    }
    WorkbookSheet* sheet = workbook_.find(statement.sheet);
    if (sheet && !sheet->isEmpty()) return fail(QStringLiteral("The sheet '%1' already exists").arg(statement.sheet));
    if (!sheet) {
      workbook_.sheets.push_back(WorkbookSheet{statement.sheet, {}});
      sheet = &workbook_.sheets.back();
    }
    sheet->rows.clear();
    std::vector<WorkbookCell> header;
    header.reserve(static_cast<std::size_t>(statement.columns.size()));
    for (const QString& name : statement.columns) header.push_back(WorkbookCell::ofText(name));
    sheet->rows.push_back(std::move(header));
    headerSheet_.clear();
    changed_ = true;
    return true;
  }

  bool insert(const SqlStatement& statement) {
    WorkbookSheet* sheet = workbook_.find(statement.sheet);
    if (!sheet) return fail(noSuchSheet(statement.sheet));
    if (sheet->rows.empty()) return fail(QStringLiteral("The sheet '%1' has no column names").arg(statement.sheet));
    if (static_cast<int>(sheet->rows.size()) >= maxRows())
      return fail(QStringLiteral("The sheet '%1' is full: this workbook holds at most %2 rows a sheet")
                      .arg(statement.sheet)
                      .arg(maxRows()));
    const Header& header = headerOf(*sheet);
    std::vector<WorkbookCell> row;
    for (qsizetype i = 0; i < statement.columns.size(); ++i) {
      const QString& name = statement.columns[i];
      qsizetype found = header.names.indexOf(name);
      if (found < 0) found = header.folded.indexOf(name.toCaseFolded());
      const std::size_t column = found < 0 ? header.names.size() : static_cast<std::size_t>(found);
      if (column >= static_cast<std::size_t>(header.names.size()))
        return fail(QStringLiteral("The sheet '%1' has no column '%2'").arg(statement.sheet, statement.columns[i]));
      const QString& value = statement.values[i];
      if (value.size() > kMaxCellText) return fail(QStringLiteral("A value is longer than 32,767 characters"));
      if (row.size() <= column) row.resize(column + 1);
      row[column] = WorkbookCell::ofText(value);
    }
    while (!row.empty() && row.back().isEmpty()) row.pop_back();
    sheet->rows.push_back(std::move(row));
    changed_ = true;
    return true;
  }

  QString path_;
  WorkbookFormat format_;
  Workbook workbook_;
  bool readOnly_;
  bool changed_ = false;
  QString headerSheet_;
  Header header_;
  QString error_;
};

}  // namespace

QString WorkbookDriver::driverName() { return QStringLiteral("Lumivex Excel Driver (*.xls, *.xlsx)"); }

std::unique_ptr<SpreadsheetConnection> WorkbookDriver::connect(const QString& connectionText, QString* error) {
  const std::optional<ConnectionText> settings = ConnectionText::parse(connectionText);
  if (!settings) {
    if (error) *error = QStringLiteral("The connection names no workbook");
    return nullptr;
  }
  Workbook workbook;
  QString why;
  switch (loadWorkbook(settings->database, &workbook, &why)) {
    case WorkbookLoad::Loaded:
      break;
    case WorkbookLoad::Missing:
      // A new workbook is made on first use only where the connection allows it.
      if (settings->createTarget.isEmpty() || settings->readOnly) {
        if (error) *error = QStringLiteral("The workbook %1 does not exist").arg(settings->database);
        return nullptr;
      }
      break;
    case WorkbookLoad::Refused:
      if (error) *error = QStringLiteral("%1 cannot be read as a workbook: %2").arg(settings->database, why);
      return nullptr;
  }
  return std::make_unique<WorkbookConnection>(settings->database, std::move(workbook), settings->readOnly);
}

}  // namespace lumivex
