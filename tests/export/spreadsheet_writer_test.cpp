#include "export/report_row.h"
#include "export/spreadsheet/c_spread_sheet.h"
#include "export/spreadsheet/spreadsheet_driver.h"
#include "export/spreadsheet/workbook.h"
#include "export/spreadsheet/workbook_driver.h"
#include "export/spreadsheet/workbook_file.h"
#include "export/spreadsheet_export.h"
#include "measure/shape_builder.h"
#include "tests/export/independent_reader.h"
#include "tests/support/temp_home.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>

namespace lumivex {
namespace {

const UnitConversion kMm{0.02963, 10, 3, QStringLiteral("mm")};

std::vector<MeasureShape> lines(int count) {
  std::vector<MeasureShape> shapes;
  for (int i = 0; i < count; ++i) shapes.push_back(*makeLine({0, 0}, {100 + i, 0}, {0, 0}, kMm));
  return shapes;
}

std::vector<const MeasureShape*> pointers(const std::vector<MeasureShape>& shapes) {
  std::vector<const MeasureShape*> out;
  for (const MeasureShape& shape : shapes) out.push_back(&shape);
  return out;
}

// Forwards to the real driver, recording every statement and counting the writes, and fails the
// statement numbered failAt (counted from 1 over the life of the driver) when set.
class RecordingDriver : public SpreadsheetDriver {
 public:
  QString name() const override { return QStringLiteral("Recording Excel Driver"); }
  std::unique_ptr<SpreadsheetConnection> connect(const QString& text, QString* error) override;

  QStringList statements;
  int writes = 0;
  int failAt = 0;
};

class RecordingConnection : public SpreadsheetConnection {
 public:
  RecordingConnection(RecordingDriver& driver, std::unique_ptr<SpreadsheetConnection> real)
      : driver_(driver), real_(std::move(real)) {}
  bool execute(const QString& statement) override {
    driver_.statements << statement;
    if (driver_.failAt == driver_.statements.size()) {
      error_ = QStringLiteral("refused by the test");
      return false;
    }
    return real_->execute(statement);
  }
  std::optional<RecordSet> query(const QString& statement) override {
    driver_.statements << statement;
    return real_->query(statement);
  }
  bool close() override {
    ++driver_.writes;
    return real_->close();
  }
  QString lastError() const override { return error_.isEmpty() ? real_->lastError() : error_; }

 private:
  RecordingDriver& driver_;
  std::unique_ptr<SpreadsheetConnection> real_;
  QString error_;
};

std::unique_ptr<SpreadsheetConnection> RecordingDriver::connect(const QString& text, QString* error) {
  std::unique_ptr<SpreadsheetConnection> real = WorkbookDriver().connect(text, error);
  if (!real) return nullptr;
  return std::make_unique<RecordingConnection>(*this, std::move(real));
}

// Installs drivers for one test and puts the real one back afterwards.
class DriverScope {
 public:
  explicit DriverScope(std::vector<std::shared_ptr<SpreadsheetDriver>> drivers)
      : previous_(DriverRegistry::instance().install(std::move(drivers))) {}
  ~DriverScope() { DriverRegistry::instance().install(std::move(previous_)); }

