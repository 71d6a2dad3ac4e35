#include "export/dxf_export.h"
#include "export/cad_drawing.h"
#include "measure/shape_builder.h"
#include "measure/units.h"
#include "tests/export/export_test_support.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace lumivex {
namespace {

using Kind = DxfEntity::Kind;

// The leading number of a label after its prefix ("L:2.963mm" gives 2.963).
double labelValue(const QString& label) {
  const qsizetype colon = label.indexOf(u':');
  QString rest = label.mid(colon + 1);
  qsizetype end = 0;
  while (end < rest.size() && (rest[end].isDigit() || rest[end] == u'.' || rest[end] == u'-')) ++end;
  return rest.left(end).toDouble();
}

double length(const DxfEntity& e, int a = 0, int b = 1) {
  return std::hypot(e.points[b].x() - e.points[a].x(), e.points[b].y() - e.points[a].y());
}

std::vector<const MeasureShape*> pointers(const std::vector<MeasureShape>& shapes) {
  std::vector<const MeasureShape*> out;
  for (const MeasureShape& s : shapes) out.push_back(&s);
  return out;
}

// One shape of every stored kind, built as the canvas builds them.
std::vector<MeasureShape> everyStillKind(const UnitConversion& u) {
  std::vector<MeasureShape> s;
  s.push_back(*makeLine({10, 10}, {110, 10}, {0, 0}, u));
  s.push_back(*makeRadiusCircle({200, 200}, {230, 240}, {0, 0}, u));
  s.push_back(*makeRectangle({10, 20}, {60, 90}, {0, 0}, u));
  s.push_back(makeText({5, 5}, QStringLiteral("note"), 0, LogFont::defaultFont()));
  s.push_back(*makeAngle({100, 100}, {50, 50}, {100, 50}, {0, 0}));
  s.push_back(*makeContinuousLine({{0, 0}, {30, 40}, {60, 40}, {60, 100}}, {{1, 1}, {2, 2}, {3, 3}}, u));
  s.push_back(*makePolygon({{0, 0}, {40, 0}, {40, 30}, {0, 30}}, {5, 5}, u));
  s.push_back(*makeDiameterCircle({101, 50}, {150, 91}, {0, 0}, u));
  s.push_back(*makeThreePointCircle({0, 50}, {50, 0}, {100, 51}, {0, 0}, u));
  s.push_back(*makeFourPointAngle({0, 0}, {10, 0}, {0, 5}, {10, 15}, {0, 0}));
  s.push_back(*makeTwoCircles({QPoint{0, 50}, {50, 0}, {100, 51}}, {1, 1}, {QPoint{300, 50}, {351, 0}, {400, 49}},
                              {2, 2}, {3, 3}, u));
  s.push_back(*makeParallelLine({0, 0}, {33, 44}, {0, 0}, u));
  s.push_back(makeCircleLabel({10, 10}, 1));
  s.push_back(makeSquareLabel({10, 10}, 2));
  s.push_back(*makeAutoLineSpacing({0, 0}, {0, 77}, {0, 0}, u));
  s.push_back(*makeAutoCircle({{100, 0}, {0, 100}, {-100, 0}, {0, -100}, {71, 71}}, {0, 0}, u));
  s.push_back(*makeAutoAngle({0, 0}, {10, 0}, {0, 0}, {0, 10}, {0, 0}));
  s.push_back(*makeDotLine({0, 0}, {100, 50}, {30, 80}, {0, 0}, u));
  s.push_back(*makeAutoLineLength1({3, 4}, {53, 4}, {0, 0}, u));
  s.push_back(*makeAutoLineLength2({{0, 0}, {50, 1}, {100, 0}}, {0, 0}, u));
  s.push_back(*makeArc({0, 50}, {50, 0}, {100, 50}, {0, 0}, u));
  s.push_back(*makeAutoArc({{0, 50}, {15, 15}, {50, 0}, {85, 15}, {100, 50}}, {0, 0}, u));
  return s;
}

struct Expect {
  Kind kind;
  bool closed;
  int vertices;
};

TEST(DxfEntities, EveryStillKindGivesItsEntities) {
  const UnitConversion u{kMmFactor, 10, 3, QStringLiteral("mm")};
  const std::vector<MeasureShape> shapes = everyStillKind(u);
  const std::vector<std::vector<Expect>> expected = {
      {{Kind::Line, false, 2}},                              // Line
      {{Kind::Circle, false, 1}},                            // RadiusCircle
      {{Kind::Polyline, true, 4}},                           // Rectangle
      {},                                                    // Text
      {{Kind::Line, false, 2}, {Kind::Line, false, 2}},      // Angle
      {{Kind::Polyline, false, 4}},                          // ContinuousLine
      {{Kind::Polyline, true, 4}},                           // Polygon
      {{Kind::Circle, false, 1}},                            // DiameterCircle
      {{Kind::Circle, false, 1}},                            // ThreePointCircle
      {{Kind::Line, false, 2}, {Kind::Line, false, 2}},      // FourPointAngle
      {{Kind::Circle, false, 1}, {Kind::Circle, false, 1}},  // TwoCircles
      {{Kind::Line, false, 2}},                              // ParallelLine
      {},                                                    // CircleLabel
      {},                                                    // SquareLabel
      {{Kind::Line, false, 2}},                              // AutoLineSpacing
      {{Kind::Circle, false, 1}},                            // AutoCircle
      {{Kind::Line, false, 2}, {Kind::Line, false, 2}},      // AutoAngle
      {{Kind::Line, false, 2}},                              // DotLine
      {{Kind::Line, false, 2}},                              // AutoLineLength1
      {{Kind::Line, false, 2}},                              // AutoLineLength2
      {},                                                    // Arc
      {},                                                    // AutoArc
  };
  ASSERT_EQ(shapes.size(), expected.size());
  const DxfPlacement placement = DxfPlacement::forStill(QStringLiteral("mm"), 10, 1, 1, 480);
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const auto got = dxfEntities({&shapes[i]}, ReportSource::Still, placement);
    ASSERT_EQ(got.size(), expected[i].size()) << "kind " << static_cast<int>(shapes[i].kind);
    for (std::size_t j = 0; j < got.size(); ++j) {
      EXPECT_EQ(got[j].kind, expected[i][j].kind) << "kind " << static_cast<int>(shapes[i].kind);
      EXPECT_EQ(got[j].closed, expected[i][j].closed) << "kind " << static_cast<int>(shapes[i].kind);
      EXPECT_EQ(static_cast<int>(got[j].points.size()), expected[i][j].vertices)
          << "kind " << static_cast<int>(shapes[i].kind);
    }
  }
}

