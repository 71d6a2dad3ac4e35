// The CAD library through its C entry points as the program loads them.
#include "export/cad_drawing.h"
#include "tests/export/export_test_support.h"
#include "tests/support/temp_home.h"

#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace lumivex {
namespace {

template <typename Record>
Record named(const char* name) {
  Record r{};
  std::strncpy(r.name, name, CAD_NAME_SIZE - 1);
  return r;
}

class CadIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cad_.usable()) << cad_.loadError().toStdString();
    api_ = cad_.api();
    drawing_ = api_->create();
    ASSERT_NE(drawing_, 0u);
  }
  void TearDown() override { api_->destroy(drawing_); }

  CADHANDLE addLayer(const char* name, int color = 1) {
    CadLayer layer = named<CadLayer>(name);
    layer.color = color;
    return api_->addTableType(drawing_, CAD_TABLE_LAYER, &layer);
  }
  CADHANDLE addLine(CADHANDLE layer, CadLine line, CADHANDLE block = 0) {
    CadEntityHeader h{CAD_ENT_LINE, 0, layer, 0, CAD_COLOR_BYLAYER, 0.0, 1.0};
    return api_->addEntity(drawing_, block, &h, &line);
  }

  CadDrawing cad_{QStringLiteral(CADIO_LIBRARY)};
  const CadDrawing::Api* api_ = nullptr;
  CADHANDLE drawing_ = 0;
  QTemporaryDir dir_;
};

TEST_F(CadIoTest, TableNamesAreUniqueValidAndFoundByNameHandleAndWalk) {
  const CADHANDLE a = addLayer("Layer1");
  ASSERT_NE(a, 0u);
  EXPECT_EQ(addLayer("LAYER1"), 0u) << "names compare without case";
  for (const char* bad : {"", "a/b", "a:b", "a*b", "x\ty", "a=b", "Слой"}) EXPECT_EQ(addLayer(bad), 0u) << bad;
  EXPECT_EQ(addLayer("colourless", 0), 0u);
  EXPECT_EQ(addLayer("too bright", 256), 0u);
  const CADHANDLE b = addLayer("Layer 2");
  ASSERT_NE(b, 0u);

  CadLayer probe = named<CadLayer>("layer1");
  EXPECT_EQ(api_->findTableType(drawing_, CAD_TABLE_LAYER, CAD_FIND_BYNAME, &probe), a);
  probe = CadLayer{};
  probe.handle = b;
  EXPECT_EQ(api_->findTableType(drawing_, CAD_TABLE_LAYER, CAD_FIND_BYHANDLE, &probe), b);
  EXPECT_STREQ(probe.name, "Layer 2");
  std::vector<CADHANDLE> walked;
  for (CADHANDLE h = api_->findTableType(drawing_, CAD_TABLE_LAYER, CAD_FIND_FIRST, &probe); h != 0;
       h = api_->findTableType(drawing_, CAD_TABLE_LAYER, CAD_FIND_NEXT, &probe)) {
    walked.push_back(h);
  }
  EXPECT_EQ(walked, (std::vector<CADHANDLE>{a, b}));

  // A layer that an entity uses stays; an unused one goes.
  ASSERT_NE(addLine(a, {0, 0, 1, 1}), 0u);
  EXPECT_EQ(api_->deleteTableType(drawing_, CAD_TABLE_LAYER, a), 0);
  EXPECT_EQ(api_->deleteTableType(drawing_, CAD_TABLE_LAYER, b), 1);
  EXPECT_EQ(api_->deleteTableType(drawing_, CAD_TABLE_LAYER, b), 0);
  EXPECT_EQ(api_->addTableType(drawing_, 99, &probe), 0u);
}

