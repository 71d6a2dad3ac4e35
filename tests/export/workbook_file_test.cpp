#include "export/spreadsheet/workbook_file.h"
#include "export/spreadsheet/workbook.h"
#include "tests/export/independent_reader.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using test::readIndependently;

QStringList hostileTexts() {
  return {QStringLiteral("O'Brien"),
          QStringLiteral("a]b]]"),
          QStringLiteral(",;.?"),
          QStringLiteral("say \"hi\""),
          QStringLiteral("tab\there"),
          QStringLiteral("line\nbreak"),
          QStringLiteral("25.5\u00B0"),
          QStringLiteral("\u0418\u0437\u043C\u0435\u0440\u0435\u043D\u0438\u0435"),
          QStringLiteral("\u6D4B\u91CF\u7ED3\u679C"),
          QStringLiteral("\u0627\u0646\u062F\u0627\u0632\u0647"),
          QStringLiteral("\U0001F52C"),
          QStringLiteral("bell\x07"
                         "end"),
          QString(300, u'x') + QStringLiteral("!"),
          QStringLiteral("L:2.963mm")};
}

// openpyxl hands back the escape .xlsx files use for control characters ("_x0007_") as it stands.
QString asOpenpyxlReads(const QString& text, bool xlsx) {
  if (!xlsx) return text;
  QString out;
  for (const QChar c : text)
    out += c.unicode() < 0x20 && c != u'\t' && c != u'\n' ? QStringLiteral("_x%1_")
                                                                .arg(c.unicode(), 4, 16, QChar(u'0'))
                                                                .toUpper()
                                                                .replace(QLatin1String("_X"), QLatin1String("_x"))
                                                          : QString(c);
  return out;
}

Workbook sampleWorkbook() {
  Workbook book;
  WorkbookSheet data{QStringLiteral("Data"), {}};
  for (const QString& text : hostileTexts()) data.rows.push_back({WorkbookCell::ofText(text)});
  WorkbookCell date;
  date.type = WorkbookCell::Type::Date;
  date.number = 45356;  // 2024-03-05
  WorkbookCell dateTime = date;
  dateTime.number = 45356.5;
  dateTime.hasTime = true;
  WorkbookCell flag;
  flag.type = WorkbookCell::Type::Boolean;
  flag.number = 1;
  data.rows.push_back({WorkbookCell::ofNumber(0.7), WorkbookCell::ofNumber(-12345.678), date, dateTime, flag});
  book.sheets.push_back(data);
  book.sheets.push_back(WorkbookSheet{QStringLiteral("\u0417\u0430\u043C\u0435\u0442\u043A\u0438"),
                                      {{{}, {}, WorkbookCell::ofText(QStringLiteral("C1"))}}});
  return book;
}

class WorkbookFileTest : public ::testing::TestWithParam<WorkbookFormat> {
 protected:
  bool xlsx() const { return GetParam() == WorkbookFormat::Xlsx; }
  QString file(const QString& base) const { return dir_.filePath(base + (xlsx() ? ".xlsx" : ".xls")); }
  QTemporaryDir dir_;
};

TEST_P(WorkbookFileTest, ValuesSurviveOurReaderAndAnIndependentOne) {
  const QString path = file("sample");
  const Workbook book = sampleWorkbook();
  QString error;
  ASSERT_TRUE(saveWorkbook(path, book, GetParam(), &error)) << error.toStdString();

  Workbook back;
  ASSERT_EQ(loadWorkbook(path, &back, &error), WorkbookLoad::Loaded) << error.toStdString();
  ASSERT_EQ(back.sheets.size(), 2u);
  EXPECT_EQ(back.sheets[1].name, book.sheets[1].name);
  const QStringList texts = hostileTexts();
  for (int i = 0; i < texts.size(); ++i) EXPECT_EQ(back.sheets[0].rows[i][0].text, texts[i]) << i;
  const auto& numbers = back.sheets[0].rows[texts.size()];
  ASSERT_EQ(numbers.size(), 5u);
  EXPECT_EQ(numbers[0].type, WorkbookCell::Type::Number);
  EXPECT_DOUBLE_EQ(numbers[0].number, 0.7);
  EXPECT_DOUBLE_EQ(numbers[1].number, -12345.678);
  EXPECT_EQ(numbers[2].displayText(), QStringLiteral("2024-03-05"));
  EXPECT_EQ(numbers[3].displayText(), QStringLiteral("2024-03-05 12:00:00"));
  EXPECT_EQ(numbers[4].displayText(), QStringLiteral("TRUE"));

  const auto sheets = readIndependently(path, xlsx(), &error);
  ASSERT_TRUE(sheets) << error.toStdString();
  ASSERT_EQ(sheets->size(), 2u);
  EXPECT_EQ((*sheets)[0].name, QStringLiteral("Data"));
  for (int i = 0; i < texts.size(); ++i)
    EXPECT_EQ((*sheets)[0].cell(i, 0).toString(), asOpenpyxlReads(texts[i], xlsx())) << i;
  const int n = static_cast<int>(texts.size());
  EXPECT_DOUBLE_EQ((*sheets)[0].cell(n, 0).toDouble(), 0.7);
  EXPECT_DOUBLE_EQ((*sheets)[0].cell(n, 1).toDouble(), -12345.678);
  EXPECT_EQ((*sheets)[0].cell(n, 2)[QStringLiteral("date")].toString(), QStringLiteral("2024-03-05"));
  EXPECT_EQ((*sheets)[0].cell(n, 3)[QStringLiteral("date")].toString().left(19), QStringLiteral("2024-03-05 12:00:00"));
  EXPECT_EQ((*sheets)[0].cell(n, 4).toBool(), true);
  EXPECT_EQ((*sheets)[1].cell(0, 2).toString(), QStringLiteral("C1"));
}

