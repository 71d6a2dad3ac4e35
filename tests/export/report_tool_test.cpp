// `lumivex-image export` writing the Word report and the DXF drawing: the files are read back by
// python-docx, xmllint, the RTF reader and ezdxf, and compared with numbers computed here from the
// formulas (0.02963 mm a pixel at magnification 10, 3 decimals) and with the report table of the same shapes.
#include "export/spreadsheet/text_sheet_file.h"
#include "tests/export/export_test_support.h"
#include "tests/support/temp_home.h"
#include "tests/support/write_failures.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace lumivex {
namespace {

constexpr double kF = 0.02963;
constexpr double kLabelStep = 0.0005 * 1.001;  // a label is rounded to 3 decimals

QString tool() { return qEnvironmentVariable("LUMIVEX_BINARY_DIR") + "/tools/lumivex_image/lumivex-image"; }

struct ToolRun {
  int status = -1;
  QString errors;
};

ToolRun runTool(const QStringList& args) {
  QProcess process;
  process.start(tool(), args);
  if (!process.waitForFinished(120000)) return {};
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardError())};
}

double numberIn(const QString& label) {
  const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("-?\\d+\\.\\d+")).match(label);
  return m.hasMatch() ? m.captured().toDouble() : std::nan("");
}

QStringList texts(const QJsonValue& array, const char* field = nullptr) {
  QStringList out;
  for (const QJsonValue& v : array.toArray())
    out << (field ? v.toObject()[QLatin1String(field)].toString() : v.toString());
  return out;
}

double length(const QJsonObject& line) {
  const QJsonArray a = line[QStringLiteral("start")].toArray();
  const QJsonArray b = line[QStringLiteral("end")].toArray();
  return std::hypot(b[0].toDouble() - a[0].toDouble(), b[1].toDouble() - a[1].toDouble());
}

class ReportToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QImage picture(320, 240, QImage::Format_RGB888);
    picture.fill(Qt::darkCyan);
    ASSERT_TRUE(picture.save(path("pic.bmp"), "BMP"));
    ASSERT_TRUE(picture.save(path("pic.jpg"), "JPEG"));
  }
  QString path(const QString& name) const { return dir_.filePath(name); }
  QJsonObject probe(const char* script, const QString& file) {
    return test::runPythonJson(QString::fromUtf8(script), {file});
  }

  QTemporaryDir dir_;
};

// The shapes of the report test and what their labels must say.
const QStringList kShapes{"line", "10",  "20", "110", "20", "--", "radius-circle", "50", "50", "50",        "150",
                          "--",   "arc", "0",  "50",  "50", "0",  "100",           "50", "--", "rectangle", "0",
                          "0",    "40",  "30"};

