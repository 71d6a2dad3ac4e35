#include "measure/detection/edge_overlay.h"
#include "measure/detection/grey_picture.h"
#include "measure/detection/otsu_threshold.h"

#include "tests/measure/detection/detection_pictures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lumivex::detection {
namespace {

using test::TestPicture;

int countRed(TestPicture& p, const QRect& area) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) n += p.isRed(x, y) ? 1 : 0;
  }
  return n;
}

TEST(EdgeOverlay, OutlinesADarkSquareAndNothingElse) {
  for (bool bottomUp : {true, false}) {
    TestPicture picture(120, 90, 255, bottomUp);
    picture.box(40, 30, 80, 60);  // dark over x 40..79, y 30..59
    ASSERT_TRUE(EdgeOverlay(picture.surface()));
    const QRect whole(0, 0, 120, 90);
    int red = 0;
    for (int y = 0; y < 90; ++y) {
      for (int x = 0; x < 120; ++x) {
        if (!picture.isRed(x, y)) continue;
        ++red;
        // Distance to the square's outline (the boundary between x 39|40, 79|80, y 29|30, 59|60).
        const double dx = std::max({39.5 - x, x - 79.5, 0.0});
        const double dy = std::max({29.5 - y, y - 59.5, 0.0});
        const bool inside = dx == 0.0 && dy == 0.0;
        const double d = inside ? std::min({x - 39.5, 79.5 - x, y - 29.5, 59.5 - y}) : std::hypot(dx, dy);
        EXPECT_LE(d, 2.5) << x << "," << y;
      }
    }
    // The whole outline is painted: every boundary pixel has red within a pixel.
    for (int x = 41; x <= 78; ++x) {
      EXPECT_GT(countRed(picture, QRect(x - 1, 28, 3, 4)), 0) << x;
      EXPECT_GT(countRed(picture, QRect(x - 1, 58, 3, 4)), 0) << x;
    }
    EXPECT_GT(red, 4 * 40);
    (void)whole;
  }
}

TEST(EdgeOverlay, MarginsAndSmallPictures) {
  // A dark left half: its edge runs from top to bottom, so only the margins stop the paint.
  TestPicture picture(60, 40);
  picture.box(0, 0, 30, 40);
  ASSERT_TRUE(EdgeOverlay(picture.surface()));
  EXPECT_GT(countRed(picture, QRect(25, 5, 10, 30)), 0);
  EXPECT_EQ(countRed(picture, QRect(0, 0, 60, 5)), 0);
  EXPECT_EQ(countRed(picture, QRect(0, 35, 60, 5)), 0);

  TestPicture tiny(10, 10);
  tiny.box(0, 0, 5, 10);
  ASSERT_TRUE(EdgeOverlay(tiny.surface()));
  EXPECT_EQ(countRed(tiny, QRect(0, 0, 10, 10)), 0);

  TestPicture flat(10, 10);
  BgrSurface eightBit = flat.surface();
  eightBit.bitsPerPixel = 8;
  EXPECT_FALSE(EdgeOverlay(eightBit));
  EXPECT_FALSE(EdgeOverlay(eightBit, QRect(0, 0, 10, 10)));
}

TEST(EdgeOverlay, PortionPaintsOnlyInsideItsInnerRectangle) {
  TestPicture picture(200, 150);
  picture.halfPlane(QPointF(100, 75), 90.0);  // dark left of x 100
  picture.halfPlane(QPointF(100, 75), 0.0);   // and below nothing: a second edge, horizontal through y 75
  const QRect rect(QPoint(60, 40), QPoint(150, 110));
  ASSERT_TRUE(EdgeOverlay(picture.surface(), rect));
  const QRect paintable(QPoint(rect.left() + 5, rect.top() + 4), QPoint(rect.right() - 4, rect.bottom() - 4));
  const int inside = countRed(picture, paintable);
  EXPECT_GT(inside, 0);
  EXPECT_EQ(countRed(picture, QRect(0, 0, 200, 150)), inside);

  // Dragged from bottom right to top left: the same rectangle.
  TestPicture again(200, 150);
  again.halfPlane(QPointF(100, 75), 90.0);
  again.halfPlane(QPointF(100, 75), 0.0);
  ASSERT_TRUE(EdgeOverlay(again.surface(), QRect(QPoint(150, 110), QPoint(60, 40))));
  EXPECT_EQ(countRed(again, QRect(0, 0, 200, 150)), inside);

  EXPECT_FALSE(EdgeOverlay(picture.surface(), QRect(300, 300, 10, 10)));
}

TEST(EdgeOverlay, WholePictureCountsTheThresholdValueBrightThePortionDark) {
  // Black background, a white square and a grey square whose value is the threshold itself: the whole-
  // picture overlay counts grey >= t bright and outlines the grey square, the portion (grey > t) does not.
  TestPicture picture(120, 80, 0);
  for (int y = 20; y < 60; ++y) {
    for (int x = 20; x < 50; ++x) picture.setGrey(x, y, 255);
    for (int x = 70; x < 100; ++x) picture.setGrey(x, y, 60);
  }
  const BgrView view = picture.view();
  const Histogram h = GreyPicture(view, view.rect()).histogram();
  ASSERT_EQ(otsuThreshold(h), 60);

  TestPicture portion = picture;
  ASSERT_TRUE(EdgeOverlay(picture.surface()));
  ASSERT_TRUE(EdgeOverlay(portion.surface(), QRect(0, 0, 120, 80)));
  const QRect greySquareRim(66, 16, 38, 48);
  EXPECT_GT(countRed(picture, greySquareRim), 0);
  EXPECT_EQ(countRed(portion, greySquareRim), 0);
  EXPECT_GT(countRed(portion, QRect(16, 16, 38, 48)), 0);
}

}  // namespace
}  // namespace lumivex::detection