// Every LINE is as long as its "L:" label and every CIRCLE's radius equals its "R:" label, for stills at a
// zoom (1600 x 1200 picture shown 640 wide) and for the live view at every capture size.
TEST(DxfEntities, LengthsAndRadiiEqualTheirLabels) {
  struct Case {
    const char* what;
    ReportSource source;
    double factor;  // picture pixels per stored pixel
  };
  const Case cases[] = {{"still 1600x1200", ReportSource::Still, 2.5}, {"still 640x480", ReportSource::Still, 1.0},
                        {"live 1600x1200", ReportSource::Live, 2.5},   {"live 1280x1024", ReportSource::Live, 2.0},
                        {"live 640x480", ReportSource::Live, 1.0},     {"live 320x240", ReportSource::Live, 0.5}};
  for (const QString& unit : {QStringLiteral("mm"), QStringLiteral("inch")}) {
    for (const Case& c : cases) {
      const double rate = 37.5;
      const UnitConversion u{unitFactorFor(unit) * c.factor, rate, 5, unit};
      const DxfPlacement placement = c.source == ReportSource::Still
                                         ? DxfPlacement::forStill(unit, rate, c.factor, c.factor, 1200)
                                         : DxfPlacement::forLive(unit, rate, c.factor);
      const double tolerance = 0.5e-5 + 1e-9;
      std::vector<MeasureShape> shapes = {*makeLine({13, 17}, {311, 203}, {0, 0}, u),
                                          *makeDotLine({0, 0}, {100, 37}, {30, 80}, {0, 0}, u),
                                          *makeDiameterCircle({101, 50}, {150, 91}, {0, 0}, u),
                                          *makeThreePointCircle({0, 50}, {50, 3}, {101, 51}, {0, 0}, u),
                                          *makeRadiusCircle({200, 200}, {231, 243}, {0, 0}, u)};
      const std::array<QPoint, 3> c1{QPoint{0, 50}, {50, 3}, {101, 51}};
      const std::array<QPoint, 3> c2{QPoint{300, 57}, {351, 0}, {399, 49}};
      shapes.push_back(*makeTwoCircles(c1, {1, 1}, c2, {2, 2}, {3, 3}, u));
      shapes.push_back(*makeAutoCircle({{100, 3}, {0, 100}, {-97, 0}, {0, -100}, {71, 70}}, {0, 0}, u));
      if (c.source == ReportSource::Live) {
        const int liveCodes[] = {1, 2, 9, 10, 8, 11, 21};
        for (std::size_t i = 0; i < shapes.size(); ++i) shapes[i].kind = static_cast<ShapeKind>(liveCodes[i]);
      }
      const auto e = dxfEntities(pointers(shapes), c.source, placement);
      ASSERT_EQ(e.size(), 8u) << c.what;
      const std::string where = std::string(c.what) + " " + unit.toStdString();
      EXPECT_NEAR(length(e[0]), labelValue(shapes[0].labels[0]), tolerance) << where;
      EXPECT_NEAR(length(e[1]), labelValue(shapes[1].labels[0]), tolerance) << where;
      for (int i : {2, 3, 4}) EXPECT_NEAR(e[i].radius, labelValue(shapes[i].labels[1]), tolerance) << where << i;
      EXPECT_NEAR(e[5].radius, labelValue(shapes[5].labels[0]), tolerance) << where;
      EXPECT_NEAR(e[6].radius, labelValue(shapes[5].labels[1]), tolerance) << where;
      const double centres =
          std::hypot(e[6].points[0].x() - e[5].points[0].x(), e[6].points[0].y() - e[5].points[0].y());
      EXPECT_NEAR(centres, labelValue(shapes[5].labels[2]), tolerance) << where;
      EXPECT_NEAR(e[7].radius, labelValue(shapes[6].labels[1]), tolerance) << where;
    }
  }
}

