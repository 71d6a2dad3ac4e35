#pragma once

#include "export/spreadsheet/spreadsheet_driver.h"

namespace lumivex {

// The spreadsheet driver of the program: .xlsx workbooks and Excel 97-2003 workbooks (every other name),
// read whatever their content is and written in the form their name asks for. A sheet is a table whose
// first row holds the column names. DROP TABLE empties a sheet (it keeps its place), CREATE TABLE makes
// a sheet or takes over an empty one, INSERT INTO adds a row after the last one.
class WorkbookDriver : public SpreadsheetDriver {
 public:
  static QString driverName();

  QString name() const override { return driverName(); }
  std::unique_ptr<SpreadsheetConnection> connect(const QString& connectionText, QString* error) override;
};

}  // namespace lumivex
