#pragma once

#include <QString>

namespace lumivex {

struct Workbook;

// Reads the cell values of every worksheet of an Office Open XML spreadsheet with libzip and pugixml:
// shared and inline texts, numbers, booleans, dates (by their number format), and formulas with their
// last value. Chart sheets hold no cells and are not read.
class XlsxReader {
 public:
  static bool read(const QString& path, Workbook* out, QString* error);
};

}  // namespace lumivex
