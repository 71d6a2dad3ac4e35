#pragma once

#include <QString>

#include <optional>

namespace lumivex {

// The connection text the spreadsheet writer hands its driver:
//   DRIVER={name};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB="path";DBQ=path
struct ConnectionText {
  QString driver;
  QString database;      // DBQ: everything after "DBQ=", so a path may hold ';' and '"'
  QString createTarget;  // CREATE_DB: the workbook made on first use when it does not exist yet
  bool readOnly = false;
  bool firstRowHasNames = true;

  static QString build(const QString& driverName, const QString& path);
  // Nothing when the text names no database.
  static std::optional<ConnectionText> parse(const QString& text);
};

}  // namespace lumivex
