// A 1280 x 1024 frame is shown 512 video rows tall: cut to 480 rows in the normal window, whole on the
// full screen, and the overlays follow the rows as drawn (height / 512 there, height / 480 otherwise).
#include "capture/frame_composer.h"
#include "core/frame_overlay.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace lumivex {
namespace {

// 24-bit rows whose blue and green hold the row number (low and high byte).
std::vector<std::uint8_t> numberedRows(int width, int height) {
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = frame.data() + (static_cast<std::size_t>(y) * width + x) * 3;
      p[0] = static_cast<std::uint8_t>(y & 0xff);
      p[1] = static_cast<std::uint8_t>(y >> 8);
      p[2] = 0;
    }
  }
  return frame;
}

int rowShown(const QImage& image, int y) { return qBlue(image.pixel(5, y)) | (qGreen(image.pixel(5, y)) << 8); }

struct ScaleProbe : FrameOverlay {
  double sx = 0, sy = 0;
  void draw(QPainter&, const QSize&, double scaleX, double scaleY) override {
    sx = scaleX;
    sy = scaleY;
  }
};

TEST(FullScreenFrameTest, TallFramesFitTheFullScreenAndOverlaysFollow) {
  struct Case {
    QSize frame;
    QSize area;
    bool fullScreen;
    double sx, sy;
    int bottomRow;  // the frame row shown in the area's last row
  };
  const Case cases[] = {
      {{1280, 1024}, {640, 480}, false, 1.0, 1.0, 479 * 1024 / 512},
      {{1280, 1024}, {1280, 1024}, true, 2.0, 2.0, 1023},
      {{1280, 1024}, {1920, 1080}, true, 3.0, 2.109375, 1079 * 1024 / 1080},
      {{1280, 960}, {1920, 1080}, true, 3.0, 2.25, 1079 * 960 / 1080},
      {{1600, 1200}, {640, 480}, false, 1.0, 1.0, 479 * 1200 / 480},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.frame.height() << " on " << c.area.width() << "x" << c.area.height());
    FrameComposer composer;
    auto probe = std::make_shared<ScaleProbe>();
    composer.setLiveOverlay(probe);
    // As the capture window sets them on entering and leaving full screen.
    composer.setArea(c.area, !c.fullScreen);
    composer.setFullScreen(c.fullScreen);
    composer.setScale(c.area.width() / 640.0, c.area.height() / 480.0);
    const auto f = numberedRows(c.frame.width(), c.frame.height());
    composer.compose(f.data(), c.frame.width(), c.frame.height(), c.frame.width() * 3);
    const QImage shown = composer.latest();
    ASSERT_EQ(shown.size(), c.area);
    EXPECT_EQ(rowShown(shown, 0), 0);
    EXPECT_EQ(rowShown(shown, c.area.height() - 1), c.bottomRow);
    EXPECT_DOUBLE_EQ(probe->sx, c.sx);
    EXPECT_DOUBLE_EQ(probe->sy, c.sy);
  }
}

}  // namespace
}  // namespace lumivex