 private:
  std::vector<std::shared_ptr<SpreadsheetDriver>> previous_;
};

TEST(SpreadsheetWriter, OneWritePerFlushAndEveryValueEscaped) {
  auto driver = std::make_shared<RecordingDriver>();
  DriverScope scope({std::make_shared<WorkbookDriver>(), driver});
  QTemporaryDir dir;
  const QString path = dir.filePath("a;b\"c.xls");
  std::vector<MeasureShape> shapes = lines(3);
  shapes[1].labels = {QStringLiteral("O'Brien]")};

  // The first driver whose name contains "Excel" is taken: here the real one, listed first.
  EXPECT_EQ(CSpreadSheet::FindSpreadsheetDriver(), WorkbookDriver::driverName());
  DriverRegistry::instance().install({driver});
  {
    CSpreadSheet sheet(path, "ExportData", true);
    EXPECT_EQ(sheet.driverName(), driver->name());
    EXPECT_TRUE(sheet.connectionText().endsWith(QStringLiteral(";DBQ=") + path));
  }
  driver->statements.clear();
  ASSERT_TRUE(writeReportSpreadsheet(path, ReportSource::Still, pointers(shapes), {}).written);
  // A new file: the sheet is looked for (none), made and filled in one write.
  EXPECT_EQ(driver->writes, 1);
  EXPECT_TRUE(driver->statements.contains(
      "INSERT INTO [ExportData$A1:IV2] ([measuring objective], [Length], [Radius1], [Radius2], [Width], [Height], "
      "[Area], [Angle], [Girth], [Arc]) VALUES ('Line', 'O''Brien]', '', '', '', '', '', '', '', '')"));
  EXPECT_TRUE(driver->statements.contains(
      "CREATE TABLE [ExportData] ([measuring objective] char(255), [Length] char(255), [Radius1] char(255), "
      "[Radius2] char(255), [Width] char(255), [Height] char(255), [Area] char(255), [Angle] char(255), "
      "[Girth] char(255), [Arc] char(255))"));

  // Appending: the backup sheet and the sheet itself in one write, however many rows.
  driver->statements.clear();
  driver->writes = 0;
  ASSERT_TRUE(writeReportSpreadsheet(path, ReportSource::Still, pointers(lines(50)), {}).written);
  EXPECT_EQ(driver->writes, 1);
  EXPECT_TRUE(driver->statements.contains("DROP TABLE [ExportData$A1:IV65536]"));
  EXPECT_TRUE(driver->statements.contains(
      "CREATE TABLE [CSpreadSheetBackup] ([measuring objective] char(255), [Length] char(255), [Radius1] char(255), "
      "[Radius2] char(255), [Width] char(255), [Height] char(255), [Area] char(255), [Angle] char(255), "
      "[Girth] char(255), [Arc] char(255))"));
  Workbook book;
  ASSERT_EQ(loadWorkbook(path, &book, nullptr), WorkbookLoad::Loaded);
  EXPECT_EQ(book.find("ExportData")->rows[2][1].text, QStringLiteral("O'Brien]"));
  EXPECT_EQ(book.find("ExportData")->rows.size(), 1u + 3 + 50);

  // A statement that fails part-way leaves the file byte for byte as it was, the backup sheet included.
  for (const auto& [failAt, backup] : {std::pair{3, false}, std::pair{40, false}, std::pair{3, true}}) {
    SCOPED_TRACE(testing::Message() << failAt << (backup ? " with backup" : ""));
    const QByteArray before = test::readBytes(path);
    CSpreadSheet sheet(path, "ExportData", backup);
    ASSERT_TRUE(sheet.isUsable());
    sheet.BeginBatch();
    sheet.WriteHeaderRow(reportHeader(ReportSource::Still));
    for (const ReportRow& row : reportRows(ReportSource::Still, pointers(lines(5)), {}))
      ASSERT_TRUE(sheet.AppendRow(row.toStringList()));
    driver->statements.clear();
    driver->failAt = failAt;
    EXPECT_FALSE(sheet.Flush());
    EXPECT_EQ(sheet.lastError(), QStringLiteral("refused by the test"));
    EXPECT_EQ(test::readBytes(path), before);
    driver->failAt = 0;
  }
}

TEST(SpreadsheetWriter, AnXlsSheetIsNeverWrittenPastItsLastRow) {
  QTemporaryDir dir;
  const QString path = dir.filePath("full.xls");
  Workbook book;
  WorkbookSheet sheet{QStringLiteral("ExportData"), {}};
  std::vector<WorkbookCell> header;
  for (const QString& name : reportHeader(ReportSource::Still)) header.push_back(WorkbookCell::ofText(name));
  sheet.rows.push_back(header);
  sheet.rows.resize(kXlsMaxRows - 2, {WorkbookCell::ofText("Line"), WorkbookCell::ofText("L:1mm")});
  book.sheets.push_back(sheet);
  ASSERT_TRUE(saveWorkbook(path, book, WorkbookFormat::Xls, nullptr));

  const SpreadsheetExportResult result = writeReportSpreadsheet(path, ReportSource::Still, pointers(lines(3)), {});
  EXPECT_FALSE(result.written);
  EXPECT_TRUE(result.error.contains(QStringLiteral("65536"))) << result.error.toStdString();
  Workbook after;
  ASSERT_EQ(loadWorkbook(path, &after, nullptr), WorkbookLoad::Loaded);
  EXPECT_EQ(after.find("ExportData")->rows.size(), static_cast<std::size_t>(kXlsMaxRows - 2));
  // Two more rows still fit exactly.
  EXPECT_TRUE(writeReportSpreadsheet(path, ReportSource::Still, pointers(lines(2)), {}).written);
  ASSERT_EQ(loadWorkbook(path, &after, nullptr), WorkbookLoad::Loaded);
  EXPECT_EQ(after.find("ExportData")->rows.size(), static_cast<std::size_t>(kXlsMaxRows));
}

TEST(SpreadsheetWriter, RowsHeadersAndTheirErrorTexts) {
  QTemporaryDir dir;
  // Excel mode: a header first, no duplicate names, no shorter header, no wider row.
  CSpreadSheet excel(dir.filePath("rules.XLS"), "ExportData", true);
  EXPECT_TRUE(excel.isExcelMode());
  EXPECT_EQ(excel.separator(), QStringLiteral(",;.?"));
  excel.BeginBatch();
  EXPECT_FALSE(excel.AppendRow({"a"}));
  EXPECT_EQ(excel.lastError(), QStringLiteral("No header row. Add header row first\n"));
  EXPECT_FALSE(excel.WriteHeaderRow({"x", "y", "x"}));
  EXPECT_EQ(excel.lastError(), QStringLiteral("Duplicate header row field:x\n"));
  ASSERT_TRUE(excel.WriteHeaderRow({"x", "y", "z"}));
  EXPECT_EQ(excel.totalRows(), 1);
  EXPECT_EQ(excel.totalColumns(), 3);
  EXPECT_FALSE(excel.AppendRow({"x", "y"}, 1, true));
  EXPECT_EQ(excel.lastError(), QStringLiteral("Number of columns in new header row cannot be less than the number of "
                                              "columns in previous header row"));
  EXPECT_FALSE(excel.AppendRow({"1", "2", "3", "4"}));
  EXPECT_EQ(excel.lastError(),
            QStringLiteral("Number of columns to be added cannot be greater than the number of fields\n"));
  ASSERT_TRUE(excel.AppendRow({"r2"}));
  ASSERT_TRUE(excel.AppendRow({"r4"}, 4));        // row 3 padded
  ASSERT_TRUE(excel.AppendRow({"r3"}, 3, true));  // replaces the padding
  ASSERT_TRUE(excel.AppendRow({"new2"}, 2));      // inserted before row 2
  EXPECT_EQ(excel.rows(), (QList<QStringList>{{"x", "y", "z"}, {"new2"}, {"r2"}, {"r3"}, {"r4"}}));
  QStringList values;
  EXPECT_FALSE(excel.ParseRow(values, 6));
  EXPECT_EQ(excel.lastError(), QStringLiteral("Desired row is greater than total number of rows in spreadsheet\n"));
  ASSERT_TRUE(excel.ParseRow(values, 3));
  EXPECT_EQ(values, QStringList{"r2"});
  ASSERT_TRUE(excel.ParseRow(values));  // the current row moved on
  EXPECT_EQ(values, QStringList{"r3"});
  ASSERT_TRUE(excel.Flush());
  EXPECT_FALSE(excel.isBatching());
  Workbook book;
  ASSERT_EQ(loadWorkbook(dir.filePath("rules.XLS"), &book, nullptr), WorkbookLoad::Loaded);
  EXPECT_EQ(book.find("ExportData")->rows.size(), 5u);

  // Text mode: rows as wide as they come; a one-character second argument is the separator.
  CSpreadSheet text(dir.filePath("rules.txt"), ";", true);
  EXPECT_FALSE(text.isExcelMode());
  ASSERT_TRUE(text.WriteHeaderRow({"a"}));  // not batching: written at once
  ASSERT_TRUE(text.AppendRow({"1", "2", "3"}));
  EXPECT_EQ(text.totalColumns(), 3);
  EXPECT_EQ(test::readBytes(dir.filePath("rules.txt")),
            QByteArray("\xFF\xFE\"\0a\0\"\0\r\0\n\0\"\0001\0\"\0;\0\"\0002\0\"\0;\0\"\0003\0\"\0\r\0\n\0", 38));

  // Without a driver whose name contains "Excel" the export fails visibly instead of reporting success.
  {
    DriverScope none({});
    EXPECT_EQ(CSpreadSheet::FindSpreadsheetDriver(), QString());
    const SpreadsheetExportResult result =
        writeReportSpreadsheet(dir.filePath("nodriver.xls"), ReportSource::Still, pointers(lines(1)), {});
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.error, QStringLiteral("Data source name not found and no default driver specified"));
  }
}

TEST(SpreadsheetWriter, TextFormKeepsItsHeaderAndCopiesTheOldFileByteForByte) {
  QTemporaryDir dir;
  const QString path = dir.filePath("report.txt");
  // A UTF-8 file as another program wrote it, with the header already there.
  const QByteArray utf8 = QStringLiteral(
                              "measuring objective,Length,Radius1,Radius2,Width,Height,Area,Angle,Girth,Arc\n"
                              "Line,L:1.000mm,,,,,,,,\n\u6D4B,\u00B0,,,,,,,,\n")
                              .toUtf8();
  ASSERT_TRUE(test::writeBytes(path, utf8));
  ASSERT_TRUE(writeReportSpreadsheet(path, ReportSource::Still, pointers(lines(2)), {}).written);
  EXPECT_EQ(test::readBytes(path + ".bak"), utf8);
  CSpreadSheet back(path, "ExportData", false);
  ASSERT_EQ(back.rows().size(), 5);
  EXPECT_EQ(back.rows()[0], reportHeader(ReportSource::Still));
  EXPECT_EQ(back.rows()[2][0], QStringLiteral("\u6D4B"));
  EXPECT_EQ(back.rows()[4][1], QStringLiteral("L:2.993mm"));
  // The exports' header check: names the header already holds are refused, the header stays.
  back.BeginBatch();
  EXPECT_FALSE(back.WriteHeaderRow(reportHeader(ReportSource::Still)));
  EXPECT_EQ(back.lastError(), QStringLiteral("Duplicate header row field:measuring objective\n"));
  EXPECT_EQ(back.rows()[0].size(), 10);
}

// Workbooks written by other programs keep their other sheets' values, numbers as numbers, and an empty
// "ExportData" sheet already there is the one filled.
TEST(SpreadsheetWriter, WorkbooksOfOtherProgramsKeepTheirData) {
  QTemporaryDir dir;
  const QString xlsx = dir.filePath("lab.xlsx");
  const QString xls = dir.filePath("lab.xls");
  ASSERT_TRUE(test::runPython(R"(
import datetime, sys, openpyxl
book = openpyxl.Workbook()
prices = book.active
prices.title = 'Prices'
prices.append(['item', 'price', 'double', 'when', 'ok'])
prices.append(['\u6D4B\u91CF', 0.7, '=B2*2', datetime.date(2024, 3, 5), True])
prices.append(['bolt', 42, None, None, False])
book.create_sheet('ExportData')
notes = book.create_sheet('Notes')
notes['C3'] = 'far away'
book.save(sys.argv[1])
)",
                              {xlsx}));
  ASSERT_TRUE(test::runPython(R"(
import datetime, sys, xlwt
book = xlwt.Workbook()
prices = book.add_sheet('Prices')
for c, v in enumerate(['item', 'price', 'double', 'when', 'ok']): prices.write(0, c, v)
prices.write(1, 0, '\u6D4B\u91CF'); prices.write(1, 1, 0.7); prices.write(1, 2, xlwt.Formula('B2*2'))
prices.write(1, 3, datetime.date(2024, 3, 5), xlwt.easyxf(num_format_str='YYYY-MM-DD')); prices.write(1, 4, True)
prices.write(2, 0, 'bolt'); prices.write(2, 1, 42); prices.write(2, 4, False)
book.add_sheet('ExportData')
book.add_sheet('Notes').write(2, 2, 'far away')
book.save(sys.argv[1])
)",
                              {xls}));
  for (const QString& path : {xlsx, xls}) {
    SCOPED_TRACE(path.toStdString());
    const bool isXlsx = path.endsWith(QLatin1String("x"));
    const QByteArray original = test::readBytes(path);
    ASSERT_TRUE(writeReportSpreadsheet(path, ReportSource::Still, pointers(lines(2)), {}).written);
    EXPECT_EQ(test::readBytes(path + ".bak"), original);
    QString error;
    const auto sheets = test::readIndependently(path, isXlsx, &error);
    ASSERT_TRUE(sheets) << error.toStdString();
    ASSERT_EQ(sheets->size(), 3u);  // no backup sheet: the empty ExportData had nothing to keep
    EXPECT_EQ((*sheets)[0].name, QStringLiteral("Prices"));
    EXPECT_EQ((*sheets)[1].name, QStringLiteral("ExportData"));
    EXPECT_EQ((*sheets)[2].name, QStringLiteral("Notes"));
    const test::ReadSheet& prices = (*sheets)[0];
    EXPECT_EQ(prices.rowTexts(0), (QStringList{"item", "price", "double", "when", "ok"}));
    EXPECT_EQ(prices.cell(1, 0).toString(), QStringLiteral("\u6D4B\u91CF"));
    EXPECT_TRUE(prices.cell(1, 1).isDouble());
    EXPECT_DOUBLE_EQ(prices.cell(1, 1).toDouble(), 0.7);
    EXPECT_DOUBLE_EQ(prices.cell(2, 1).toDouble(), 42);
    EXPECT_EQ(prices.cell(1, 3)[QStringLiteral("date")].toString(), QStringLiteral("2024-03-05"));
    EXPECT_EQ(prices.cell(1, 4).toBool(), true);
    EXPECT_EQ(prices.cell(2, 4).toBool(), false);
    EXPECT_EQ((*sheets)[2].cell(2, 2).toString(), QStringLiteral("far away"));
    EXPECT_EQ((*sheets)[1].rowTexts(0), reportHeader(ReportSource::Still));
    EXPECT_EQ((*sheets)[1].rows.size(), 3);
    if (isXlsx) {
      // A formula of another .xlsx is carried over as a formula.
      const auto withFormulas = test::readIndependently(path, true, &error, true);
      ASSERT_TRUE(withFormulas);
      EXPECT_EQ((*withFormulas)[0].cell(1, 2)[QStringLiteral("formula")].toString(), QStringLiteral("=B2*2"));
    }
  }
}

