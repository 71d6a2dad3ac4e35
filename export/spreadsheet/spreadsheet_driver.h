#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace lumivex {

// The answer of a SELECT: the column names (the sheet's first row) and every further row as texts, one
// per column.
struct RecordSet {
  QStringList columns;
  std::vector<QStringList> records;
};

// One connection to a workbook file. Statements change the connection's copy of the workbook only; the
// file is written once, by close(), so a statement that fails leaves the file as it was. A connection
// destroyed without close() writes nothing.
class SpreadsheetConnection {
 public:
  virtual ~SpreadsheetConnection() = default;
  // DROP TABLE, CREATE TABLE or INSERT INTO; false with lastError() when the statement is refused, and
  // then the workbook copy is unchanged by it.
  virtual bool execute(const QString& statement) = 0;
  // SELECT * FROM; nothing with lastError() when the sheet does not exist or the text is not a SELECT.
  virtual std::optional<RecordSet> query(const QString& statement) = 0;
  // Writes the workbook if a statement changed it; false with lastError() when it could not be written.
  virtual bool close() = 0;
  virtual QString lastError() const = 0;
};

// A spreadsheet driver, found by name in the DriverRegistry and opened with a connection text
// (see ConnectionText).
class SpreadsheetDriver {
 public:
  virtual ~SpreadsheetDriver() = default;
  virtual QString name() const = 0;
  // Nothing, with *error, when the text names no workbook or the file there is not one this driver reads.
  virtual std::unique_ptr<SpreadsheetConnection> connect(const QString& connectionText, QString* error) = 0;
};

// The installed spreadsheet drivers, in the order their names are listed.
class DriverRegistry {
 public:
  // The process-wide registry, holding the workbook driver.
  static DriverRegistry& instance();

  QStringList installedDrivers() const;
  // The driver of that name, or null.
  std::shared_ptr<SpreadsheetDriver> driver(const QString& name) const;
  // Replaces the installed drivers and returns the previous ones (tests install doubles with this).
  std::vector<std::shared_ptr<SpreadsheetDriver>> install(std::vector<std::shared_ptr<SpreadsheetDriver>> drivers);

 private:
  std::vector<std::shared_ptr<SpreadsheetDriver>> drivers_;
};

}  // namespace lumivex
