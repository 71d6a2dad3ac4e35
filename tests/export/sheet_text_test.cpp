#include "export/spreadsheet/connection_text.h"
#include "export/spreadsheet/sql_statement.h"
#include "export/spreadsheet/text_sheet_file.h"
#include "tests/export/independent_reader.h"
#include "tests/support/temp_home.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

const QStringList kHostile{"O'Brien", "]",       "a]]b",       "[x]",      ",;.?",          "\"q\"",
                           "''",      "tab\tin", "line\nnext", "\r\n",     "\u00B0",        "\u0416",
                           "\u6D4B",  "\u0641",  "\U0001F52C", "\x01\x1F", "\"ExportData\""};

TEST(SqlStatement, HostileNamesAndValuesSurviveTheStatementText) {
  for (const QString& text : kHostile) {
    SCOPED_TRACE(text.toStdString());
    QString insert = QStringLiteral("INSERT INTO ");
    appendSqlIdentifier(insert, text + QStringLiteral("$A1:IV7"));
    insert += QStringLiteral(" (") + sqlIdentifier(text) + QStringLiteral(", [b]) VALUES (") + sqlLiteral(text) +
              QStringLiteral(", '')");
    QString error;
    const std::optional<SqlStatement> parsed = SqlStatement::parse(insert, &error);
    ASSERT_TRUE(parsed) << error.toStdString();
    EXPECT_EQ(parsed->kind, SqlStatement::Kind::Insert);
    EXPECT_EQ(parsed->sheet, text);
    EXPECT_EQ(parsed->columns, (QStringList{text, "b"}));
    EXPECT_EQ(parsed->values, (QStringList{text, ""}));
  }
}

