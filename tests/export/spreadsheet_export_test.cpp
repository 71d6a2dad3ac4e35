#include "export/spreadsheet_export.h"
#include "core/atomic_file.h"
#include "export/report_row.h"
#include "export/spreadsheet/c_spread_sheet.h"
#include "export/spreadsheet/spreadsheet_driver.h"
#include "export/spreadsheet/text_sheet_file.h"
#include "export/spreadsheet/workbook.h"
#include "export/spreadsheet/workbook_driver.h"
#include "export/spreadsheet/workbook_file.h"
#include "measure/shape_builder.h"
#include "tests/export/independent_reader.h"
#include "tests/support/temp_home.h"
#include "tests/support/write_failures.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

enum class Form { Xls, Xlsx, Text };

const char* suffixOf(Form form) { return form == Form::Xls ? ".xls" : (form == Form::Xlsx ? ".xlsx" : ".csv"); }

const UnitConversion kMm{0.02963, 10, 3, QStringLiteral("mm")};

// A still list of several kinds, the i-th line i pixels longer.
std::vector<MeasureShape> stillShapes(int lines) {
  std::vector<MeasureShape> shapes;
  for (int i = 0; i < lines; ++i) shapes.push_back(*makeLine({0, 0}, {100 + i, 0}, {0, 0}, kMm));
  shapes.push_back(*makeRectangle({0, 0}, {100, 50}, {0, 0}, kMm));
  shapes.push_back(*makeRadiusCircle({0, 0}, {100, 0}, {0, 0}, kMm));
  shapes.push_back(makeText({0, 0}, QStringLiteral("not reported"), 0, LogFont::defaultFont()));
  shapes.push_back(*makeArc({0, 100}, {100, 0}, {200, 100}, {0, 0}, kMm));
  return shapes;
}

std::vector<const MeasureShape*> pointers(const std::vector<MeasureShape>& shapes) {
  std::vector<const MeasureShape*> out;
  for (const MeasureShape& shape : shapes) out.push_back(&shape);
  return out;
}

QList<QStringList> rowsOf(ReportSource source, const std::vector<MeasureShape>& shapes) {
  QList<QStringList> rows;
  for (const ReportRow& row : reportRows(source, pointers(shapes), {})) rows << row.toStringList();
  return rows;
}

struct Sheet {
  QString name;
  QList<QStringList> rows;
};

// The file as an independent reader sees it; the text form as one sheet named "".
std::vector<Sheet> readBack(const QString& path, Form form) {
  std::vector<Sheet> sheets;
  if (form == Form::Text) {
    sheets.push_back({QString(), TextSheetFile::decode(test::readBytes(path))});
    return sheets;
  }
  QString error;
  const auto read = test::readIndependently(path, form == Form::Xlsx, &error);
  EXPECT_TRUE(read) << error.toStdString();
  if (!read) return sheets;
  for (const test::ReadSheet& sheet : *read) {
    Sheet out{sheet.name, {}};
    for (int r = 0; r < sheet.rows.size(); ++r) out.rows << sheet.rowTexts(r);
    sheets.push_back(out);
  }
  return sheets;
}

const Sheet* find(const std::vector<Sheet>& sheets, const QString& name) {
  for (const Sheet& sheet : sheets)
    if (sheet.name == name) return &sheet;
  return nullptr;
}

const Sheet* exportData(const std::vector<Sheet>& sheets, Form form) {
  return form == Form::Text ? (sheets.empty() ? nullptr : &sheets.front()) : find(sheets, "ExportData");
}

class SpreadsheetExportTest : public ::testing::TestWithParam<Form> {
 protected:
  Form form() const { return GetParam(); }
  QString file(const QString& base) const { return dir_.filePath(base + suffixOf(form())); }
  QTemporaryDir dir_;
};

TEST_P(SpreadsheetExportTest, ExportsAppendUnderOneHeaderAndKeepBackups) {
  const QString path = file(QStringLiteral("report"));
  const std::vector<MeasureShape> first = stillShapes(2);
  const std::vector<MeasureShape> second = stillShapes(3);
  const QStringList header = reportHeader(ReportSource::Still);

  ASSERT_TRUE(writeReportSpreadsheet(path, ReportSource::Still, pointers(first), {}).written);
  EXPECT_FALSE(QFileInfo::exists(path + ".bak"));
  std::vector<Sheet> sheets = readBack(path, form());
  ASSERT_EQ(sheets.size(), 1u);
  QList<QStringList> expected = QList<QStringList>{header} + rowsOf(ReportSource::Still, first);
  ASSERT_EQ(expected.size(), 1 + 2 + 3);  // header, two lines, rectangle, circle, arc; no text
  EXPECT_EQ(exportData(sheets, form())->rows, expected);
  const QByteArray afterFirst = test::readBytes(path);

  // The second export keeps a byte copy and (workbooks) a backup sheet, and appends under the same header.
  ASSERT_TRUE(writeReportSpreadsheet(path, ReportSource::Still, pointers(second), {}).written);
  EXPECT_EQ(test::readBytes(path + ".bak"), afterFirst);
  sheets = readBack(path, form());
  const QList<QStringList> afterOne = expected;
  expected += rowsOf(ReportSource::Still, second);
  EXPECT_EQ(exportData(sheets, form())->rows, expected);
  if (form() != Form::Text) {
    ASSERT_EQ(sheets.size(), 2u);
    ASSERT_TRUE(find(sheets, "CSpreadSheetBackup"));
    EXPECT_EQ(find(sheets, "CSpreadSheetBackup")->rows, afterOne);
  }
  const QByteArray afterSecond = test::readBytes(path);

  // The third replaces the backup sheet with the content the second export left.
  ASSERT_TRUE(writeReportSpreadsheet(path, ReportSource::Still, pointers(first), {}).written);
  EXPECT_EQ(test::readBytes(path + ".bak"), afterSecond);
  sheets = readBack(path, form());
  const QList<QStringList> afterTwo = expected;
  expected += rowsOf(ReportSource::Still, first);
  EXPECT_EQ(exportData(sheets, form())->rows, expected);
  if (form() != Form::Text) {
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(find(sheets, "CSpreadSheetBackup")->rows, afterTwo);
  }
}

