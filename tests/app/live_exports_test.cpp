// The live list's Word (1008) and DXF (1326) exports through the real main window, each file read back
// by an independent reader (python-docx, ezdxf).
#include "tests/app/live_window_fixture.h"
#include "tests/export/export_test_support.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cmath>

namespace lumivex {
namespace {

using test::LiveWindowFixture;

class LiveExportsTest : public LiveWindowFixture {
 protected:
  // A live line from (100,100) to (200,100) and a radius circle, at magnification 20.
  void drawShapes() {
    window_->controls().magnificationEdit()->setText(QStringLiteral("20"));
    chooseTool(1179);
    for (const QPoint& p : {QPoint(100, 100), QPoint(200, 100), QPoint(150, 70)}) click(p);
    chooseTool(1186);
    for (const QPoint& p : {QPoint(300, 300), QPoint(340, 330), QPoint(400, 260)}) click(p);
    if (view().canvas().inCycle()) click({500, 420});
    ASSERT_EQ(view().shapes().count(), 2);
  }
  void answerSave(const QString& path) { prompts_->push(std::optional<FileAnswer>(FileAnswer{path, QString()})); }

  QTemporaryDir out_;
};

// The number after a label's prefix ("L:2.963mm" gives 2.963).
double labelValue(const QString& label) {
  const qsizetype colon = label.indexOf(u':');
  QString digits;
  for (qsizetype i = colon + 1; i < label.size() && (label[i].isDigit() || label[i] == u'.'); ++i) digits += label[i];
  return digits.toDouble();
}

TEST_F(LiveExportsTest, WordReportHoldsTheLiveLabelsAndTheLivePicture) {
  drawShapes();
  const QString path = out_.filePath(QStringLiteral("live.docx"));
  answerSave(path);
  command(1008);
  ASSERT_TRUE(QFileInfo::exists(path)) << "messages: " << prompts_->messageTexts().size();
  const QJsonObject doc = test::runPythonJson(QStringLiteral(DOCX_PROBE), {path});
  for (const QJsonValue& part : doc.value(QStringLiteral("lint")).toObject()) EXPECT_EQ(part.toInt(), 0);
  QString text;
  for (const QJsonValue& p : doc.value(QStringLiteral("paragraphs")).toArray())
    text += p.toObject().value(QStringLiteral("text")).toString() + u'\n';
  // Every live label is in the report, and the live frame is its picture.
  for (const MeasureShape& shape : view().shapes().shapes()) {
    for (const QString& label : shape.labels) {
      if (!label.isEmpty()) {
        EXPECT_TRUE(text.contains(label)) << label.toStdString() << " in\n" << text.toStdString();
      }
    }
  }
  EXPECT_TRUE(text.contains(QStringLiteral("L:2.963mm"))) << text.toStdString();
  const QJsonArray pictures = doc.value(QStringLiteral("pictures")).toArray();
  ASSERT_EQ(pictures.size(), 1);
  EXPECT_EQ(pictures[0].toObject().value(QStringLiteral("px_width")).toInt(), 640);
  EXPECT_EQ(pictures[0].toObject().value(QStringLiteral("px_height")).toInt(), 480);
}

// At every capture size the drawing's LINE is as long as the label says, and the CIRCLE's radius too.
TEST_F(LiveExportsTest, DxfLengthsEqualTheLiveLabels) {
  for (const QSize size : {QSize(640, 480), QSize(1600, 1200), QSize(320, 240)}) {
    SCOPED_TRACE(size.width());
    command(409);
    captureState().width = size.width();
    captureState().height = size.height();
    drawShapes();
    const MeasureShape& line = view().shapes().at(0);
    const MeasureShape& circle = view().shapes().at(1);
    const QString path = out_.filePath(QStringLiteral("live-%1.dxf").arg(size.width()));
    answerSave(path);
    command(1326);
    ASSERT_TRUE(QFileInfo::exists(path));
    const QJsonObject dxf = test::runPythonJson(QStringLiteral(DXF_PROBE), {path});
    EXPECT_EQ(dxf.value(QStringLiteral("errors")).toInt(), 0);
    const QJsonArray entities = dxf.value(QStringLiteral("entities")).toArray();
    int lines = 0, circles = 0;
    for (const QJsonValue& value : entities) {
      const QJsonObject e = value.toObject();
      if (e.value(QStringLiteral("type")).toString() == u"LINE") {
        const QJsonArray a = e.value(QStringLiteral("start")).toArray(), b = e.value(QStringLiteral("end")).toArray();
        const double length = std::hypot(a[0].toDouble() - b[0].toDouble(), a[1].toDouble() - b[1].toDouble());
        EXPECT_NEAR(length, labelValue(line.labels.value(0)), 0.0006) << line.labels.value(0).toStdString();
        ++lines;
      } else if (e.value(QStringLiteral("type")).toString() == u"CIRCLE") {
        // The circle's labels: area, radius, girth.
        EXPECT_NEAR(e.value(QStringLiteral("radius")).toDouble(), labelValue(circle.labels.value(1)), 0.0006)
            << circle.labels.join(u' ').toStdString();
        ++circles;
      }
    }
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(circles, 1);
  }
}

}  // namespace
}  // namespace lumivex
