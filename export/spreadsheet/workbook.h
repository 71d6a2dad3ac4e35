#pragma once

#include <QString>

#include <vector>

namespace lumivex {

// One cell value as workbooks store it. Formatting is not kept; a date keeps its serial number and
// whether it shows a time, so it is written back as a date.
struct WorkbookCell {
  enum class Type : unsigned char { Empty, Number, Text, Boolean, Date };
  Type type = Type::Empty;
  double number = 0.0;   // Number, Boolean (0 or 1), Date (days since 1899-12-30)
  bool hasTime = false;  // Date only
  QString text;          // Text
  QString formula;       // from .xlsx only, without "=": written back to .xlsx with number/text as its result

  static WorkbookCell ofText(const QString& value);
  static WorkbookCell ofNumber(double value);
  bool isEmpty() const { return type == Type::Empty && formula.isEmpty(); }
  // The value as a query returns it: text as is, numbers in their shortest form with a '.', dates ISO.
  QString displayText() const;
};

// A worksheet: rows of cells from A1, trailing empty rows and cells trimmed by whoever fills it.
struct WorkbookSheet {
  QString name;
  std::vector<std::vector<WorkbookCell>> rows;

  bool isEmpty() const;
  // The width of the widest row.
  int columnCount() const;
  // Drops empty cells at the end of each row and empty rows at the end.
  void trim();
};

// Every sheet of a workbook in tab order, with the cell values only.
struct Workbook {
  std::vector<WorkbookSheet> sheets;

  // Sheet names compare without regard to case, as in spreadsheet programs.
  WorkbookSheet* find(const QString& name);
  const WorkbookSheet* find(const QString& name) const;
};

// The largest sheet each file form holds, and the longest text of a cell.
inline constexpr int kXlsMaxRows = 65536;
inline constexpr int kXlsMaxColumns = 256;
inline constexpr int kXlsxMaxRows = 1048576;
inline constexpr int kXlsxMaxColumns = 16384;
inline constexpr int kMaxCellText = 32767;
inline constexpr int kMaxSheetName = 31;

// Whether a number format shows a date, and whether with a time: by the built-in format number, or by a
// format code of its own (custom formats, numbers from 164 up).
struct DateFormat {
  bool date = false;
  bool time = false;
};
DateFormat classifyNumberFormat(int id, const QString& customCode);

// Days since 1899-12-30 of an ISO date "YYYY-MM-DD", date and time "YYYY-MM-DD HH:MM:SS", or time
// "HH:MM:SS"; false for anything else.
bool serialFromIsoText(const QString& text, double* serial, bool* hasTime);

}  // namespace lumivex