TEST_F(CadIoTest, EntitiesAreCheckedFoundChangedAndDeleted) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  CadVertex two[2] = {{0, 0}, {1, 0}};
  CadVertex one[1] = {{0, 0}};
  struct Case {
    const char* what;
    int kind;
    const void* data;
    CADHANDLE layer;
    bool accepted;
  };
  const CadLine line{0, 0, 3, 4};
  const CadLine nanLine{0, nan, 3, 4};
  const CadCircle circle{1, 1, 2};
  const CadCircle flat{1, 1, 0};
  const CadCircle infinite{inf, 1, 1};
  const CadPolyline polyline{two, 2, 0};
  const CadPolyline single{one, 1, 0};
  const CadPolyline noVertices{nullptr, 3, 0};
  const Case cases[] = {
      {"line", CAD_ENT_LINE, &line, 0, true},
      {"line with NaN", CAD_ENT_LINE, &nanLine, 0, false},
      {"circle", CAD_ENT_CIRCLE, &circle, 0, true},
      {"radius 0", CAD_ENT_CIRCLE, &flat, 0, false},
      {"infinite centre", CAD_ENT_CIRCLE, &infinite, 0, false},
      {"polyline", CAD_ENT_POLYLINE, &polyline, 0, true},
      {"one vertex", CAD_ENT_POLYLINE, &single, 0, false},
      {"no vertex array", CAD_ENT_POLYLINE, &noVertices, 0, false},
      {"unknown kind", 7, &line, 0, false},
      {"missing layer", CAD_ENT_LINE, &line, 12345, false},
      {"no data", CAD_ENT_LINE, nullptr, 0, false},
  };
  for (const Case& c : cases) {
    CadEntityHeader h{c.kind, 0, c.layer, 0, CAD_COLOR_BYLAYER, 0.0, 1.0};
    EXPECT_EQ(api_->addEntity(drawing_, 0, &h, c.data) != 0, c.accepted) << c.what;
  }

  CadEntityHeader h{};
  CadVertex buffer[1];
  CadPolyline out{buffer, 1, 0};
  ASSERT_NE(api_->findEntity(drawing_, 0, CAD_FIND_FIRST, &h, nullptr), 0u);
  EXPECT_EQ(h.kind, CAD_ENT_LINE);
  ASSERT_NE(api_->findEntity(drawing_, 0, CAD_FIND_NEXT, &h, nullptr), 0u);
  EXPECT_EQ(h.kind, CAD_ENT_CIRCLE);
  const CADHANDLE circleHandle = h.handle;
  ASSERT_NE(api_->findEntity(drawing_, 0, CAD_FIND_NEXT, &h, &out), 0u);
  EXPECT_EQ(out.count, 2) << "the real count comes back even when the buffer is smaller";
  EXPECT_EQ(buffer[0].x, 0.0);
  EXPECT_EQ(api_->findEntity(drawing_, 0, CAD_FIND_NEXT, &h, nullptr), 0u);

  CadEntityHeader change{CAD_ENT_LINE, circleHandle, 0, 0, 3, 0.0, 1.0};
  const CadLine moved{5, 5, 6, 6};
  ASSERT_EQ(api_->changeEntity(drawing_, &change, &moved), 1);
  CadLine read{};
  CadEntityHeader byHandle{};
  byHandle.handle = circleHandle;
  ASSERT_EQ(api_->findEntity(drawing_, 0, CAD_FIND_BYHANDLE, &byHandle, &read), circleHandle);
  EXPECT_EQ(byHandle.kind, CAD_ENT_LINE);
  EXPECT_EQ(byHandle.color, 3);
  EXPECT_EQ(read.x2, 6.0);
  EXPECT_EQ(api_->changeEntity(drawing_, &change, &nanLine), 0);
  EXPECT_EQ(api_->deleteEntity(drawing_, circleHandle), 1);
  EXPECT_EQ(api_->deleteEntity(drawing_, circleHandle), 0);
}

