#pragma once

#include <QByteArray>
#include <QString>

namespace lumivex {

struct Workbook;

// Writes a workbook as an Excel 97-2003 file: BIFF8 records in the "Workbook" stream of an OLE2 compound
// file. Texts go to the shared string table (with CONTINUE records, so no text is cut at 255 or 8,224
// bytes); numbers, booleans and dates keep their type.
class Biff8Writer {
 public:
  // False with *error when the workbook does not fit the form (more than 65,536 rows or 256 columns, a
  // text over 32,767 characters, a sheet name over 31 characters) or the container cannot be made.
  static bool encode(const Workbook& workbook, QByteArray* out, QString* error);
};

}  // namespace lumivex
