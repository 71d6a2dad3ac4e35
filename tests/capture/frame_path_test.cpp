// The frame path on synthetic frames: buffering, still requests, composition.
#include "capture/frame_buffer.h"
#include "capture/frame_composer.h"
#include "capture/frame_handler.h"
#include "capture/still_request.h"
#include "tests/capture/capture_test_support.h"

#include "core/control_ids.h"
#include "core/frame_overlay.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <vector>

namespace lumivex {
namespace {

// A top-down BGR frame whose every byte of row y is (y + seed) mod 256.
std::vector<std::uint8_t> rowsFrame(int width, int height, int seed) {
  std::vector<std::uint8_t> f(static_cast<std::size_t>(width) * 3 * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    std::fill_n(f.begin() + static_cast<std::ptrdiff_t>(y) * width * 3, width * 3,
                static_cast<std::uint8_t>((y + seed) & 0xff));
  return f;
}

struct Path {
  FrameBuffer buffer;
  StillRequest request;
  FrameComposer composer;
  FrameHandler handler{buffer, request, composer};
  void feed(int width, int height, int seed) {
    const auto f = rowsFrame(width, height, seed);
    handler.onFrame(f.data(), width, height, width * 3, seed);
  }
};

TEST(FramePathTest, StillRequestSkipsBufferingExactlyOneFrame) {
  test::MessageLog log;
  Path p;
  p.handler.setReceiver(&log);
  p.feed(64, 48, 1);
  p.feed(64, 48, 2);
  p.request.set(StillKind::Command);
  p.request.set(StillKind::SnapshotKey);  // merged: the later kind wins
  p.feed(64, 48, 3);                      // sees the request: not buffered
  BufferedFrame f;
  ASSERT_TRUE(p.buffer.copyTo(f));
  EXPECT_EQ(f.sampleTime, 2);
  ASSERT_TRUE(test::waitFor([&] { return log.count(msg::kStillReady) == 1; }));
  EXPECT_EQ(log.messages.front().second, 1);
  p.feed(64, 48, 4);
  ASSERT_TRUE(p.buffer.copyTo(f));
  EXPECT_EQ(f.sampleTime, 4);
  QCoreApplication::processEvents();
  EXPECT_EQ(log.count(msg::kStillReady), 1);
}

TEST(FramePathTest, BufferIsBottomUpAndGrowsButNeverShrinks) {
  Path p;
  p.feed(20, 10, 0);
  BufferedFrame f;
  ASSERT_TRUE(p.buffer.copyTo(f));
  const int stride = FrameHeader::stride(20);
  EXPECT_EQ(stride, 60);
  EXPECT_EQ(static_cast<unsigned char>(f.pixels[0]), 9);  // first stored row is the bottom one
  EXPECT_EQ(static_cast<unsigned char>(f.pixels[9 * stride]), 0);
  EXPECT_EQ(f.header.sizeImage, 20u * 10u * 3u);
  EXPECT_EQ(f.header.bitCount, 24);
  p.feed(40, 30, 0);
  const auto grown = p.buffer.capacity();
  p.feed(20, 10, 0);
  EXPECT_EQ(p.buffer.capacity(), grown);
  EXPECT_EQ(p.buffer.length(), 600u);

  // A 5-pixel-wide frame has padded rows (16 bytes for 15).
  p.feed(5, 2, 0);
  ASSERT_TRUE(p.buffer.copyTo(f));
  EXPECT_EQ(f.pixels.size(), 32);
}

TEST(FramePathTest, TallFrameIsStretchedThirtyTwoLinesBeyondTheArea) {
  const struct {
    QSize frame;
    int bottomSourceRow;
  } cases[] = {{{1280, 1024}, 479 * 1024 / 512}, {{1280, 960}, 479 * 960 / 480}, {{640, 480}, 479}};
  for (const auto& c : cases) {
    FrameComposer composer;
    const auto f = rowsFrame(c.frame.width(), c.frame.height(), 0);
    composer.compose(f.data(), c.frame.width(), c.frame.height(), c.frame.width() * 3);
    const QImage img = composer.latest();
    ASSERT_EQ(img.size(), QSize(640, 480));
    EXPECT_EQ(qBlue(img.pixel(10, 479)), c.bottomSourceRow & 0xff) << c.frame.height();
    EXPECT_EQ(qBlue(img.pixel(10, 0)), 0);
  }
}

TEST(FramePathTest, CrosshairTimeStampAndOverlaysAreDrawnInOrder) {
  struct Marker : FrameOverlay {
    QColor colour;
    explicit Marker(QColor c) : colour(c) {}
    void draw(QPainter& painter, const QSize&, double sx, double) override {
      painter.fillRect(QRect(0, 0, static_cast<int>(8 * sx), 8), colour);
    }
  };
  FrameComposer composer;
  composer.setLiveOverlay(std::make_shared<Marker>(Qt::red));
  const auto f = rowsFrame(640, 480, 0);
  composer.compose(f.data(), 640, 480, 640 * 3);
  QImage img = composer.latest();
  EXPECT_EQ(img.pixel(2, 2), QColor(Qt::red).rgb());
  EXPECT_NE(img.pixel(320, 100), 0xffffffffu);

  composer.setCrosshair(true);
  composer.setTimeStamp(true);
  composer.setComparisonOverlay(std::make_shared<Marker>(Qt::green));  // drawn after, so it wins
  composer.compose(f.data(), 640, 480, 640 * 3);
  img = composer.latest();
  EXPECT_EQ(img.pixel(320, 100), 0xffffffffu);
  EXPECT_EQ(img.pixel(100, 240), 0xffffffffu);
  EXPECT_EQ(img.pixel(2, 2), QColor(Qt::green).rgb());
  // The time stamp's white box sits 14 lines above the bottom at x 0.
  EXPECT_EQ(img.pixel(0, 480 - 14), 0xffffffffu);
}

TEST(FramePathTest, APictureHeldByThePainterIsNeverOverwritten) {
  FrameComposer composer;
  const auto a = rowsFrame(640, 480, 10);
  const auto b = rowsFrame(640, 480, 20);
  composer.compose(a.data(), 640, 480, 640 * 3);
  const QImage held = composer.latest();
  for (int i = 0; i < 5; ++i) composer.compose(b.data(), 640, 480, 640 * 3);
  EXPECT_EQ(qBlue(held.pixel(0, 0)), 10);
  EXPECT_EQ(qBlue(composer.latest().pixel(0, 0)), 20);
}

TEST(FramePathTest, LeavingFullScreenShowsBlackUntilTheNextFrame) {
  FrameComposer composer;
  const auto a = rowsFrame(640, 480, 100);
  composer.compose(a.data(), 640, 480, 640 * 3);
  composer.setArea(QSize(1024, 768), false);
  composer.compose(a.data(), 640, 480, 640 * 3);
  EXPECT_EQ(composer.latest().size(), QSize(1024, 768));
  composer.setArea(QSize(640, 480), true);
  EXPECT_EQ(composer.latest().size(), QSize(640, 480));
  EXPECT_EQ(composer.latest().pixel(5, 5), 0xff000000u);
}

}  // namespace
}  // namespace lumivex
