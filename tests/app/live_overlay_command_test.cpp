// lumivex-image live-overlay: the live measuring path on a picture from the command line, and its
// burn-in at the picture's capture factor.
#include "capture/demo_scene.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace lumivex {
namespace {

struct ToolRun {
  int exitCode = -1;
  QStringList lines;
  QString errors;
};

ToolRun liveOverlay(const QStringList& args) {
  QProcess tool;
  tool.start(qEnvironmentVariable("LUMIVEX_BINARY_DIR") + QStringLiteral("/tools/lumivex_image/lumivex-image"),
             QStringList{QStringLiteral("live-overlay")} + args);
  ToolRun run;
  if (!tool.waitForFinished(120000)) return run;
  run.exitCode = tool.exitCode();
  run.lines = QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
  run.errors = QString::fromUtf8(tool.readAllStandardError());
  return run;
}

bool isRed(QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }

// A line and an automatic circle on the specimen at two capture sizes: the same video coordinates, the
// line burnt in at the capture factor, the circle snapped on disc A (centre 160,208, radius 48 video px).
TEST(LiveOverlayCommandTest, MeasuresAndBurnsInAtTheCaptureFactor) {
  QTemporaryDir dir;
  struct Case {
    QSize size;
    double k;
    QString lineLabel;
  };
  for (const Case& c : {Case{{640, 480}, 1.0, "L:2.963mm"}, Case{{1600, 1200}, 2.5, ""}}) {
    SCOPED_TRACE(c.size.width());
    const QString picture = dir.filePath(QStringLiteral("specimen-%1.bmp").arg(c.size.width()));
    const QString out = dir.filePath(QStringLiteral("burnt-%1.bmp").arg(c.size.width()));
    ASSERT_TRUE(DemoScene::specimen(c.size).save(picture));
    const ToolRun run = liveOverlay({picture, "--out", out, "--magnification", "20", "--cross", "--scale", "1",
                                     "100,100", "200,100", "150,70", "21", "112,208", "160,160", "208,208", "500,420"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_EQ(run.lines.size(), 2) << run.lines.join(u'\n').toStdString();
    const QStringList line = run.lines[0].split(u'\t'), circle = run.lines[1].split(u'\t');
    EXPECT_EQ(line[0], QStringLiteral("1"));
    EXPECT_TRUE(line[2].startsWith(QStringLiteral("100,100 200,100"))) << line[2].toStdString();
    if (!c.lineLabel.isEmpty()) {
      EXPECT_EQ(line[1], c.lineLabel);
    }
    EXPECT_EQ(circle[0], QStringLiteral("21"));
    const QStringList centre = circle[2].split(u' ').value(0).split(u',');
    EXPECT_NEAR(centre.value(0).toInt(), 160, 2) << circle[2].toStdString();
    EXPECT_NEAR(centre.value(1).toInt(), 208, 2) << circle[2].toStdString();

    const QImage burnt(out);
    ASSERT_EQ(burnt.size(), c.size);
    const auto at = [&c](double x, double y) { return QPointF(x * c.k, y * c.k).toPoint(); };
    EXPECT_TRUE(isRed(burnt.pixelColor(at(150, 100))));  // the line
    EXPECT_FALSE(isRed(burnt.pixelColor(at(150, 100) + QPoint(0, 4))));
    // The cross line through the middle, the scale's red axis one pixel right of it.
    EXPECT_EQ(burnt.pixelColor(c.size.width() / 2, 3), QColor(Qt::white));
    EXPECT_EQ(burnt.pixelColor(c.size.width() / 2 + 1, 3), QColor(255, 0, 0));
  }
}

TEST(LiveOverlayCommandTest, RefusesWhatTheLiveViewRefuses) {
  QTemporaryDir dir;
  const QString picture = dir.filePath(QStringLiteral("specimen.bmp"));
  ASSERT_TRUE(DemoScene::specimen(QSize(640, 480)).save(picture));
  struct Case {
    QStringList args;
    int exitCode;
    int shapes;
    const char* error;
  };
  const std::vector<Case> cases = {
      {{picture, "--magnification", "20", "18", "1,1"}, 2, 0, "no live measuring tool"},
      {{picture, "1", "1,1"}, 2, 0, "needs --magnification"},
      {{picture, "--scale"}, 2, 0, "need --magnification"},
      {{picture, "--magnification", "20", "1", "0,0", "10,10", "20,10", "15,5"}, 0, 1, "outside the live area"},
      {{picture, "--magnification", "20", "1", "10,10", "641,10", "20,10", "15,5"}, 0, 1, "outside the live area"},
      {{picture, "--magnification", "20", "14", "10,10", "20,20", "r:30,30"}, 0, 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(u' ').toStdString());
    const ToolRun run = liveOverlay(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.lines.size(), c.shapes);
    if (*c.error) {
      EXPECT_TRUE(run.errors.contains(QLatin1String(c.error))) << run.errors.toStdString();
    }
  }
}

}  // namespace
}  // namespace lumivex