TEST_P(SpreadsheetExportTest, HostileLabelsSurviveEveryReexport) {
  const QStringList hostile{"O'Brien",
                            "]",
                            "x]]y",
                            ",;.?",
                            "\"q\"",
                            "tab\tin",
                            "line\nnext",
                            "\u00B0",
                            "\u0418\u0437\u043C",
                            "\u6D4B\u91CF",
                            "\u0641\u0627\u0631\u0633\u06CC",
                            "\U0001F52C",
                            QString(300, u'w') + "!",
                            "\"ExportData\"",
                            "','); DROP TABLE [ExportData$]; --"};
  std::vector<MeasureShape> shapes;
  for (const QString& text : hostile) {
    MeasureShape rectangle = *makeRectangle({0, 0}, {10, 10}, {0, 0}, kMm);
    rectangle.labels = {text, text + "w", "h" + text};
    shapes.push_back(rectangle);
  }
  const QString path = file(QStringLiteral("hostile"));
  for (int round = 0; round < 3; ++round) {
    const SpreadsheetExportResult result = writeReportSpreadsheet(path, ReportSource::Still, pointers(shapes), {});
    ASSERT_TRUE(result.written) << round << " " << result.error.toStdString();
  }
  const QList<QStringList> rows = rowsOf(ReportSource::Still, shapes);
  const QList<QStringList> expected = QList<QStringList>{reportHeader(ReportSource::Still)} + rows + rows + rows;
  const std::vector<Sheet> sheets = readBack(path, form());
  ASSERT_TRUE(exportData(sheets, form()));
  EXPECT_EQ(exportData(sheets, form())->rows, expected);
  if (form() != Form::Text) {
    EXPECT_EQ(find(sheets, "CSpreadSheetBackup")->rows, expected.mid(0, 1 + 2 * rows.size()));
  }
}

// A write that cannot happen never changes the file: disk full, read-only folder or target, a directory
// or a link to a FIFO where the file should be.
TEST_P(SpreadsheetExportTest, NothingIsLostWhenTheFileCannotBeWritten) {
  const std::vector<MeasureShape> shapes = stillShapes(2);
  QTemporaryDir scratch;
  const QString made = scratch.filePath(QStringLiteral("old") + suffixOf(form()));
  ASSERT_TRUE(writeReportSpreadsheet(made, ReportSource::Still, pointers(shapes), {}).written);
  const QByteArray oldBytes = test::readBytes(made);
  for (const test::WriteFailure failure : test::allWriteFailures()) {
    SCOPED_TRACE(test::nameOf(failure));
    test::WriteFailureStage stage;
    const QString target = stage.path(QStringLiteral("report") + suffixOf(form()));
    stage.arm(failure, target, oldBytes);
    const SpreadsheetExportResult result = writeReportSpreadsheet(target, ReportSource::Still, pointers(shapes), {});
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(result.error.isEmpty() && result.reason.isEmpty());
    EXPECT_TRUE(stage.targetUnchanged());
    EXPECT_TRUE(stage.leftoverTemporaries().isEmpty());
  }
}

TEST_P(SpreadsheetExportTest, ALinkedTargetIsWrittenThroughTheLink) {
  const QString real = file(QStringLiteral("real"));
  const QString link = file(QStringLiteral("link"));
  ASSERT_TRUE(QFile::link(real, link));
  const std::vector<MeasureShape> shapes = stillShapes(1);
  ASSERT_TRUE(writeReportSpreadsheet(link, ReportSource::Live, pointers(shapes), {}).written);
  ASSERT_TRUE(writeReportSpreadsheet(link, ReportSource::Live, pointers(shapes), {}).written);
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  const std::vector<Sheet> sheets = readBack(real, form());
  ASSERT_TRUE(exportData(sheets, form()));
  EXPECT_EQ(exportData(sheets, form())->rows.size(), 1 + 2 * rowsOf(ReportSource::Live, shapes).size());
  EXPECT_EQ(exportData(sheets, form())->rows.front().back(), QStringLiteral("Arc-length"));
}

INSTANTIATE_TEST_SUITE_P(AllForms, SpreadsheetExportTest, ::testing::Values(Form::Xls, Form::Xlsx, Form::Text),
                         [](const auto& param) {
                           return param.param == Form::Xls ? "Xls" : (param.param == Form::Xlsx ? "Xlsx" : "Text");
                         });

}  // namespace
}  // namespace lumivex