TEST(DxfEntities, YPointsUpFromTheBottomEdge) {
  // mm, rate 1, zoom 1: a 100-pixel line is 2.963 units; the top edge stands k * H * 10 / rate high.
  const DxfPlacement still = DxfPlacement::forStill(QStringLiteral("mm"), 1, 1, 1, 480);
  const UnitConversion u{kMmFactor, 1, 3, QStringLiteral("mm")};
  const MeasureShape top = *makeLine({0, 0}, {100, 0}, {0, 0}, u);
  const MeasureShape bottom = *makeLine({0, 480}, {100, 480}, {0, 0}, u);
  const auto e = dxfEntities({&top, &bottom}, ReportSource::Still, still);
  ASSERT_EQ(e.size(), 2u);
  EXPECT_NEAR(length(e[0]), 29.63, 1e-9);
  EXPECT_NEAR(e[0].points[0].y(), kMmFactor * 480 * 10, 1e-9);
  EXPECT_NEAR(e[1].points[0].y(), 0.0, 1e-12);

  // The live video's bottom row (480) is y' = 0 at every capture size.
  const DxfPlacement live = DxfPlacement::forLive(QStringLiteral("mm"), 10, 2.5);
  MeasureShape liveLine = bottom;
  liveLine.kind = static_cast<ShapeKind>(1);
  EXPECT_NEAR(dxfEntities({&liveLine}, ReportSource::Live, live)[0].points[0].y(), 0.0, 1e-12);
}

TEST(DxfEntities, DegenerateShapesAreSkippedAndTheRestKept) {
  const UnitConversion u{kMmFactor, 10, 3, QStringLiteral("mm")};
  MeasureShape fewPoints = *makeLine({0, 0}, {10, 0}, {0, 0}, u);
  fewPoints.points.resize(1);
  MeasureShape zeroCircle = *makeRadiusCircle({5, 5}, {5, 5}, {0, 0}, u);
  MeasureShape nanAuto = *makeAutoCircle({{10, 0}, {0, 10}, {-10, 0}, {0, -10}}, {0, 0}, u);
  nanAuto.radius = std::nan("");
  MeasureShape twoVertexPolygon = *makePolygon({{0, 0}, {10, 0}, {10, 10}}, {0, 0}, u);
  twoVertexPolygon.points = {{0, 0}, {10, 0}, {3, 3}};  // two vertices and the anchor
  const MeasureShape good = *makeLine({0, 0}, {10, 0}, {0, 0}, u);
  const auto e = dxfEntities({&fewPoints, &zeroCircle, &nanAuto, &twoVertexPolygon, nullptr, &good},
                             ReportSource::Still, DxfPlacement::forStill(QStringLiteral("mm"), 10, 1, 1, 480));
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].kind, Kind::Line);
  EXPECT_TRUE(
      dxfEntities({&good}, ReportSource::Still, DxfPlacement::forStill(QStringLiteral("mm"), 0, 1, 1, 480)).empty())
      << "no rate, no drawing units";

  // The live polygon closes itself by repeating its first vertex; the closed POLYLINE needs no copy.
  MeasureShape livePolygon = *makePolygon({{0, 0}, {40, 0}, {40, 30}, {0, 0}}, {5, 5}, u);
  livePolygon.kind = static_cast<ShapeKind>(6);
  const auto p = dxfEntities({&livePolygon}, ReportSource::Live, DxfPlacement::forLive(QStringLiteral("mm"), 10, 1));
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].points.size(), 3u);
  EXPECT_TRUE(p[0].closed);
}

