#include "export/spreadsheet/xlsx_writer.h"

#include "export/spreadsheet/workbook.h"

#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <locale.h>

namespace lumivex {
namespace {

// libxlsxwriter prints numbers with the C library, which follows LC_NUMERIC: under a comma-decimal
// locale it would write "0,7" and readers refuse the file. The C locale applies to this thread only
// while the guard lives.
class CNumericLocale {
 public:
  CNumericLocale() : locale_(newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr))) {
    if (locale_) previous_ = uselocale(locale_);
  }
  ~CNumericLocale() {
    if (!locale_) return;
    uselocale(previous_);
    freelocale(locale_);
  }
  CNumericLocale(const CNumericLocale&) = delete;
  CNumericLocale& operator=(const CNumericLocale&) = delete;

 private:
  locale_t locale_;
  locale_t previous_ = nullptr;
};

bool checkFits(const Workbook& workbook, QString* error) {
  if (workbook.sheets.empty()) {
    *error = QStringLiteral("A workbook needs at least one sheet");
    return false;
  }
  for (const WorkbookSheet& sheet : workbook.sheets) {
    if (sheet.rows.size() > static_cast<std::size_t>(kXlsxMaxRows) || sheet.columnCount() > kXlsxMaxColumns) {
      *error = QStringLiteral("Sheet %1 is larger than an .xlsx sheet can be").arg(sheet.name);
      return false;
    }
  }
  return true;
}

QString errorText(lxw_error code) { return QString::fromUtf8(lxw_strerror(code)); }

bool writeSheet(lxw_worksheet* target, const WorkbookSheet& sheet, lxw_format* date, lxw_format* dateTime,
                QString* error) {
  for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
    const auto& row = sheet.rows[r];
    for (std::size_t c = 0; c < row.size(); ++c) {
      const WorkbookCell& cell = row[c];
      const auto rowIndex = static_cast<lxw_row_t>(r);
      const auto columnIndex = static_cast<lxw_col_t>(c);
      lxw_error code = LXW_NO_ERROR;
      if (!cell.formula.isEmpty()) {
        const QByteArray formula = cell.formula.toUtf8();
        if (cell.type == WorkbookCell::Type::Text)
          code = worksheet_write_formula_str(target, rowIndex, columnIndex, formula.constData(), nullptr,
                                             cell.text.toUtf8().constData());
        else
          code = worksheet_write_formula_num(target, rowIndex, columnIndex, formula.constData(), nullptr, cell.number);
      } else {
        switch (cell.type) {
          case WorkbookCell::Type::Empty:
            break;
          case WorkbookCell::Type::Text:
            code = worksheet_write_string(target, rowIndex, columnIndex, cell.text.toUtf8().constData(), nullptr);
            break;
          case WorkbookCell::Type::Number:
            code = worksheet_write_number(target, rowIndex, columnIndex, cell.number, nullptr);
            break;
          case WorkbookCell::Type::Date:
            code = worksheet_write_number(target, rowIndex, columnIndex, cell.number, cell.hasTime ? dateTime : date);
            break;
          case WorkbookCell::Type::Boolean:
            code = worksheet_write_boolean(target, rowIndex, columnIndex, cell.number != 0, nullptr);
            break;
        }
      }
      if (code != LXW_NO_ERROR) {
        *error = QStringLiteral("Sheet %1, row %2: %3").arg(sheet.name).arg(r + 1).arg(errorText(code));
        return false;
      }
    }
  }
  return true;
}

}  // namespace

bool XlsxWriter::write(const Workbook& workbook, const QString& path, QString* error) {
  QString problem;
  if (!error) error = &problem;
  if (!checkFits(workbook, error)) return false;
  // Its own scratch files go beside the target, not into a /tmp that may be small or read-only.
  const QByteArray target = QFile::encodeName(path);
  const QByteArray scratch = QFile::encodeName(QFileInfo(path).absolutePath());
  CNumericLocale cLocale;
  lxw_workbook_options options{};
  options.tmpdir = const_cast<char*>(scratch.constData());
  lxw_workbook* book = workbook_new_opt(target.constData(), &options);
  if (!book) {
    *error = QStringLiteral("Cannot create the workbook");
    return false;
  }
  lxw_format* date = workbook_add_format(book);
  format_set_num_format(date, "yyyy-mm-dd");
  lxw_format* dateTime = workbook_add_format(book);
  format_set_num_format(dateTime, "yyyy-mm-dd hh:mm:ss");
  bool ok = true;
  for (const WorkbookSheet& sheet : workbook.sheets) {
    const QByteArray name = sheet.name.toUtf8();
    const lxw_error nameCheck = workbook_validate_sheet_name(book, name.constData());
    lxw_worksheet* sheetOut = nameCheck == LXW_NO_ERROR ? workbook_add_worksheet(book, name.constData()) : nullptr;
    if (!sheetOut) {
      *error = QStringLiteral("Sheet name %1: %2").arg(sheet.name, errorText(nameCheck));
      ok = false;
      break;
    }
    if (!writeSheet(sheetOut, sheet, date, dateTime, error)) {
      ok = false;
      break;
    }
  }
  const lxw_error closed = workbook_close(book);  // writes the file and frees the workbook
  if (ok && closed != LXW_NO_ERROR) {
    *error = QStringLiteral("Cannot write the workbook: ") + errorText(closed);
    ok = false;
  }
  return ok;
}

}  // namespace lumivex