TEST(SpreadsheetWriter, CorruptOrForeignFilesAreRefusedAndLeftAlone) {
  QTemporaryDir dir;
  struct Case {
    const char* name;
    QByteArray bytes;
  };
  const std::vector<Case> cases{
      {"corrupt.xls", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(5000, '\x11')},
      {"letter.xls", QByteArray("{\\rtf1 not a workbook}")},
      {"archive.xlsx", QByteArray("PK\x03\x04", 4) + QByteArray(100, '\0')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = dir.filePath(c.name);
    ASSERT_TRUE(test::writeBytes(path, c.bytes));
    const SpreadsheetExportResult result = writeReportSpreadsheet(path, ReportSource::Still, pointers(lines(1)), {});
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(test::readBytes(path), c.bytes);
    EXPECT_FALSE(QFileInfo::exists(path + ".bak"));
  }
}

// libxlsxwriter prints numbers with the C library: under a comma-decimal locale it would write "0,7".
TEST(SpreadsheetWriter, NumbersStayNumbersUnderAGermanLocale) {
  const QString locales = test::germanLocaleFolder();
  if (locales.isEmpty()) GTEST_SKIP() << "localedef cannot make de_DE.UTF-8 here";
  QTemporaryDir dir;
  const QString path = dir.filePath("numbers.xlsx");
  Workbook book;
  book.sheets.push_back({QStringLiteral("Prices"), {{WorkbookCell::ofNumber(0.7), WorkbookCell::ofNumber(1234.5)}}});
  ASSERT_TRUE(saveWorkbook(path, book, WorkbookFormat::Xlsx, nullptr));

  const QByteArray savedPath = qgetenv("LOCPATH");
  qputenv("LOCPATH", QFile::encodeName(locales));
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  ASSERT_TRUE(std::setlocale(LC_ALL, "de_DE.UTF-8"));
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 0.5);
  EXPECT_STREQ(text, "0,5");  // the locale is in force
  const bool written = writeReportSpreadsheet(path, ReportSource::Still, pointers(lines(1)), {}).written;
  std::setlocale(LC_ALL, previous.c_str());
  if (savedPath.isNull())
    qunsetenv("LOCPATH");
  else
    qputenv("LOCPATH", savedPath);
  ASSERT_TRUE(written);
  QString error;
  const auto sheets = test::readIndependently(path, true, &error);
  ASSERT_TRUE(sheets) << error.toStdString();
  EXPECT_DOUBLE_EQ((*sheets)[0].cell(0, 0).toDouble(), 0.7);
  EXPECT_DOUBLE_EQ((*sheets)[0].cell(0, 1).toDouble(), 1234.5);
  EXPECT_EQ((*sheets)[1].cell(1, 1).toString(), QStringLiteral("L:2.963mm"));
}

}  // namespace
}  // namespace lumivex