TEST(DxfEntities, LiveCodesUseTheirOwnTable) {
  const UnitConversion u{kMmFactor, 10, 3, QStringLiteral("mm")};
  MeasureShape shape = *makeLine({0, 0}, {10, 0}, {0, 0}, u);
  const DxfPlacement live = DxfPlacement::forLive(QStringLiteral("mm"), 10, 1);
  // Live 4 is a continuous line whereas stored 4 is text; live 17 and 23 (arcs) and 14-16 give nothing.
  for (int code : {7, 14, 15, 16, 17, 18, 19, 20, 23, 26, 100}) {
    shape.kind = static_cast<ShapeKind>(code);
    EXPECT_TRUE(dxfEntities({&shape}, ReportSource::Live, live).empty()) << code;
  }
  for (int code : {1, 3, 22, 24}) {
    shape.kind = static_cast<ShapeKind>(code);
    EXPECT_EQ(dxfEntities({&shape}, ReportSource::Live, live).size(), 1u) << code;
  }
}

class DxfFileTest : public ::testing::Test {
 protected:
  QJsonObject probe(const QString& path) { return test::runPythonJson(QStringLiteral(DXF_PROBE), {path}); }
  QString path(const QString& name) const { return dir_.filePath(name); }
  QTemporaryDir dir_;
  CadDrawing cad_{QStringLiteral(CADIO_LIBRARY)};
};

TEST_F(DxfFileTest, StillAndLiveDrawingsPassTheAuditOnTheirLayers) {
  const UnitConversion u{kMmFactor, 10, 3, QStringLiteral("mm")};
  const std::vector<MeasureShape> shapes = everyStillKind(u);
  const auto entities =
      dxfEntities(pointers(shapes), ReportSource::Still, DxfPlacement::forStill(QStringLiteral("mm"), 10, 1, 1, 480));
  ASSERT_EQ(writeDxf(cad_, entities, ReportSource::Still, dxfUnitCode(QStringLiteral("mm")), path("still.dxf")),
            DxfResult::Written);
  EXPECT_FALSE(cad_.hasDrawing());
  QJsonObject p = probe(path("still.dxf"));
  EXPECT_EQ(p[QStringLiteral("version")].toString(), QStringLiteral("AC1009"));
  EXPECT_EQ(p[QStringLiteral("errors")].toInt(), 0);
  EXPECT_EQ(p[QStringLiteral("fixes")].toInt(), 0);
  EXPECT_EQ(p[QStringLiteral("insunits")].toInt(), 4);
  const QJsonArray layers = p[QStringLiteral("layers")].toArray();
  EXPECT_TRUE(layers.contains(QStringLiteral("Layer1")) && layers.contains(QStringLiteral("Layer2")));
  EXPECT_TRUE(p[QStringLiteral("linetypes")].toArray().contains(QStringLiteral("Continuous")));
  const QJsonArray written = p[QStringLiteral("entities")].toArray();
  ASSERT_EQ(written.size(), static_cast<qsizetype>(entities.size()));
  int lines = 0, circles = 0, closed = 0, open = 0;
  for (const QJsonValue& v : written) {
    const QJsonObject e = v.toObject();
    EXPECT_EQ(e[QStringLiteral("layer")].toString(), QStringLiteral("Layer2"));
    const QString type = e[QStringLiteral("type")].toString();
    lines += type == QStringLiteral("LINE");
    circles += type == QStringLiteral("CIRCLE");
    if (type == QStringLiteral("POLYLINE")) (e[QStringLiteral("closed")].toBool() ? closed : open)++;
  }
  EXPECT_EQ(lines, 12);
  EXPECT_EQ(circles, 6);
  EXPECT_EQ(closed, 2);
  EXPECT_EQ(open, 1);
  // The first LINE of the file is the first shape's, in drawing units.
  const QJsonObject first = written[0].toObject();
  EXPECT_NEAR(
      first[QStringLiteral("end")].toArray()[0].toDouble() - first[QStringLiteral("start")].toArray()[0].toDouble(),
      2.963, 1e-9);

  std::vector<MeasureShape> live = {*makeLine({0, 0}, {100, 0}, {0, 0}, u)};
  live[0].kind = static_cast<ShapeKind>(1);
  const auto liveEntities =
      dxfEntities(pointers(live), ReportSource::Live, DxfPlacement::forLive(QStringLiteral("inch"), 10, 2.0));
  ASSERT_EQ(writeDxf(cad_, liveEntities, ReportSource::Live, dxfUnitCode(QStringLiteral("inch")), path("live.dxf")),
            DxfResult::Written);
  p = probe(path("live.dxf"));
  EXPECT_EQ(p[QStringLiteral("errors")].toInt(), 0);
  EXPECT_EQ(p[QStringLiteral("insunits")].toInt(), 1);
  EXPECT_TRUE(p[QStringLiteral("layers")].toArray().contains(QStringLiteral("Layer1")));
  EXPECT_FALSE(p[QStringLiteral("layers")].toArray().contains(QStringLiteral("Layer2")));
  EXPECT_EQ(p[QStringLiteral("entities")].toArray()[0].toObject()[QStringLiteral("layer")].toString(),
            QStringLiteral("0"));

  ASSERT_EQ(writeDxf(cad_, {}, ReportSource::Still, 4, path("empty.dxf")), DxfResult::Written);
  p = probe(path("empty.dxf"));
  EXPECT_EQ(p[QStringLiteral("errors")].toInt(), 0);
  EXPECT_TRUE(p[QStringLiteral("entities")].toArray().isEmpty());
}