TEST_F(ReportToolTest, WordReportHoldsTheTableBlocksAndThePictureInBothForms) {
  ASSERT_EQ(runTool(QStringList{"export", path("table.csv")} + kShapes).status, 0);
  const QList<QStringList> table = TextSheetFile::decode(test::readBytes(path("table.csv")));
  ASSERT_EQ(table.size(), 5);

  // Each row of the table becomes its block: the name, then "caption:label" for every filled cell (the
  // arc's radius is captioned "Radius").
  QStringList expected{"File Name:", "Time of establishment:"};
  for (qsizetype r = 1; r < table.size(); ++r) {
    expected << table[r][0];
    for (qsizetype c = 1; c < table[r].size(); ++c) {
      if (table[r][c].isEmpty()) continue;
      const QString caption = table[r][0] == u"Arc" && c == 2 ? QStringLiteral("Radius") : table[0][c];
      expected << caption + u':' + table[r][c];
    }
  }
  // The labels themselves, from the formulas.
  const std::vector<std::pair<QString, double>> numbers{{"Length:", 100 * kF},
                                                        {"Radius1:", 100 * kF},
                                                        {"Area:", M_PI * 100 * 100 * kF * kF},
                                                        {"Girth:", 2 * M_PI * 100 * kF},
                                                        {"Radius:", 50 * kF},
                                                        {"Arc:", M_PI * 50 * kF},
                                                        {"Width:", 40 * kF},
                                                        {"Height:", 30 * kF}};
  for (const auto& [caption, value] : numbers) {
    const auto line =
        std::find_if(expected.begin(), expected.end(), [&](const QString& t) { return t.startsWith(caption); });
    ASSERT_NE(line, expected.end()) << caption.toStdString();
    EXPECT_NEAR(numberIn(*line), value, 2e-3) << line->toStdString();  // pi is 3.1415926 in the labels
  }

  ASSERT_EQ(runTool(QStringList{"export", path("r.docx"), "--picture", path("pic.jpg")} + kShapes).status, 0);
  const QJsonObject d = probe(DOCX_PROBE, path("r.docx"));
  const QJsonObject lint = d[QStringLiteral("lint")].toObject();
  EXPECT_GE(lint.size(), 4);
  for (const QString& part : lint.keys()) EXPECT_EQ(lint[part].toInt(), 0) << part.toStdString();
  EXPECT_EQ(texts(d[QStringLiteral("paragraphs")], "text").mid(0, expected.size()), expected);
  const QJsonArray pictures = d[QStringLiteral("pictures")].toArray();
  ASSERT_EQ(pictures.size(), 1);
  EXPECT_EQ(pictures[0].toObject()[QStringLiteral("px_width")].toInt(), 320);
  EXPECT_EQ(pictures[0].toObject()[QStringLiteral("px_height")].toInt(), 240);

  ASSERT_EQ(runTool(QStringList{"export", path("r.doc"), "--picture", path("pic.bmp")} + kShapes).status, 0);
  const QJsonObject r = probe(RTF_PROBE, path("r.doc"));
  EXPECT_TRUE(r[QStringLiteral("balanced")].toBool());
  EXPECT_EQ(r[QStringLiteral("unrtf")].toInt(), 0);
  EXPECT_EQ(texts(r[QStringLiteral("paragraphs")]).mid(0, expected.size()), expected);
  const QJsonArray rtfPictures = r[QStringLiteral("pictures")].toArray();
  ASSERT_EQ(rtfPictures.size(), 1);
  EXPECT_TRUE(rtfPictures[0].toObject()[QStringLiteral("png")].toBool());
  EXPECT_EQ(rtfPictures[0].toObject()[QStringLiteral("width")].toInt(), 320);
}

TEST_F(ReportToolTest, DrawingLinesAreAsLongAsTheirLabels) {
  const QStringList shapes{
      "line", "10",  "20", "110", "20",  "--", "line",          "0",  "0",  "30", "40",  "--", "polygon",   "0",
      "0",    "100", "0",  "100", "100", "--", "radius-circle", "50", "50", "50", "150", "--", "rectangle", "0",
      "0",    "40",  "30"};
  ASSERT_EQ(runTool(QStringList{"export", path("table.csv")} + shapes).status, 0);
  const QList<QStringList> table = TextSheetFile::decode(test::readBytes(path("table.csv")));
  ASSERT_EQ(runTool(QStringList{"export", path("still.dxf"), "--picture", path("pic.bmp")} + shapes).status, 0);
  QJsonObject p = probe(DXF_PROBE, path("still.dxf"));
  EXPECT_EQ(p[QStringLiteral("version")].toString(), QStringLiteral("AC1009"));
  EXPECT_EQ(p[QStringLiteral("errors")].toInt(), 0);
  EXPECT_EQ(p[QStringLiteral("fixes")].toInt(), 0);
  EXPECT_EQ(p[QStringLiteral("insunits")].toInt(), 4);
  const QJsonArray entities = p[QStringLiteral("entities")].toArray();
  ASSERT_EQ(entities.size(), 5);
  const QStringList types = texts(entities, "type");
  EXPECT_EQ(types, (QStringList{"LINE", "LINE", "POLYLINE", "CIRCLE", "POLYLINE"}));
  for (const QJsonValue& e : entities) EXPECT_EQ(e.toObject()[QStringLiteral("layer")].toString(), "Layer2");
  // Each LINE as long as its row's "L:" label and as the formula; y turned up from the picture's bottom.
  for (int i : {0, 1}) {
    const QJsonObject line = entities[i].toObject();
    EXPECT_NEAR(length(line), numberIn(table[i + 1][1]), kLabelStep) << table[i + 1][1].toStdString();
  }
  EXPECT_NEAR(length(entities[0].toObject()), 100 * kF, 1e-9);
  EXPECT_NEAR(length(entities[1].toObject()), 50 * kF, 1e-9);
  EXPECT_NEAR(entities[0].toObject()[QStringLiteral("start")].toArray()[1].toDouble(), (240 - 20) * kF, 1e-9);
  EXPECT_NEAR(entities[3].toObject()[QStringLiteral("radius")].toDouble(), numberIn(table[4][2]), kLabelStep);
  const QJsonObject polygon = entities[2].toObject();
  EXPECT_TRUE(polygon[QStringLiteral("closed")].toBool());
  EXPECT_EQ(polygon[QStringLiteral("vertices")].toArray().size(), 3);
  EXPECT_EQ(entities[4].toObject()[QStringLiteral("vertices")].toArray().size(), 4);

  // The live view: tool codes for kinds, Layer1 only, the video's bottom row (480) at y = 0, other units.
  ASSERT_EQ(runTool({"export", path("live.dxf"), "--live", "--unit", "inch", "--unit-factor", "0.0011666", "line", "0",
                     "0", "30", "40"})
                .status,
            0);
  p = probe(DXF_PROBE, path("live.dxf"));
  EXPECT_EQ(p[QStringLiteral("errors")].toInt(), 0);
  EXPECT_EQ(p[QStringLiteral("insunits")].toInt(), 1);
  EXPECT_FALSE(p[QStringLiteral("layers")].toArray().contains(QStringLiteral("Layer2")));
  const QJsonObject live = p[QStringLiteral("entities")].toArray()[0].toObject();
  EXPECT_NEAR(length(live), 50 * 0.0011666, 1e-9);
  EXPECT_NEAR(live[QStringLiteral("start")].toArray()[1].toDouble(), 480 * 0.0011666, 1e-9);
}

