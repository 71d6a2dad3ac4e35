#include "export/word_report.h"
#include "core/atomic_file.h"
#include "core/scripted_prompter.h"
#include "export/word_export.h"
#include "measure/shape_builder.h"
#include "measure/units.h"
#include "tests/export/export_test_support.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

QStringList strings(const QJsonValue& array, const char* field = nullptr) {
  QStringList out;
  for (const QJsonValue& v : array.toArray()) {
    out << (field ? v.toObject()[QLatin1String(field)].toString() : v.toString());
  }
  return out;
}

class WordReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto scripted = std::make_unique<ScriptedPrompter>();
    prompter_ = scripted.get();
    previous_ = installPrompter(std::move(scripted));
  }
  void TearDown() override {
    installPrompter(std::move(previous_));
    AtomicFile::setFaultHook({});
  }

  QString path(const QString& name) const { return dir_.filePath(name); }
  void answerSave(const QString& file, const QString& filter = {}) {
    prompter_->push(std::optional<FileAnswer>(FileAnswer{file, filter}));
  }

  WordExportRequest request(const std::vector<const MeasureShape*>& shapes, QSize pictureSize = {64, 48}) {
    WordExportRequest r;
    r.source = ReportSource::Still;
    r.shapes = shapes;
    r.filters = wordReportFilters();
    r.folder = dir_.path();
    r.picturePath = path(QStringLiteral("10000.bmp"));
    r.writePicture = [pictureSize](const QString& target) {
      QImage image(pictureSize, QImage::Format_RGB888);
      image.fill(Qt::darkCyan);
      return image.save(target, "BMP");
    };
    return r;
  }

  QJsonObject docx(const QString& file) { return test::runPythonJson(QStringLiteral(DOCX_PROBE), {file}); }
  QJsonObject rtf(const QString& file) { return test::runPythonJson(QStringLiteral(RTF_PROBE), {file}); }

  ScriptedPrompter* prompter_ = nullptr;
  std::unique_ptr<Prompter> previous_;
  QTemporaryDir dir_;
};

