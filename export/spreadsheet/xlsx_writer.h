#pragma once

#include <QString>

namespace lumivex {

struct Workbook;

// Writes a workbook as an Office Open XML spreadsheet with libxlsxwriter. Numbers are formatted in the C
// locale whatever the process locale is; formulas read from another .xlsx are written back with their
// last value.
class XlsxWriter {
 public:
  // Writes the file at path (a temporary the caller renames). False with *error when the workbook does
  // not fit the form or cannot be written.
  static bool write(const Workbook& workbook, const QString& path, QString* error);
};

}  // namespace lumivex
