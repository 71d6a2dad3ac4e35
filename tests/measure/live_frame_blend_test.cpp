// The frame path's own blending of the cached overlay layers: the same pixels as the painter's, and the
// layers follow the snapshot's revisions.
#include "measure/comparison_object.h"
#include "measure/live_marks.h"
#include "measure/live_snapshot.h"
#include "measure/shape_builder.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstdlib>

namespace lumivex {
namespace {

// A frame with every colour channel varying, so any blending error shows.
QImage gradientFrame() {
  QImage frame(640, 480, QImage::Format_RGB32);
  for (int y = 0; y < frame.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(frame.scanLine(y));
    for (int x = 0; x < frame.width(); ++x) row[x] = qRgb(x * 255 / 639, y * 255 / 479, (x + y) % 256);
  }
  return frame;
}

std::shared_ptr<LiveSnapshot> busySnapshot(std::uint64_t revision) {
  auto s = std::make_shared<LiveSnapshot>();
  auto shapes = std::make_shared<std::vector<MeasureShape>>();
  const UnitConversion units{0.02963, 10.0, 3, QStringLiteral("mm")};
  for (int i = 0; i < 20; ++i) {
    const QPoint a(20 + (i % 5) * 120, 30 + (i / 5) * 110);
    std::optional<MeasureShape> shape =
        (i % 2) ? makeLine(a, a + QPoint(70, 25), a + QPoint(0, 40), units)
                : makeRadiusCircle(a + QPoint(30, 30), a + QPoint(60, 30), a + QPoint(0, 50), units);
    if (shape) shapes->push_back(std::move(*shape));
  }
  s->shapes = std::move(shapes);
  const DrawingStyle style;
  s->comparisons.append(*makeRuler({100, 400}, {300, 400}, 5.0, 0.02963, 10, 3, QStringLiteral("mm"), style));
  s->comparisons.append(makeAngleGauge({400, 300}, style));
  s->comparisons.append(*makeToleranceCircle(1.0, 0.05, 0.05, 0.02963, 10, 3, QStringLiteral("mm"), style));
  auto overlay = std::make_shared<LiveOverlayScale>();
  overlay->scale = overlay->circles = true;
  overlay->rate = 10;
  overlay->unit = QStringLiteral("mm");
  overlay->videoPixelSize = overlayVideoPixelSize(overlay->unit, 10, 640, 480);
  overlay->scaleX = scaleMarks(overlay->unit, 10, overlay->videoPixelSize, 320);
  overlay->scaleY = scaleMarks(overlay->unit, 10, overlay->videoPixelSize, 240);
  overlay->circleX = circleMarks(overlay->unit, 10, overlay->videoPixelSize, 320, CaptureClass::Other);
  overlay->circleY = circleMarks(overlay->unit, 10, overlay->videoPixelSize, 240, CaptureClass::Other);
  s->overlay = std::move(overlay);
  s->shapesRevision = s->comparisonRevision = revision;
  return s;
}

// The largest difference of one colour channel between two frames.
int largestDifference(const QImage& a, const QImage& b) {
  int worst = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      worst = std::max(
          {worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
    }
  }
  return worst;
}

TEST(LiveFrameBlendTest, FramePathBlendsLikeThePainter) {
  for (const double scale : {1.0, 1.6}) {
    SCOPED_TRACE(scale);
    auto slot = std::make_shared<LiveSnapshotSlot>();
    slot->publish(busySnapshot(1));
    LiveShapesOverlay shapesByPainter(slot), shapesOnFrame(slot);
    LiveComparisonOverlay comparisonByPainter(slot), comparisonOnFrame(slot);
    const QImage base = gradientFrame().scaled(640 * scale, 480 * scale);
    QImage painted = base, blended = base;
    {
      QPainter painter(&painted);
      shapesByPainter.draw(painter, painted.size(), scale, scale);
      comparisonByPainter.draw(painter, painted.size(), scale, scale);
    }
    shapesOnFrame.drawOnFrame(blended, scale, scale);
    comparisonOnFrame.drawOnFrame(blended, scale, scale);
    EXPECT_NE(blended, base);
    // Antialiased edges may round one step apart; everything else is the same.
    EXPECT_LE(largestDifference(painted, blended), 1);
  }
}

TEST(LiveFrameBlendTest, LayersFollowTheRevisions) {
  auto slot = std::make_shared<LiveSnapshotSlot>();
  LiveShapesOverlay shapes(slot);
  LiveComparisonOverlay comparison(slot);
  const auto draw = [&] {
    QImage frame(640, 480, QImage::Format_RGB32);
    frame.fill(Qt::black);
    shapes.drawOnFrame(frame, 1.0, 1.0);
    comparison.drawOnFrame(frame, 1.0, 1.0);
    return frame;
  };
  EXPECT_EQ(draw().pixel(321, 100), qRgb(0, 0, 0));  // nothing published yet
  slot->publish(busySnapshot(1));
  const QImage full = draw();
  EXPECT_EQ(full.pixel(321, 100), qRgb(255, 0, 0));  // the scale's vertical axis
  // The same revision with other contents keeps the cached layers: only a new revision redraws.
  auto empty = std::make_shared<LiveSnapshot>();
  empty->shapesRevision = empty->comparisonRevision = 1;
  slot->publish(empty);
  EXPECT_EQ(draw(), full);
  auto cleared = std::make_shared<LiveSnapshot>();
  cleared->shapesRevision = cleared->comparisonRevision = 2;
  slot->publish(cleared);
  const QImage blank = draw();
  EXPECT_EQ(blank.pixel(321, 100), qRgb(0, 0, 0));
  QImage black(640, 480, QImage::Format_RGB32);
  black.fill(Qt::black);
  EXPECT_EQ(blank, black);
}

}  // namespace
}  // namespace lumivex
