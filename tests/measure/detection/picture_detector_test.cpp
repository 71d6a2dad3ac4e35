#include "image/cx_image.h"
#include "measure/calibration_state.h"
#include "measure/canvas_controller.h"
#include "measure/picture_edge_detector.h"
#include "tests/measure/canvas_test_support.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

// A 1600 x 1200 picture (shown at zoom 2.5) with a black disc of radius 250 picture pixels centred at
// (800, 600), i.e. radius 100 around (320, 240) in content pixels, and a dark horizontal band.
CxImage discPicture() {
  QImage image(1600, 1200, QImage::Format_RGB888);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  painter.drawEllipse(QPointF(800, 600), 250, 250);
  painter.drawRect(QRectF(100, 1000, 1400, 100));
  painter.end();
  CxImage picture;
  EXPECT_TRUE(picture.CreateFromQImage(image));
  return picture;
}

TEST(PictureEdgeDetector, ContentAndPicturePointsFollowTheZoom) {
  CxImage picture = discPicture();
  PictureEdgeDetector detector(picture, 2.5, 2.5, 20);
  EXPECT_EQ(detector.toPicture({100, 100}), QPoint(250, 250));
  EXPECT_EQ(detector.toContent({250, 250}), QPoint(100, 100));
  EXPECT_EQ(detector.toPicture({1, 1}), QPoint(3, 3));  // 2.5 rounds half up
  EXPECT_EQ(detector.toContent({3, 3}), QPoint(1, 1));
}

// The canvas's automatic circle on a real picture: three rough clicks near the rim give the disc's
// radius within a pixel, measured in content pixels and labelled through the zoom-2.5 unit factor.
TEST(PictureEdgeDetector, AutomaticCircleAndLineSpacingOnAPicture) {
  calibrationState().unitName.assign(QStringLiteral("mm"));
  calibrationState().decimals = 2;
  CxImage picture = discPicture();
  PictureEdgeDetector detector(picture, 2.5, 2.5, 20);
  test::RecordingHost host;
  CanvasController c;
  c.setHost(&host);
  c.setDetector(&detector);
  c.setUnitScale(2.5);
  c.setRate(ViewRate{10, 10}, 1.0);
  c.setTool({ToolMode::AutoCircle, kMeasureFlagMeasure});
  test::clicks(c, {{423, 240}, {320, 344}, {249, 170}});
  test::rightClick(c, {500, 100});
  ASSERT_EQ(c.shapes().count(), 1);
  const MeasureShape& circle = c.shapes().at(0);
  EXPECT_NEAR(circle.radius, 100, 1.0);
  EXPECT_NEAR(circle.points[0].x(), 320, 1);
  EXPECT_NEAR(circle.points[0].y(), 240, 1);
  EXPECT_EQ(circle.labels[1], QStringLiteral("R:%1mm").arg(circle.radius * kMmFactor * 2.5, 0, 'f', 2));

  // Strokes across the band's two edges (y 400 and 440 in content pixels): 40 content pixels apart.
  c.setTool({ToolMode::AutoLineSpacing, kMeasureFlagMeasure});
  test::clicks(c, {{200, 390}, {200, 410}, {210, 430}, {210, 450}, {50, 50}});
  ASSERT_EQ(c.shapes().count(), 2);
  const MeasureShape& spacing = c.shapes().at(1);
  EXPECT_NEAR(pixelDistance(spacing.points[0], spacing.points[1]), 40, 1.0);

  // The edge portion paints into the picture itself.
  c.setTool({ToolMode::EdgePortion, kMeasureFlagMeasure});
  c.handle(CanvasEvent::Press, CanvasButton::Left, {200, 200});
  c.handle(CanvasEvent::Release, CanvasButton::Left, {440, 280});
  const RgbQuad rim = picture.GetPixelColor(800 - 250, 1199 - 600);
  EXPECT_EQ(rim.red, 255);
  EXPECT_EQ(rim.green, 0);
}

}  // namespace
}  // namespace lumivex
