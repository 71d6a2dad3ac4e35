#include "export/spreadsheet/text_sheet_file.h"
#include "tests/export/independent_reader.h"
#include "tests/support/temp_home.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace lumivex {
namespace {

QString tool() { return qEnvironmentVariable("LUMIVEX_BINARY_DIR") + "/tools/lumivex_image/lumivex-image"; }

struct ToolRun {
  int status = -1;
  QString errors;
};

ToolRun runTool(const QStringList& args, const QString& locales = {}) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (!locales.isEmpty()) {
    env.insert("LOCPATH", locales);
    env.insert("LC_ALL", "de_DE.UTF-8");
  }
  process.setProcessEnvironment(env);
  process.start(tool(), args);
  if (!process.waitForFinished(120000)) return {};
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardError())};
}

// The labels the program must write, computed here from the formulas with the default calibration
// (0.02963 mm a pixel at magnification 10, 3 decimals).
QString mm(double value) { return QString::asprintf("%.3fmm", value); }

TEST(ExportTool, WritesEveryFormAndAppendsUnderAGermanLocale) {
  const QString locales = test::germanLocaleFolder();
  QTemporaryDir dir;
  const double f = 0.02963;
  const QStringList line{"Line", "L:" + mm(100 * f), "", "", "", "", "", "", "", ""};
  const QStringList circle{"Radius Circle",
                           "",
                           "R:" + mm(100 * f),
                           "",
                           "",
                           "",
                           "A:" + mm(100 * 100 * f * f * 314.15926 / 100) + "2",
                           "",
                           "G:" + mm(100 * f * 62.831852 / 10),
                           ""};
  const QStringList header{
      "measuring objective", "Length", "Radius1", "Radius2", "Width", "Height", "Area", "Angle", "Girth", "Arc"};
  for (const char* name : {"tool.xls", "tool.xlsx", "tool.csv"}) {
    SCOPED_TRACE(name);
    const QString path = dir.filePath(name);
    const QStringList args{"export", path, "line", "0", "0", "100", "0", "--", "radius-circle", "0", "0", "100", "0"};
    ToolRun run = runTool(args, locales);
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    run = runTool(args + QStringList{"--", "text-is-no-kind", "1", "1"}, locales);
    EXPECT_EQ(run.status, 2);  // refused before anything is written
    run = runTool(args, locales);
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    const QList<QStringList> expected{header, line, circle, line, circle};
    if (QString(name).endsWith(".csv")) {
      EXPECT_EQ(TextSheetFile::decode(test::readBytes(path)), expected);
      continue;
    }
    QString error;
    const auto sheets = test::readIndependently(path, QString(name).endsWith("x"), &error);
    ASSERT_TRUE(sheets) << error.toStdString();
    ASSERT_EQ(sheets->size(), 2u);
    EXPECT_EQ((*sheets)[0].name, "ExportData");
    EXPECT_EQ((*sheets)[1].name, "CSpreadSheetBackup");
    for (int r = 0; r < expected.size(); ++r) EXPECT_EQ((*sheets)[0].rowTexts(r), expected[r]) << r;
    EXPECT_EQ((*sheets)[1].rows.size(), 3);
  }
  // The live source names its arc "Arc Measurement" and its last column "Arc-length".
  const QString live = dir.filePath("live.csv");
  ASSERT_EQ(runTool({"export", live, "--live", "--decimals", "2", "arc", "0", "100", "100", "0", "200", "100"}).status,
            0);
  const QList<QStringList> rows = TextSheetFile::decode(test::readBytes(live));
  ASSERT_EQ(rows.size(), 2);
  EXPECT_EQ(rows[0].back(), "Arc-length");
  EXPECT_EQ(rows[1][0], "Arc Measurement");
  EXPECT_EQ(rows[1][9], "Arc:" + QString::asprintf("%.2fmm", 180 * 100 * f * 62.83 / (10 * 360)));
}

// Labels carry the unit's name: hostile names (quotes, "]", the old separator, tabs, line breaks, other
// scripts, an emoji) survive a first export and the append that reads them back, in every form.
TEST(ExportTool, HostileUnitNamesSurviveTheAppend) {
  QTemporaryDir dir;
  const QString unit = QString::fromUtf8("O'Brien] ,;.? \"q\"\t\u00b0\u0416\u4e2d\u0641\U0001F600\nx");
  const QString label = "L:" + QString::asprintf("%.3f", 100 * 0.02963) + unit;
  for (const char* name : {"hostile.xls", "hostile.xlsx", "hostile.csv"}) {
    SCOPED_TRACE(name);
    const QString path = dir.filePath(name);
    const QStringList args{"export", path, "--unit", unit, "line", "0", "0", "100", "0"};
    ASSERT_EQ(runTool(args).status, 0);
    const ToolRun again = runTool(args);
    ASSERT_EQ(again.status, 0) << again.errors.toStdString();
    QList<QStringList> rows;
    if (QString(name).endsWith(".csv")) {
      rows = TextSheetFile::decode(test::readBytes(path));
    } else {
      QString error;
      const auto sheets = test::readIndependently(path, QString(name).endsWith("x"), &error);
      ASSERT_TRUE(sheets) << error.toStdString();
      for (int r = 0; r < static_cast<int>((*sheets)[0].rows.size()); ++r) rows << (*sheets)[0].rowTexts(r);
    }
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1][1], label);
    EXPECT_EQ(rows[2][1], label);
  }
}

}  // namespace
}  // namespace lumivex
