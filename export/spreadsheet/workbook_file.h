#pragma once

#include <QString>

namespace lumivex {

struct Workbook;

// The two workbook forms: Excel 97-2003 (.xls, BIFF8) and Office Open XML (.xlsx).
enum class WorkbookFormat { Xls, Xlsx };

// ".xlsx" (any case) is Office Open XML; every other name is written as .xls.
WorkbookFormat workbookFormatForPath(const QString& path);

enum class WorkbookLoad {
  Loaded,   // *out holds the file's sheets
  Missing,  // no file there (or an empty one): a new workbook
  Refused,  // a file that is not a readable workbook (damaged, encrypted, another format); *error says why
};

// Reads a workbook by its content, whatever its name says.
WorkbookLoad loadWorkbook(const QString& path, Workbook* out, QString* error);
// Replaces the file in one step with the workbook in the given form; on failure the old file is left as
// it was and *error holds the reason.
bool saveWorkbook(const QString& path, const Workbook& workbook, WorkbookFormat format, QString* error);

}  // namespace lumivex
