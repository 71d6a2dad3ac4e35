#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace lumivex::test {

// A sheet as xlrd (.xls) or openpyxl (.xlsx) reads it: cells as JSON values (see read_workbook.py).
struct ReadSheet {
  QString name;
  QJsonArray rows;

  // The row's cells as texts (numbers as written by Python's str, null as "").
  QStringList rowTexts(int row) const;
  QJsonValue cell(int row, int column) const;
};

// Reads a workbook with the Debian python3 readers; nothing (with the reader's stderr in *error) when
// they refuse the file.
std::optional<std::vector<ReadSheet>> readIndependently(const QString& path, bool xlsx, QString* error,
                                                        bool formulas = false);
// A folder holding a generated de_DE.UTF-8 locale, for LOCPATH (made once per build tree: localedef is
// slow); empty when it cannot be made.
QString germanLocaleFolder();
// Runs a Python program with the Debian interpreter; true when it exits 0.
bool runPython(const QString& program, const QStringList& args, QString* output = nullptr);

}  // namespace lumivex::test