TEST_F(WordReportTest, ReportHoldsHeaderBlocksAndPictureInBothForms) {
  const UnitConversion u{kMmFactor, 10, 3, QStringLiteral("mm")};
  const MeasureShape line = *makeLine({0, 0}, {100, 0}, {0, 0}, u);
  const MeasureShape circle = *makeRadiusCircle({50, 50}, {50, 150}, {0, 0}, u);
  const MeasureShape arc = *makeArc({0, 50}, {50, 0}, {100, 50}, {0, 0}, u);
  const MeasureShape text = makeText({1, 1}, QStringLiteral("ignored"), 0, LogFont::defaultFont());
  const QStringList expected = {QStringLiteral("File Name:"),
                                QStringLiteral("Time of establishment:"),
                                QStringLiteral("Line"),
                                QStringLiteral("Length:") + line.labels[0],
                                QStringLiteral("Radius Circle"),
                                QStringLiteral("Radius1:") + circle.labels[1],
                                QStringLiteral("Area:") + circle.labels[0],
                                QStringLiteral("Girth:") + circle.labels[2],
                                QStringLiteral("Arc"),
                                QStringLiteral("Radius:") + arc.labels[0],
                                QStringLiteral("Angle:") + arc.labels[1],
                                QStringLiteral("Arc:") + arc.labels[2]};

  answerSave(path(QStringLiteral("report")), QStringLiteral("Docx files (*.docx)"));
  ASSERT_EQ(exportWordReport(request({&line, &circle, &arc, &text}, {640, 480})), ExportOutcome::Written);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  ASSERT_TRUE(QFile::exists(path(QStringLiteral("report.docx")))) << "the chosen filter gives the extension";
  const QJsonObject d = docx(path(QStringLiteral("report.docx")));
  for (const QString& part : d[QStringLiteral("lint")].toObject().keys()) {
    EXPECT_EQ(d[QStringLiteral("lint")].toObject()[part].toInt(), 0) << part.toStdString();
  }
  QStringList paragraphs = strings(d[QStringLiteral("paragraphs")], "text");
  ASSERT_GE(paragraphs.size(), expected.size());
  EXPECT_EQ(paragraphs.mid(0, expected.size()), expected);
  const QJsonArray runs = d[QStringLiteral("paragraphs")].toArray()[0].toObject()[QStringLiteral("runs")].toArray();
  ASSERT_EQ(runs.size(), 1) << "no stray text before the first line";
  EXPECT_EQ(runs[0].toObject()[QStringLiteral("font")].toString(), QStringLiteral("Arial"));
  EXPECT_EQ(runs[0].toObject()[QStringLiteral("size")].toDouble(), 12.0);
  EXPECT_TRUE(runs[0].toObject()[QStringLiteral("underline")].toBool());
  EXPECT_FALSE(runs[0].toObject()[QStringLiteral("bold")].toBool());
  const QJsonArray pictures = d[QStringLiteral("pictures")].toArray();
  ASSERT_EQ(pictures.size(), 1);
  EXPECT_EQ(pictures[0].toObject()[QStringLiteral("px_width")].toInt(), 640);
  EXPECT_EQ(pictures[0].toObject()[QStringLiteral("px_height")].toInt(), 480);
  EXPECT_EQ(pictures[0].toObject()[QStringLiteral("width")].toInteger(), 640LL * 9525) << "fits the A4 text width";
  EXPECT_EQ(strings(d[QStringLiteral("docPrIds")]), QStringList{QStringLiteral("1")});

  answerSave(path(QStringLiteral("report.doc")));
  ASSERT_EQ(exportWordReport(request({&line, &circle, &arc, &text}, {1600, 1200})), ExportOutcome::Written);
  const QJsonObject r = rtf(path(QStringLiteral("report.doc")));
  EXPECT_TRUE(r[QStringLiteral("balanced")].toBool());
  EXPECT_TRUE(r[QStringLiteral("ascii")].toBool());
  EXPECT_EQ(r[QStringLiteral("unrtf")].toInt(), 0);
  paragraphs = strings(r[QStringLiteral("paragraphs")]);
  EXPECT_EQ(paragraphs.mid(0, expected.size()), expected);
  const QJsonArray rtfPictures = r[QStringLiteral("pictures")].toArray();
  ASSERT_EQ(rtfPictures.size(), 1);
  EXPECT_TRUE(rtfPictures[0].toObject()[QStringLiteral("png")].toBool());
  EXPECT_EQ(rtfPictures[0].toObject()[QStringLiteral("width")].toInt(), 1600);
  EXPECT_EQ(rtfPictures[0].toObject()[QStringLiteral("height")].toInt(), 1200);
}

TEST_F(WordReportTest, FileFormatFollowsTheNameNotAFixedFormat) {
  for (const auto& [name, magic] : {std::pair{QStringLiteral("a.docx"), QByteArray("PK\x03\x04")},
                                    std::pair{QStringLiteral("b.DOCX"), QByteArray("PK\x03\x04")},
                                    std::pair{QStringLiteral("c.doc"), QByteArray("{\\rtf1")},
                                    std::pair{QStringLiteral("d.rtf"), QByteArray("{\\rtf1")}}) {
    answerSave(path(name));
    ASSERT_EQ(exportWordReport(request({})), ExportOutcome::Written) << name.toStdString();
    EXPECT_TRUE(test::readBytes(path(name)).startsWith(magic)) << name.toStdString();
  }
  // An empty list gives the two header lines and the picture.
  const QJsonObject d = docx(path(QStringLiteral("a.docx")));
  const QStringList paragraphs = strings(d[QStringLiteral("paragraphs")], "text");
  EXPECT_EQ(paragraphs.mid(0, 2),
            (QStringList{QStringLiteral("File Name:"), QStringLiteral("Time of establishment:")}));
  EXPECT_EQ(paragraphs.size(), 3);
  EXPECT_EQ(d[QStringLiteral("pictures")].toArray().size(), 1);
}

