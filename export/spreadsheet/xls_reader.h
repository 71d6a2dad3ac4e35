#pragma once

#include <QString>

namespace lumivex {

struct Workbook;

// Reads the cell values of every worksheet of an Excel 97-2003 file (BIFF8 records in the "Workbook"
// stream of an OLE2 compound file, opened with libgsf): shared, inline and formula texts, numbers,
// booleans, error values as their text, and numbers shown as dates. Encrypted files and older formats
// are refused.
class XlsReader {
 public:
  static bool read(const QString& path, Workbook* out, QString* error);
};

}  // namespace lumivex
