// The frame path with its two real threads: a producer plays the streaming thread while the GUI thread
// changes everything the main window changes during a live session. Built with
// -DLUMIVEX_SANITIZE=thread (scripts/tsan) this is the data-race check of the frame path; in the normal
// build it checks that nothing handed across threads is ever half-written.
#include "capture/frame_buffer.h"
#include "capture/frame_composer.h"
#include "capture/frame_handler.h"
#include "capture/still_request.h"
#include "tests/capture/capture_test_support.h"

#include "core/control_ids.h"
#include "core/frame_overlay.h"
#include "core/frame_sink.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace lumivex {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFrames = 300;

// Every byte of a frame is its number (mod 256), so a torn copy shows two numbers.
bool uniform(const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 1; i < size; ++i)
    if (data[i] != data[0]) return false;
  return true;
}

// A recording as the frame thread feeds it: checks each frame whole and in order.
class CheckingSink : public FrameSink {
 public:
  void writeFrame(const std::uint8_t* topDown, int width, int height, int stride, std::int64_t sampleTime) override {
    if (width != kWidth || height != kHeight || sampleTime <= last_ ||
        !uniform(topDown, static_cast<std::size_t>(stride) * kHeight))
      faults.fetch_add(1);
    last_ = sampleTime;
    frames.fetch_add(1);
  }
  std::atomic<int> frames{0};
  std::atomic<int> faults{0};

 private:
  std::int64_t last_ = 0;  // frame thread only
};

// A live overlay drawn on the frame thread from state fixed at construction.
class BoxOverlay : public FrameOverlay {
 public:
  explicit BoxOverlay(QColor color) : color_(color) {}
  void draw(QPainter& painter, const QSize&, double scaleX, double scaleY) override {
    painter.fillRect(QRectF(10 * scaleX, 10 * scaleY, 20 * scaleX, 20 * scaleY), color_);
    draws.fetch_add(1);
  }
  std::atomic<int> draws{0};

 private:
  const QColor color_;
};

TEST(FramePathThreadsTest, GuiChangesDuringALiveStreamRaceWithNothing) {
  test::MessageLog log;
  FrameBuffer buffer;
  StillRequest request;
  FrameComposer composer;
  FrameHandler handler(buffer, request, composer);
  handler.setReceiver(&log);
  std::atomic<int> repaints{0};
  handler.setListener([&repaints] { repaints.fetch_add(1); });

  // One still is asked for before the stream starts, so the first frame answers at least one.
  request.set(StillKind::Command);
  int requests = 1;
  std::atomic<bool> done{false};
  std::thread producer([&] {
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(kWidth) * 3 * kHeight);
    for (int n = 1; n <= kFrames; ++n) {
      std::fill(frame.begin(), frame.end(), static_cast<std::uint8_t>(n & 0xff));
      handler.onFrame(frame.data(), kWidth, kHeight, kWidth * 3, n);
    }
    done.store(true);
  });

  // The GUI thread's side of a session, repeated until the stream ends: stills, the two switches, a
  // recording started and stopped, overlays replaced, full screen on and off, and the reads a repaint
  // and a still make.
  int tornCopies = 0;
  int wrongSizes = 0;
  auto sink = std::make_shared<CheckingSink>();
  auto overlay = std::make_shared<BoxOverlay>(Qt::green);
  BufferedFrame copy;
  int round = 0;
  do {
    if (round % 7 == 6) {
      request.set(round % 14 == 0 ? StillKind::Command : StillKind::SnapshotKey);
      ++requests;
    }
    composer.setCrosshair(round % 2 == 0);
    composer.setTimeStamp(round % 3 == 0);
    composer.setRecordingSeconds(round % 60);
    handler.setRecorder(round % 4 < 2 ? sink : nullptr);
    composer.setLiveOverlay(round % 5 == 0 ? nullptr : overlay);
    composer.setComparisonOverlay(round % 6 == 0 ? std::make_shared<BoxOverlay>(Qt::red) : nullptr);
    const bool full = round % 10 >= 5;
    composer.setArea(full ? QSize(800, 600) : QSize(640, 480), !full);
    composer.setScale(full ? 1.25 : 1.0, full ? 1.25 : 1.0);

    if (buffer.copyTo(copy)) {
      if (copy.header.width != kWidth || !uniform(reinterpret_cast<const std::uint8_t*>(copy.pixels.constData()),
                                                  static_cast<std::size_t>(copy.pixels.size())))
        ++tornCopies;
    }
    const QImage picture = composer.latest();
    if (!picture.isNull() && picture.size() != QSize(640, 480) && picture.size() != QSize(800, 600)) ++wrongSizes;
    (void)handler.header();
    (void)handler.framesSeen();
    ++round;
  } while (!done.load());
  producer.join();
  handler.setRecorder(nullptr);

  EXPECT_EQ(tornCopies, 0);
  EXPECT_EQ(wrongSizes, 0);
  EXPECT_EQ(sink->faults.load(), 0);
  EXPECT_EQ(handler.framesSeen(), static_cast<std::uint64_t>(kFrames));
  EXPECT_EQ(repaints.load(), kFrames);
  // Every still the frame thread answered was asked for, and each answer reaches the window.
  QCoreApplication::sendPostedEvents();
  EXPECT_LE(log.count(msg::kStillReady), requests);
  EXPECT_GE(log.count(msg::kStillReady), 1);
}

}  // namespace
}  // namespace lumivex