TEST_P(WorkbookFileTest, ManyAndLongTextsAreNeverCut) {
  // Enough text to fill several continuation records, with texts that straddle their boundaries.
  Workbook book;
  WorkbookSheet sheet{QStringLiteral("Long"), {}};
  for (int i = 0; i < 400; ++i) {
    const QString unit = i % 3 == 0 ? QStringLiteral("\u00B5m") : (i % 3 == 1 ? QStringLiteral("\u6D4B") : "ab");
    sheet.rows.push_back({WorkbookCell::ofText(QString::number(i) + u':' + unit.repeated(10 + (i * 37) % 500))});
  }
  sheet.rows.push_back({WorkbookCell::ofText(QString(kMaxCellText, u'\u0416'))});
  book.sheets.push_back(sheet);
  const QString path = file("long");
  QString error;
  ASSERT_TRUE(saveWorkbook(path, book, GetParam(), &error)) << error.toStdString();
  Workbook back;
  ASSERT_EQ(loadWorkbook(path, &back, &error), WorkbookLoad::Loaded) << error.toStdString();
  const auto sheets = readIndependently(path, xlsx(), &error);
  ASSERT_TRUE(sheets) << error.toStdString();
  for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
    EXPECT_EQ(back.sheets[0].rows[r][0].text, sheet.rows[r][0].text) << r;
    EXPECT_EQ((*sheets)[0].cell(static_cast<int>(r), 0).toString(), sheet.rows[r][0].text) << r;
  }
}

