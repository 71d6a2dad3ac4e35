#include "measure/font_store.h"
#include "measure/shape_builder.h"
#include "measure/shape_list.h"
#include "measure/shape_renderer.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

const UnitConversion kMm2{0.02963, 10, 2, QStringLiteral("mm")};
constexpr std::uint32_t kBlack = 0;

// A paint target that keeps only the texts and where their baselines start.
class RecordingEngine : public QPaintEngine {
 public:
  struct Text {
    QString text;
    QPointF baseline;
  };
  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  void updateState(const QPaintEngineState&) override {}
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
  void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
  void drawPath(const QPainterPath&) override {}
  void drawLines(const QLineF*, int) override {}
  void drawEllipse(const QRectF&) override {}
  void drawRects(const QRectF*, int) override {}
  void drawTextItem(const QPointF& p, const QTextItem& item) override { texts.push_back({item.text(), p}); }
  Type type() const override { return User; }
  std::vector<Text> texts;
};

class RecordingDevice : public QPaintDevice {
 public:
  QPaintEngine* paintEngine() const override { return &engine_; }
  std::vector<RecordingEngine::Text>& texts() { return engine_.texts; }

 protected:
  int metric(PaintDeviceMetric m) const override {
    switch (m) {
      case PdmWidth:
      case PdmHeight:
        return 1000;
      case PdmDpiX:
      case PdmDpiY:
      case PdmPhysicalDpiX:
      case PdmPhysicalDpiY:
        return 96;
      case PdmDepth:
        return 32;
      case PdmDevicePixelRatio:
        return 1;
      case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
      default:
        return QPaintDevice::metric(m);
    }
  }

 private:
  mutable RecordingEngine engine_;
};

MeasureShape styled(MeasureShape shape, std::uint32_t color = kBlack) {
  shape.lineColor = color;
  shape.labels = QStringList(shape.labels.size(), QString());  // outline only: texts checked separately
  return shape;
}