TEST_F(WordReportTest, HostileTextsSurviveBothForms) {
  const QString hostile =
      QStringLiteral("&<>\"'\\{}° Привет 测量 ") + QString::fromUtf8("\xF0\x9F\x94\xAC") + QStringLiteral(" end");
  QString withControls = hostile;
  withControls.insert(3, QChar(0x01));
  withControls.insert(5, QChar(0x1b));
  withControls.append(QChar(0xfffe));
  withControls.append(QChar(0xd800));  // a lone surrogate
  for (const QString& name : {QStringLiteral("h.docx"), QStringLiteral("h.doc")}) {
    WordReport report;
    ASSERT_TRUE(report.StartWordProcessor());
    report.ApplyFont(QStringLiteral("Arial"), 12.0, 0, 0);
    report.ApplyFontStyle(false, false, 1);
    report.WriteText(withControls);
    report.EndParagraph();
    report.WriteText(QStringLiteral("tab\there"));
    ASSERT_TRUE(report.SaveDocument(path(name)).ok());
    const QStringList paragraphs = name.endsWith(QStringLiteral("x"))
                                       ? strings(docx(path(name))[QStringLiteral("paragraphs")], "text")
                                       : strings(rtf(path(name))[QStringLiteral("paragraphs")]);
    ASSERT_GE(paragraphs.size(), 2) << name.toStdString();
    EXPECT_EQ(paragraphs[0], hostile) << name.toStdString();
    EXPECT_EQ(paragraphs[1], QStringLiteral("tab\there")) << name.toStdString();
  }
  const QJsonObject lint = docx(path(QStringLiteral("h.docx")))[QStringLiteral("lint")].toObject();
  for (const QString& part : lint.keys()) EXPECT_EQ(lint[part].toInt(), 0) << part.toStdString();
  EXPECT_TRUE(
      rtf(path(QStringLiteral("h.doc")))[QStringLiteral("unrtf_html")].toString().contains(QStringLiteral("&#1055;")))
      << "unrtf reads the Cyrillic text";
}

TEST_F(WordReportTest, FailuresShowSaveFailWriteNothingAndRestoreTheCursor) {
  ASSERT_TRUE(test::writeBytes(path(QStringLiteral("old.docx")), "old report"));

  // The picture cannot be made: nothing is written.
  WordExportRequest noPicture = request({});
  noPicture.writePicture = [](const QString&) { return false; };
  answerSave(path(QStringLiteral("old.docx")));
  EXPECT_EQ(exportWordReport(noPicture), ExportOutcome::Failed);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(test::readBytes(path(QStringLiteral("old.docx"))), QByteArray("old report"));

  // The write fails at the last step: the old report stays whole.
  AtomicFile::setFaultHook([](AtomicFile::Step step) { return step == AtomicFile::Step::Rename ? ENOSPC : 0; });
  answerSave(path(QStringLiteral("old.docx")));
  EXPECT_EQ(exportWordReport(request({})), ExportOutcome::Failed);
  AtomicFile::setFaultHook({});
  EXPECT_EQ(test::readBytes(path(QStringLiteral("old.docx"))), QByteArray("old report"));

  // A folder that does not exist.
  answerSave(path(QStringLiteral("missing/r.doc")));
  EXPECT_EQ(exportWordReport(request({})), ExportOutcome::Failed);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  const std::vector<QString> texts = prompter_->messageTexts();
  ASSERT_EQ(texts.size(), 3u);
  for (const QString& t : texts) EXPECT_TRUE(t.startsWith(QStringLiteral("Save fail"))) << t.toStdString();
  EXPECT_TRUE(texts[1].contains(QStringLiteral("No space left on device"))) << texts[1].toStdString();

  // Cancelling the dialog does nothing, and leaves no busy cursor.
  EXPECT_EQ(exportWordReport(request({})), ExportOutcome::Cancelled);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files),
            (QStringList{QStringLiteral("10000.bmp"), QStringLiteral("old.docx")}));
}

TEST_F(WordReportTest, OperationsWithoutADocumentSayWhy) {
  WordReport report;
  EXPECT_FALSE(report.ApplyFont(QStringLiteral("Arial"), 12, 0, 0));
  EXPECT_FALSE(report.ApplyFontStyle(false, false, 1));
  EXPECT_FALSE(report.WriteText(QStringLiteral("x")));
  EXPECT_FALSE(report.InsertPicture(path(QStringLiteral("none.bmp"))));
  EXPECT_FALSE(report.SaveDocument(path(QStringLiteral("x.doc"))).ok());
  EXPECT_FALSE(QFile::exists(path(QStringLiteral("x.doc"))));
  EXPECT_EQ(prompter_->messageTexts(), (std::vector<QString>{QStringLiteral("Select为空，字体设置失败!"),
                                                             QStringLiteral("Select为空，字体设置失败!")}));
  ASSERT_TRUE(report.StartWordProcessor());
  EXPECT_FALSE(report.InsertPicture(path(QStringLiteral("none.bmp")))) << "not a picture";
}

}  // namespace
}  // namespace lumivex