TEST_P(WorkbookFileTest, WhatTheFormCannotHoldIsRefusedAndNothingIsWritten) {
  const int maxRows = xlsx() ? kXlsxMaxRows : kXlsMaxRows;
  const int maxColumns = xlsx() ? kXlsxMaxColumns : kXlsMaxColumns;
  struct Case {
    const char* what;
    Workbook book;
  };
  std::vector<Case> cases;
  {
    Workbook tooManyRows;
    tooManyRows.sheets.push_back({QStringLiteral("S"), {}});
    tooManyRows.sheets[0].rows.resize(static_cast<std::size_t>(maxRows) + 1);
    tooManyRows.sheets[0].rows.back().push_back(WorkbookCell::ofNumber(1));
    cases.push_back({"rows", tooManyRows});
  }
  {
    Workbook tooWide;
    tooWide.sheets.push_back({QStringLiteral("S"), {}});
    tooWide.sheets[0].rows.push_back(
        std::vector<WorkbookCell>(static_cast<std::size_t>(maxColumns) + 1, WorkbookCell::ofNumber(1)));
    cases.push_back({"columns", tooWide});
  }
  {
    Workbook longText;
    longText.sheets.push_back({QStringLiteral("S"), {{WorkbookCell::ofText(QString(kMaxCellText + 1, u'a'))}}});
    cases.push_back({"text", longText});
  }
  {
    Workbook longName;
    longName.sheets.push_back({QString(kMaxSheetName + 1, u'n'), {{WorkbookCell::ofNumber(1)}}});
    cases.push_back({"sheet name", longName});
  }
  const QString path = file("limits");
  ASSERT_TRUE(test::writeBytes(path, "old bytes"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QString error;
    EXPECT_FALSE(saveWorkbook(path, c.book, GetParam(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(test::readBytes(path), QByteArray("old bytes"));
  }
  // The largest sheet the form holds is written.
  Workbook full;
  full.sheets.push_back({QStringLiteral("S"), {}});
  if (!xlsx()) {
    full.sheets[0].rows.resize(kXlsMaxRows);
    full.sheets[0].rows.back().push_back(WorkbookCell::ofNumber(65536));
    full.sheets[0].rows.front().resize(kXlsMaxColumns, WorkbookCell::ofNumber(1));
    QString error;
    EXPECT_TRUE(saveWorkbook(path, full, GetParam(), &error)) << error.toStdString();
    Workbook back;
    ASSERT_EQ(loadWorkbook(path, &back, &error), WorkbookLoad::Loaded);
    EXPECT_EQ(back.sheets[0].rows.size(), static_cast<std::size_t>(kXlsMaxRows));
    EXPECT_EQ(back.sheets[0].columnCount(), kXlsMaxColumns);
  }
}

INSTANTIATE_TEST_SUITE_P(BothForms, WorkbookFileTest, ::testing::Values(WorkbookFormat::Xls, WorkbookFormat::Xlsx),
                         [](const auto& param) { return param.param == WorkbookFormat::Xls ? "Xls" : "Xlsx"; });

TEST(WorkbookFile, FilesThatAreNotReadableWorkbooksAreRefused) {
  QTemporaryDir dir;
  Workbook sample = sampleWorkbook();
  const QString good = dir.filePath("good.xls");
  QString error;
  ASSERT_TRUE(saveWorkbook(good, sample, WorkbookFormat::Xls, &error));
  const QByteArray bytes = test::readBytes(good);

  // An old BIFF5 workbook and an encrypted one, made from a good file by changing records in place.
  const QString patch = QStringLiteral(R"(
import olefile, struct, sys
path, what = sys.argv[1], sys.argv[2]
ole = olefile.OleFileIO(path, write_mode=True)
data = bytearray(ole.openstream('Workbook').read())
if what == 'biff5':
    struct.pack_into('<H', data, 4, 0x0500)
else:
    # CODEPAGE (2 bytes of data) becomes a FILEPASS record of the same size.
    pos = 0
    while True:
        kind, size = struct.unpack_from('<HH', data, pos)
        if kind == 0x0042:
            struct.pack_into('<H', data, pos, 0x002F)
            break
        pos += 4 + size
ole.write_stream('Workbook', bytes(data))
ole.close()
)");
  const QString biff5 = dir.filePath("old.xls");
  const QString encrypted = dir.filePath("locked.xls");
  ASSERT_TRUE(test::writeBytes(biff5, bytes));
  ASSERT_TRUE(test::writeBytes(encrypted, bytes));
  ASSERT_TRUE(test::runPython(patch, {biff5, "biff5"}));
  ASSERT_TRUE(test::runPython(patch, {encrypted, "encrypted"}));

  struct Case {
    const char* name;
    QByteArray content;
  };
  const std::vector<Case> cases{
      {"truncated.xls", bytes.left(1536)},
      {"garbage.xls", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(4000, '\x5A')},
      {"text.xls", QByteArray("measuring objective\tLength\r\n")},
      {"html.xlsx", QByteArray("<html><body><table></table></body></html>")},
      {"broken.xlsx", QByteArray("PK\x03\x04") + QByteArray(300, '\x01')},
  };
  QStringList refused{biff5, encrypted};
  for (const Case& c : cases) {
    ASSERT_TRUE(test::writeBytes(dir.filePath(c.name), c.content));
    refused << dir.filePath(c.name);
  }
  for (const QString& path : refused) {
    SCOPED_TRACE(path.toStdString());
    Workbook book;
    error.clear();
    EXPECT_EQ(loadWorkbook(path, &book, &error), WorkbookLoad::Refused);
    EXPECT_FALSE(error.isEmpty());
  }
  Workbook none;
  EXPECT_EQ(loadWorkbook(dir.filePath("missing.xls"), &none, &error), WorkbookLoad::Missing);
  ASSERT_TRUE(test::writeBytes(dir.filePath("empty.xlsx"), QByteArray()));
  EXPECT_EQ(loadWorkbook(dir.filePath("empty.xlsx"), &none, &error), WorkbookLoad::Missing);
}

}  // namespace
}  // namespace lumivex