TEST_F(ReportToolTest, BadPicturesAreRefusedBeforeAnythingIsWritten) {
  ASSERT_TRUE(test::writeBytes(path("garbage.jpg"), "not a picture at all"));
  const QByteArray jpeg = test::readBytes(path("pic.jpg"));
  ASSERT_TRUE(test::writeBytes(path("cut.jpg"), jpeg.left(jpeg.size() / 2)));
  ASSERT_TRUE(test::writeBytes(path("cut.bmp"), test::readBytes(path("pic.bmp")).left(1000)));
  struct Case {
    const char* output;
    QStringList picture;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {"a.docx", {}, 2, "needs --picture"},
      {"a.doc", {"--picture", path("none.bmp")}, 1, "none.bmp: no such file"},
      {"a.docx", {"--picture", path("garbage.jpg")}, 1, "garbage.jpg is not a picture"},
      {"a.doc", {"--picture", path("cut.jpg")}, 1, "cut.jpg is not a picture"},
      {"a.docx", {"--picture", path("cut.bmp")}, 1, "cut.bmp is not a picture"},
      {"a.docx", {"--picture", dir_.path()}, 1, "is not a file"},
      {"a.dxf", {"--picture", path("garbage.jpg")}, 1, "garbage.jpg is not a picture"},
      {"a.dxf", {"--height", "-3"}, 2, "bad value for --height"},
      {"a.xls", {"--picture", path("pic.bmp")}, 2, "--picture does not apply"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.output) + " " + c.picture.join(' ').toStdString());
    const ToolRun run =
        runTool(QStringList{"export", path(c.output)} + c.picture + QStringList{"line", "0", "0", "9", "9"});
    EXPECT_EQ(run.status, c.status);
    EXPECT_TRUE(run.errors.contains(QLatin1String(c.says))) << run.errors.toStdString();
    EXPECT_FALSE(QFile::exists(path(c.output)));
  }
}

TEST_F(ReportToolTest, UnwritableOutputKeepsTheOldFileAndSaysWhy) {
  const QString picture = path("pic.bmp");
  for (const test::WriteFailure failure : test::allWriteFailures()) {
    for (const char* name : {"r.docx", "r.doc", "r.dxf"}) {
      SCOPED_TRACE(std::string(test::nameOf(failure)) + " " + name);
      test::WriteFailureStage stage;
      // Without a disk of its own the stage injects the fault into this process only.
      if (!stage.onRealDisk() && failure == test::WriteFailure::DiskFull) continue;
      stage.arm(failure, stage.path(name), "old file");
      const ToolRun run = runTool({"export", stage.path(name), "--picture", picture, "line", "0", "0", "9", "9"});
      EXPECT_EQ(run.status, 1);
      EXPECT_TRUE(run.errors.startsWith(QStringLiteral("Save fail")));
      bool named = false;
      for (const QString& reason : stage.expectedReasons()) named = named || run.errors.contains(reason);
      EXPECT_TRUE(named) << run.errors.toStdString() << " / " << stage.expectedReasons().join('|').toStdString();
      EXPECT_TRUE(stage.targetUnchanged());
      EXPECT_TRUE(stage.leftoverTemporaries().isEmpty());
    }
  }
}

}  // namespace
}  // namespace lumivex
