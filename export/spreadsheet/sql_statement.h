#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace lumivex {

// The four statement forms the spreadsheet driver accepts, on a sheet named in square brackets with or
// without a range suffix ("[ExportData$A1:IV65536]", "[ExportData]"):
//   SELECT * FROM [sheet]
//   DROP TABLE [sheet]
//   CREATE TABLE [sheet] ([name] char(255), ...)
//   INSERT INTO [sheet] ([name], ...) VALUES ('text', ...)
// Inside brackets "]" is written "]]", inside quotes "'" is written "''", so any text survives.
struct SqlStatement {
  enum class Kind { Select, Drop, Create, Insert };
  Kind kind = Kind::Select;
  QString sheet;        // the range suffix removed
  QStringList columns;  // Create, Insert
  QStringList values;   // Insert

  // Parses one statement; on failure returns nothing and sets *error to a text naming the problem.
  static std::optional<SqlStatement> parse(const QString& text, QString* error);
};

// "[" + name + "]" with "]" doubled.
QString sqlIdentifier(const QString& name);
// "'" + value + "'" with "'" doubled.
QString sqlLiteral(const QString& value);
// Appends sqlIdentifier / sqlLiteral to out (the writer builds thousands of statements).
void appendSqlIdentifier(QString& out, const QString& name);
void appendSqlLiteral(QString& out, const QString& value);

}  // namespace lumivex