TEST(SqlStatement, TheFourFormsWithAndWithoutRange) {
  struct Case {
    const char* text;
    SqlStatement::Kind kind;
    const char* sheet;
    QStringList columns;
  };
  const std::vector<Case> cases{
      {"SELECT * FROM [ExportData$A1:IV65536]", SqlStatement::Kind::Select, "ExportData", {}},
      {"select  *  from [ExportData$]", SqlStatement::Kind::Select, "ExportData", {}},
      {"DROP TABLE [CSpreadSheetBackup$A1:IV65536]", SqlStatement::Kind::Drop, "CSpreadSheetBackup", {}},
      {"CREATE TABLE [ExportData] ([measuring objective] char(255), [Arc-length] char(255))",
       SqlStatement::Kind::Create,
       "ExportData",
       {"measuring objective", "Arc-length"}},
      {"CREATE TABLE [Price$List] ([a] char(255))", SqlStatement::Kind::Create, "Price$List", {"a"}},
      {"INSERT INTO [ExportData$A1:IV3] ([Length]) VALUES ('L:2.963mm')",
       SqlStatement::Kind::Insert,
       "ExportData",
       {"Length"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    QString error;
    const std::optional<SqlStatement> parsed = SqlStatement::parse(c.text, &error);
    ASSERT_TRUE(parsed) << error.toStdString();
    EXPECT_EQ(parsed->kind, c.kind);
    EXPECT_EQ(parsed->sheet, QString(c.sheet));
    EXPECT_EQ(parsed->columns, c.columns);
  }
  // What the original writer produced from an apostrophe: the statement is refused, never misread.
  for (const char* bad : {"INSERT INTO [S] ([a]) VALUES ('O'Brien')", "INSERT INTO [S] ([a], [b]) VALUES ('1')",
                          "CREATE TABLE [S] ([a] char(255)", "SELECT * FROM", "UPDATE [S] SET a = 1",
                          "DROP TABLE [unclosed", "INSERT INTO [a]]b] ([x]) VALUES ('1') trailing"}) {
    QString error;
    EXPECT_FALSE(SqlStatement::parse(bad, &error)) << bad;
    EXPECT_FALSE(error.isEmpty());
  }
}

TEST(ConnectionText, DatabaseIsTheRestOfTheText) {
  for (const QString& path : {QStringLiteral("/home/u/report.xls"), QStringLiteral("/tmp/a;b/c;DBQ=x.xls"),
                              QStringLiteral("/tmp/say \"hi\".xlsx"), QStringLiteral("/tmp/\";DBQ=\".xls"),
                              QStringLiteral("/tmp/\u6D4B\u91CF.xls")}) {
    SCOPED_TRACE(path.toStdString());
    const QString text = ConnectionText::build(QStringLiteral("Lumivex Excel Driver (*.xls, *.xlsx)"), path);
    EXPECT_TRUE(text.startsWith(
        "DRIVER={Lumivex Excel Driver (*.xls, *.xlsx)};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\""));
    const std::optional<ConnectionText> parsed = ConnectionText::parse(text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->driver, QStringLiteral("Lumivex Excel Driver (*.xls, *.xlsx)"));
    EXPECT_EQ(parsed->database, path);
    EXPECT_EQ(parsed->createTarget, path);
    EXPECT_FALSE(parsed->readOnly);
  }
  const std::optional<ConnectionText> readOnly = ConnectionText::parse("DRIVER={X};READONLY=TRUE;DBQ=/a;b");
  ASSERT_TRUE(readOnly);
  EXPECT_TRUE(readOnly->readOnly);
  EXPECT_EQ(readOnly->database, QStringLiteral("/a;b"));
  EXPECT_FALSE(ConnectionText::parse("DRIVER={X};DSN=''"));
}

TEST(TextSheetFile, WritesWhatSpreadsheetsOpenAndReadsItBack) {
  const QList<QStringList> rows{
      {"measuring objective", "Length", "Arc"}, kHostile.mid(0, 3), kHostile.mid(3, 6), kHostile.mid(9), {"", "", ""}};
  const QByteArray bytes = TextSheetFile::encode(rows);
  EXPECT_TRUE(bytes.startsWith(QByteArray("\xFF\xFE\"\0m\0", 6)));
  EXPECT_TRUE(bytes.endsWith(QByteArray("\"\0\r\0\n\0", 6)));
  EXPECT_EQ(TextSheetFile::decode(bytes), rows);

  // Python's csv module, told only "UTF-16, TAB", reads the same values.
  QTemporaryDir dir;
  const QString path = dir.filePath("sheet.txt");
  ASSERT_TRUE(test::writeBytes(path, bytes));
  QString json;
  ASSERT_TRUE(
      test::runPython("import csv, json, sys\n"
                      "with open(sys.argv[1], encoding='utf-16', newline='') as f:\n"
                      "    print(json.dumps(list(csv.reader(f, delimiter='\\t'))))",
                      {path}, &json));
  QList<QStringList> pythonRows;
  const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8());
  for (const QJsonValue& row : doc.array()) {
    QStringList values;
    for (const QJsonValue& value : row.toArray()) values << value.toString();
    pythonRows << values;
  }
  EXPECT_EQ(pythonRows, rows);
}

TEST(TextSheetFile, ReadsEveryEncodingAndSeparatorItMeets) {
  const QList<QStringList> expected{{"measuring objective", "Length"}, {"Line", "L:2.963mm"}, {"\u6D4B", "25\u00B0"}};
  const QString tabbed =
      QStringLiteral("\"measuring objective\"\t\"Length\"\r\n\"Line\"\t\"L:2.963mm\"\r\n\"\u6D4B\"\t\"25\u00B0\"\r\n");
  const auto utf16 = [](const QString& text, bool bigEndian) {
    QByteArray out;
    for (const QChar c : text) {
      const char hi = static_cast<char>(c.unicode() >> 8);
      const char lo = static_cast<char>(c.unicode() & 0xFF);
      out += bigEndian ? QByteArray{1, hi} + lo : QByteArray{1, lo} + hi;
    }
    return out;
  };
  struct Case {
    const char* what;
    QByteArray bytes;
  };
  const std::vector<Case> cases{
      {"UTF-8", tabbed.toUtf8()},
      {"UTF-8 with mark, LF", "\xEF\xBB\xBF" + QString(tabbed).remove(u'\r').toUtf8()},
      {"UTF-16LE without mark", utf16(tabbed, false)},
      {"UTF-16BE with mark", "\xFE\xFF" + utf16(tabbed, true)},
      {"comma separated, quotes only where needed",
       QStringLiteral("measuring objective,Length\nLine,L:2.963mm\n\u6D4B,25\u00B0\n").toUtf8()},
      {"semicolon",
       QStringLiteral("\"measuring objective\";\"Length\"\n\"Line\";\"L:2.963mm\"\n\"\u6D4B\";\"25\u00B0\"").toUtf8()},
      // Files of earlier versions: the sheet name between the values, UTF-16 without a mark.
      {"earlier versions",
       utf16(QStringLiteral("\"measuring objective\"ExportData\"Length\"\r\n\"Line\"ExportData\"L:2.963mm\"\r\n"
                            "\"\u6D4B\"ExportData\"25\u00B0\"\r\n"),
             false)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(TextSheetFile::decode(c.bytes), expected);
  }
  // Quotes earlier versions did not double are kept as written.
  EXPECT_EQ(TextSheetFile::decode("\"O\"Brien\"\t\"x\"\r\n"), (QList<QStringList>{{"O\"Brien", "x"}}));
  EXPECT_EQ(TextSheetFile::decode(QByteArray()), QList<QStringList>{});
  EXPECT_EQ(TextSheetFile::decode("\xFF\xFE"), QList<QStringList>{});
}

}  // namespace
}  // namespace lumivex