QImage render(const std::vector<MeasureShape>& shapes, const ShapeTransform& transform = ShapeTransform::scrolled({})) {
  QImage image(400, 400, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  for (const MeasureShape& s : shapes) drawShape(painter, s, transform, {2, "mm"});
  return image;
}

bool inked(const QImage& image, QPoint p, int slack = 1) {
  for (int dy = -slack; dy <= slack; ++dy)
    for (int dx = -slack; dx <= slack; ++dx)
      if (image.rect().contains(p + QPoint(dx, dy)) && image.pixel(p + QPoint(dx, dy)) != qRgb(255, 255, 255))
        return true;
  return false;
}

TEST(DrawShapes, EveryKindInksItsOutline) {
  struct Case {
    const char* name;
    MeasureShape shape;
    std::vector<QPoint> inkedAt;
    std::vector<QPoint> blankAt;
  };
  const std::vector<Case> cases = {
      {"line and ticks", *makeLine({50, 50}, {150, 50}, {0, 0}, kMm2), {{100, 50}, {50, 42}, {150, 58}}, {{100, 60}}},
      {"parallel strokes",
       *makeParallelLine({200, 150}, {300, 150}, {0, 0}, kMm2),
       {{200, 60}, {300, 240}},
       {{250, 100}}},
      {"radius circle",
       *makeRadiusCircle({200, 200}, {250, 200}, {0, 0}, kMm2),
       {{200, 150}, {150, 200}, {225, 200}},
       {{210, 180}}},
      {"rectangle", *makeRectangle({20, 20}, {80, 60}, {0, 0}, kMm2), {{50, 20}, {80, 40}}, {{50, 40}}},
      {"diameter circle",
       *makeDiameterCircle({100, 200}, {200, 200}, {0, 0}, kMm2),
       {{150, 150}, {150, 200}},
       {{150, 170}}},
      {"three-point circle",
       *makeThreePointCircle({100, 200}, {200, 100}, {300, 200}, {0, 0}, kMm2),
       {{200, 300}, {271, 129}, {250, 200}},
       {{200, 150}}},
      {"angle", *makeAngle({300, 100}, {200, 100}, {200, 0}, {0, 0}), {{250, 100}, {200, 50}}, {{250, 50}}},
      {"four-point angle",
       *makeFourPointAngle({10, 300}, {110, 300}, {10, 350}, {110, 390}, {0, 0}),
       {{60, 300}, {60, 370}},
       {{60, 330}}},
      {"polygon",
       *makePolygon({{100, 100}, {200, 100}, {150, 180}}, {380, 380}, kMm2),
       {{150, 100}, {175, 140}},
       {{150, 130}, {300, 300}}},
      {"continuous",
       *makeContinuousLine({{10, 10}, {110, 10}, {110, 110}}, {{0, 0}, {0, 0}}, kMm2),
       {{60, 10}, {110, 60}},
       {{60, 60}}},
      {"dot line",
       *makeDotLine({50, 300}, {350, 300}, {200, 200}, {0, 0}, kMm2),
       {{100, 300}, {200, 260}},
       {{150, 250}}},
      {"circle label", makeCircleLabel({300, 300}, 1), {{310, 300}, {290, 300}}, {{300, 315}}},
      {"square label", makeSquareLabel({300, 300}, 1), {{310, 290}, {290, 310}}, {{300, 315}}},
      {"two circles",
       *makeTwoCircles({QPoint{50, 100}, {100, 50}, {150, 100}}, {}, {QPoint{250, 100}, {300, 50}, {350, 100}}, {}, {},
                       kMm2),
       {{100, 150}, {300, 150}, {200, 100}},
       {{100, 80}}},
      {"arc through its middle",
       *makeArc({300, 200}, {280, 140}, {200, 100}, {0, 0}, kMm2),
       {{271, 129}},
       {{129, 271}, {200, 300}}},
      {"reverse arc",
       *makeArc({200, 100}, {140, 280}, {300, 200}, {0, 0}, kMm2),
       {{129, 271}, {100, 200}},
       {{271, 129}}},
  };
  for (const Case& c : cases) {
    const QImage image = render({styled(c.shape)});
    for (QPoint p : c.inkedAt) EXPECT_TRUE(inked(image, p)) << c.name << " at " << p.x() << "," << p.y();
    for (QPoint p : c.blankAt) EXPECT_FALSE(inked(image, p)) << c.name << " at " << p.x() << "," << p.y();
  }
}

TEST(DrawShapes, CollinearArcAndUnsetRecordDrawNothing) {
  MeasureShape arc;
  arc.kind = ShapeKind::Arc;
  arc.points = {{10, 10}, {20, 20}, {30, 30}, {40, 40}, {0, 0}};
  MeasureShape unset;
  unset.points = {{10, 10}, {100, 100}};
  const QImage image = render({styled(arc), styled(unset)});
  QImage white(400, 400, QImage::Format_RGB32);
  white.fill(Qt::white);
  EXPECT_EQ(image, white);
}

TEST(DrawShapes, SelectedIsRedWhateverItsColour) {
  MeasureShape line = styled(*makeLine({50, 50}, {150, 50}, {0, 0}, kMm2), 0xFF0000);  // blue
  line.selected = true;
  line.penWidth = 3;
  const QImage image = render({line});
  EXPECT_EQ(image.pixel(100, 50), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(100, 51), qRgb(255, 0, 0));  // its own width
  line.selected = false;
  EXPECT_EQ(render({line}).pixel(100, 50), qRgb(0, 0, 255));
}

TEST(DrawShapes, TargetsMapStoredPoints) {
  const MeasureShape line = styled(*makeLine({60, 60}, {110, 60}, {0, 0}, kMm2));
  const QImage scrolled = render({line}, ShapeTransform::scrolled({10, 10}));
  EXPECT_TRUE(inked(scrolled, {75, 50}, 0));
  EXPECT_FALSE(inked(scrolled, {75, 60}, 0));
  // Zoom 2 x 1.5, truncated: (60, 60) lands on (120, 90).
  const QImage zoomed = render({line}, ShapeTransform::zoomed(2.0, 1.5));
  EXPECT_TRUE(inked(zoomed, {180, 90}, 0));
  EXPECT_TRUE(inked(zoomed, {120, 90}, 0));
  // The label circle keeps its 10-pixel radius on a zoomed target.
  const QImage label = render({styled(makeCircleLabel({50, 50}, 1))}, ShapeTransform::zoomed(2.0, 2.0));
  EXPECT_TRUE(inked(label, {110, 100}));
  EXPECT_FALSE(inked(label, {120, 100}));
  MeasureShape circle = styled(*makeAutoCircle({{40, 50}, {50, 40}, {60, 50}, {50, 60}}, {70, 50}, kMm2));
  const QImage autoCircle = render({circle}, ShapeTransform::zoomed(2.0, 2.0));
  EXPECT_TRUE(inked(autoCircle, {100, 80}));
  EXPECT_TRUE(inked(autoCircle, {110, 100}));  // the radius stroke to the right
}

std::vector<RecordingEngine::Text> recordTexts(const MeasureShape& shape, QPoint scroll = {}) {
  RecordingDevice device;
  {
    QPainter painter(&device);
    drawShape(painter, shape, ShapeTransform::scrolled(scroll), {2, "mm"});
  }
  return device.texts();
}

TEST(DrawShapes, LabelLinesStandBelowTheAnchor) {
  MeasureShape circle = *makeRadiusCircle({200, 200}, {300, 200}, {120, 80}, kMm2);
  circle.lineHeight = 20;
  const int ascent = QFontMetrics(toQFont(circle.labelFont)).ascent();
  const auto texts = recordTexts(circle, {20, 30});
  ASSERT_EQ(texts.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(texts[i].text, circle.labels[i]);
    EXPECT_EQ(texts[i].baseline.x(), 100);
    EXPECT_EQ(texts[i].baseline.y() - ascent, 50 + 20 * i);
  }
  const auto two = recordTexts(*makeTwoCircles({QPoint{50, 100}, {100, 50}, {150, 100}}, {1, 2},
                                               {QPoint{250, 100}, {300, 50}, {350, 100}}, {3, 4}, {5, 6}, kMm2));
  ASSERT_EQ(two.size(), 3u);
  EXPECT_EQ(two[0].baseline.x(), 1);
  EXPECT_EQ(two[1].baseline.x(), 3);
  EXPECT_EQ(two[2].baseline.x(), 5);
}

TEST(DrawShapes, ContinuousTotalOnlyWhenNotZero) {
  MeasureShape line = *makeContinuousLine({{0, 0}, {100, 0}, {100, 50}}, {{10, 10}, {30, 40}}, kMm2);
  line.lineHeight = 16;
  line.labels = {"1.23mm", "2.00mm"};
  const auto texts = recordTexts(line);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[2].text, QStringLiteral("T:3.23mm"));
  EXPECT_EQ(texts[2].baseline.x(), 30);
  EXPECT_EQ(texts[2].baseline.y() - texts[1].baseline.y(), 16);
  line.labels = {"0.00mm", "0.00mm"};
  EXPECT_EQ(recordTexts(line).size(), 2u);
}

TEST(DrawShapes, WholeListInOrder) {
  ShapeList list;
  list.append(std::make_unique<MeasureShape>(makeCircleLabel({10, 10}, 1)));
  list.append(std::make_unique<MeasureShape>(makeSquareLabel({50, 50}, 2)));
  RecordingDevice device;
  {
    QPainter painter(&device);
    drawShapes(painter, list, ShapeTransform::scrolled({}));
  }
  ASSERT_EQ(device.texts().size(), 2u);
  EXPECT_EQ(device.texts()[0].text, QStringLiteral("1"));
  EXPECT_EQ(device.texts()[1].text, QStringLiteral("2"));
}

}  // namespace
}  // namespace lumivex