TEST_F(CadIoTest, BadHandlesAndPointersFailWithoutCrashing) {
  CadLayer layer = named<CadLayer>("x");
  layer.color = 1;
  EXPECT_EQ(api_->addTableType(999999, CAD_TABLE_LAYER, &layer), 0u);
  EXPECT_EQ(api_->addTableType(drawing_, CAD_TABLE_LAYER, nullptr), 0u);
  EXPECT_EQ(api_->addEntity(drawing_, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(api_->saveDataToFile(drawing_, 0, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(api_->destroy(999999), 0);
  CadRect border{};
  EXPECT_EQ(api_->getDrawingBorder(drawing_, &border), 0) << "an empty drawing has no border";
  CadLayer unterminated;
  std::memset(&unterminated, 'a', sizeof unterminated);
  unterminated.color = 1;
  EXPECT_EQ(api_->addTableType(drawing_, CAD_TABLE_LAYER, &unterminated), 0u);
}

TEST_F(CadIoTest, SavedDrawingLoadsBackWithBlocksTablesAndEntities) {
  CadLineType dashed = named<CadLineType>("Dashed");
  std::strcpy(dashed.description, "Штрих __ __");
  dashed.dashCount = 2;
  dashed.dashes[0] = 0.5;
  dashed.dashes[1] = -0.25;
  const CADHANDLE lt = api_->addTableType(drawing_, CAD_TABLE_LTYPE, &dashed);
  ASSERT_NE(lt, 0u);
  CadLayer layer = named<CadLayer>("Holes");
  layer.color = 5;
  layer.lineType = lt;
  const CADHANDLE holes = api_->addTableType(drawing_, CAD_TABLE_LAYER, &layer);
  ASSERT_NE(holes, 0u);
  CadBlock block = named<CadBlock>("Marker");
  const CADHANDLE blockHandle = api_->addBlock(drawing_, &block);
  ASSERT_NE(blockHandle, 0u);
  ASSERT_NE(addLine(holes, {0, 0, 1, 0}, blockHandle), 0u);
  ASSERT_NE(addLine(holes, {0.125, -2.5, 1e5, 3.75}), 0u);
  CadVertex v[3] = {{0, 0}, {2, 0}, {2, 2}};
  CadPolyline poly{v, 3, CAD_POLYLINE_CLOSED};
  CadEntityHeader ph{CAD_ENT_POLYLINE, 0, holes, lt, 2, 1.5, 1.0};
  ASSERT_NE(api_->addEntity(drawing_, 0, &ph, &poly), 0u);

  const QString path = dir_.filePath(QStringLiteral("round.dxf"));
  ASSERT_EQ(api_->saveDataToFile(drawing_, 0, path.toUtf8().constData(), nullptr, nullptr), 1);
  const QJsonObject probe = test::runPythonJson(QStringLiteral(DXF_PROBE), {path});
  EXPECT_EQ(probe[QStringLiteral("version")].toString(), QStringLiteral("AC1009"));
  EXPECT_EQ(probe[QStringLiteral("errors")].toInt(), 0);
  EXPECT_EQ(probe[QStringLiteral("fixes")].toInt(), 0);
  EXPECT_TRUE(probe[QStringLiteral("layers")].toArray().contains(QStringLiteral("Holes")));

  const CADHANDLE other = api_->create();
  ASSERT_EQ(api_->loadDataFromFile(other, 0, path.toUtf8().constData(), nullptr, nullptr), 1);
  CadLayer found = named<CadLayer>("Holes");
  ASSERT_NE(api_->findTableType(other, CAD_TABLE_LAYER, CAD_FIND_BYNAME, &found), 0u);
  EXPECT_EQ(found.color, 5);
  CadLineType foundType{};
  foundType.handle = found.lineType;
  ASSERT_NE(api_->findTableType(other, CAD_TABLE_LTYPE, CAD_FIND_BYHANDLE, &foundType), 0u);
  EXPECT_STREQ(foundType.name, "Dashed");
  EXPECT_STREQ(foundType.description, "Штрих __ __") << "texts travel as \\U+ escapes";
  EXPECT_EQ(foundType.dashCount, 2);
  CadBlock foundBlock = named<CadBlock>("Marker");
  const CADHANDLE loadedBlock = api_->findBlock(other, CAD_FIND_BYNAME, &foundBlock);
  ASSERT_NE(loadedBlock, 0u);
  CadEntityHeader h{};
  CadLine line{};
  ASSERT_NE(api_->findEntity(other, loadedBlock, CAD_FIND_FIRST, &h, &line), 0u);
  EXPECT_EQ(line.x2, 1.0);
  ASSERT_NE(api_->findEntity(other, 0, CAD_FIND_FIRST, &h, &line), 0u);
  EXPECT_EQ(line.x1, 0.125);
  EXPECT_EQ(line.y1, -2.5);
  EXPECT_EQ(line.x2, 1e5);
  CadVertex back[3];
  CadPolyline backPoly{back, 3, 0};
  ASSERT_NE(api_->findEntity(other, 0, CAD_FIND_NEXT, &h, &backPoly), 0u);
  EXPECT_EQ(backPoly.count, 3);
  EXPECT_EQ(backPoly.flags, CAD_POLYLINE_CLOSED);
  EXPECT_EQ(h.color, 2);
  EXPECT_EQ(h.thickness, 1.5);
  EXPECT_EQ(h.lineType, foundType.handle);
  api_->destroy(other);

  EXPECT_EQ(api_->loadDataFromFile(drawing_, 0, "/nonexistent/x.dxf", nullptr, nullptr), 0);
  const QString junk = dir_.filePath(QStringLiteral("junk.dxf"));
  test::writeBytes(junk, QByteArray());
  EXPECT_EQ(api_->loadDataFromFile(drawing_, 0, junk.toUtf8().constData(), nullptr, nullptr), 0);
  CadEntityHeader still{};
  EXPECT_NE(api_->findEntity(drawing_, 0, CAD_FIND_FIRST, &still, nullptr), 0u) << "a failed load keeps the drawing";
}

TEST_F(CadIoTest, ViewFitsTheBorderAndPaintsEntitiesInTheirLayerColour) {
  const CADHANDLE red = addLayer("red", 1);
  ASSERT_NE(addLine(red, {0, 0, 100, 0}), 0u);
  ASSERT_NE(addLine(red, {0, 50, 100, 50}), 0u);
  CadRect border{};
  ASSERT_EQ(api_->getDrawingBorder(drawing_, &border), 1);
  EXPECT_EQ(border.left, 0);
  EXPECT_EQ(border.right, 100);
  EXPECT_EQ(border.top, 50);
  ASSERT_EQ(api_->initView(drawing_, 200, 100), 1);
  CadViewProperties view{};
  ASSERT_EQ(api_->getViewProperties(drawing_, &view), 1);
  EXPECT_GT(view.unitsPerPixel, 0.5);
  EXPECT_LT(view.unitsPerPixel, 0.6);

  std::vector<uint32_t> pixels(200 * 100, 0);
  ASSERT_EQ(api_->paint(drawing_, pixels.data(), 200, 100, 200 * 4), 1);
  int redPixels = 0;
  for (uint32_t p : pixels) redPixels += p == 0xffff0000u;
  EXPECT_GT(redPixels, 2 * 170) << "both lines are drawn across most of the view";
  EXPECT_EQ(pixels[0], 0xffffffffu) << "the margin keeps the background";

  view.unitsPerPixel = 0;
  EXPECT_EQ(api_->setViewProperties(drawing_, &view), 0);
  ASSERT_EQ(api_->zoomExtents(drawing_), 1);
}

TEST(CadDrawingLoad, MissingLibraryOrEntryPointMakesItUnusable) {
  CadDrawing missing(QStringLiteral("/nonexistent/libCadIO.so"));
  EXPECT_FALSE(missing.usable());
  EXPECT_FALSE(missing.createDrawing());

  CadDrawing lacking(QStringLiteral(CADIO_MISSING_LIBRARY));
  EXPECT_FALSE(lacking.usable());
  EXPECT_TRUE(lacking.loadError().contains(QStringLiteral("drwZoomExtents"))) << lacking.loadError().toStdString();
  EXPECT_FALSE(lacking.createDrawing());

  CadDrawing found;  // the build tree's library
  EXPECT_TRUE(found.usable()) << found.loadError().toStdString();
  EXPECT_TRUE(found.createDrawing());
  EXPECT_FALSE(found.createDrawing()) << "one drawing at a time";
}

}  // namespace
}  // namespace lumivex