TEST_F(DxfFileTest, FailuresLeaveNoDrawingAndNoFile) {
  CadDrawing missing(QStringLiteral("/nonexistent/libCadIO.so"));
  EXPECT_EQ(writeDxf(missing, {}, ReportSource::Still, 4, path("a.dxf")), DxfResult::CreateFailed);
  EXPECT_FALSE(QFile::exists(path("a.dxf")));

  ASSERT_TRUE(test::writeBytes(path("keep.dxf"), "old drawing"));
  EXPECT_EQ(writeDxf(cad_, {}, ReportSource::Still, 4, path("no/such/folder/b.dxf")), DxfResult::SaveFailed);
  EXPECT_FALSE(cad_.hasDrawing()) << "the drawing is destroyed after a failed save";
  EXPECT_EQ(test::readBytes(path("keep.dxf")), QByteArray("old drawing"));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.dxf")});
}

// The numbers of the file keep their decimal point when the C library's locale writes a comma.
TEST_F(DxfFileTest, NumbersUseADecimalPointInAnyLocale) {
  const QString locales = path("locales");
  QDir().mkpath(locales);
  QProcess localedef;
  localedef.start(QStringLiteral("localedef"), {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                                                QStringLiteral("UTF-8"), locales + QStringLiteral("/de_DE.UTF-8")});
  if (!localedef.waitForFinished(60000) || localedef.exitCode() != 0) GTEST_SKIP() << "localedef cannot make de_DE";
  qputenv("LOCPATH", locales.toUtf8());
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
  char probeText[16];
  std::snprintf(probeText, sizeof probeText, "%.1f", 0.5);
  ASSERT_STREQ(probeText, "0,5") << "the locale really writes commas";

  const UnitConversion u{kMmFactor, 10, 3, QStringLiteral("mm")};
  const MeasureShape line = *makeLine({1, 1}, {100, 37}, {0, 0}, u);
  const auto entities =
      dxfEntities({&line}, ReportSource::Still, DxfPlacement::forStill(QStringLiteral("mm"), 10, 1, 1, 480));
  const DxfResult result = writeDxf(cad_, entities, ReportSource::Still, 4, path("de.dxf"));
  std::setlocale(LC_NUMERIC, saved.c_str());
  qunsetenv("LOCPATH");
  ASSERT_EQ(result, DxfResult::Written);
  const QByteArray text = test::readBytes(path("de.dxf"));
  EXPECT_TRUE(text.contains("\n0.0296300000\n") || text.contains("\n0.02963\n")) << "a coordinate with a point";
  EXPECT_FALSE(text.contains(",")) << "no comma anywhere";
  EXPECT_EQ(probe(path("de.dxf"))[QStringLiteral("errors")].toInt(), 0);
}

}  // namespace
}  // namespace lumivex
