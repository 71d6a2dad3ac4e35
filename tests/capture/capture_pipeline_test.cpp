// The capture graph driven end to end with the simulated camera through the real GStreamer pipeline.
#include "capture/capture_window.h"
#include "capture/demo_camera.h"
#include "capture/demo_camera_hub.h"
#include "capture/gst_capture_service.h"
#include "tests/capture/capture_test_support.h"
#include "tests/support/temp_home.h"

#include "core/app_context.h"
#include "core/control_ids.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QtEndian>

#include <atomic>
#include <optional>
#include <set>
#include <thread>

namespace lumivex {
namespace {

using test::MessageLog;
using test::waitFor;

using CapturePipelineTest = test::DemoCameraTest;

std::uint32_t rowStamp(const QByteArray& pixels, int stride, int row) {
  return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(pixels.constData()) +
                                    static_cast<qsizetype>(row) * stride);
}

TEST_F(CapturePipelineTest, FramesArriveAtEachPresetSizeAndRateClassFollows) {
  DemoCameraHub::instance().addCamera(QStringLiteral("Lumivex Demo Camera"));
  MessageLog log;
  GstCaptureService service(true);
  service.setReceiver(&log);
  ASSERT_EQ(service.connectDevice(), CaptureService::ConnectResult::Connected);
  CaptureWindow& w = service.window();
  EXPECT_TRUE(w.highResolutionModel());
  EXPECT_EQ(w.captureSize(), QSize(1600, 1200));  // no CapConfig.dat yet
  EXPECT_EQ(w.rateClass(), 5);

  const struct {
    CaptureService::SizePreset preset;
    QSize size;
    int rateClass;
  } cases[] = {{CaptureService::SizePreset::Small, {640, 480}, 15},
               {CaptureService::SizePreset::Medium, {1280, 960}, 14},
               {CaptureService::SizePreset::Large, {1600, 1200}, 5}};
  for (const auto& c : cases) {
    service.setCaptureSize(c.preset);
    EXPECT_EQ(service.rateClass(), c.rateClass);
    // Frames of the old size may still be on their way: wait for the first of the new size.
    BufferedFrame frame;
    ASSERT_TRUE(waitFor([&] {
      return w.frameBuffer().copyTo(frame) && QSize(frame.header.width, frame.header.height) == c.size &&
             !service.composedFrame().isNull();
    })) << c.size.width();
    EXPECT_EQ(frame.pixels.size(), c.size.width() * c.size.height() * 3);
    EXPECT_EQ(service.composedFrame().size(), QSize(640, 480));
    // Each size change is stored.
    const auto stored = CapConfig::read(capConfigPath());
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(QSize(stored->width(), stored->height()), c.size);
  }
}

TEST_F(CapturePipelineTest, StoredFormatIsUsedOnTheNextStart) {
  DemoCameraHub::instance().addCamera(QStringLiteral("Lumivex Demo Camera"));
  ASSERT_TRUE(CapConfig::defaultFormat(640, 480).write(capConfigPath()));
  GstCaptureService service(true);
  MessageLog log;
  service.setReceiver(&log);
  ASSERT_EQ(service.connectDevice(), CaptureService::ConnectResult::Connected);
  EXPECT_EQ(service.window().captureSize(), QSize(640, 480));
  EXPECT_EQ(service.rateClass(), 15);
}

TEST_F(CapturePipelineTest, StillsUnderLoadAreNeverTorn) {
  auto camera = DemoCameraHub::instance().addCamera(QStringLiteral("Lumivex Demo Camera"));
  camera->setStampFrameNumber(true);
  MessageLog log;
  GstCaptureService service(true);
  service.setReceiver(&log);
  ASSERT_EQ(service.connectDevice(), CaptureService::ConnectResult::Connected);
  CaptureWindow& w = service.window();
  ASSERT_TRUE(waitFor([&] { return w.frameHandler().framesSeen() > 3; }));

  // A reader hammering the buffer on another thread must only ever see whole frames too.
  std::atomic<bool> stop{false};
  std::atomic<int> tornByReader{0};
  std::thread reader([&] {
    BufferedFrame f;
    while (!stop.load()) {
      if (!w.frameBuffer().copyTo(f)) continue;
      const int stride = FrameHeader::stride(f.header.width);
      const auto first = rowStamp(f.pixels, stride, 0);
      for (int y = 1; y < f.header.height; ++y)
        if (rowStamp(f.pixels, stride, y) != first) {
          tornByReader.fetch_add(1);
          break;
        }
    }
  });
  // The still is the frame buffered before the one that answers the request, and the answering frame is
  // not buffered: a request made before a new frame was buffered gets the same still again. So each
  // request waits until the buffer holds a frame the previous still was not.
  const auto bufferedNumber = [&w]() -> std::optional<std::uint32_t> {
    BufferedFrame f;
    if (!w.frameBuffer().copyTo(f)) return std::nullopt;
    return rowStamp(f.pixels, FrameHeader::stride(f.header.width), 0);
  };
  std::set<std::uint32_t> stills;
  for (int i = 0; i < 8; ++i) {
    if (!stills.empty()) {
      ASSERT_TRUE(waitFor([&] {
        const auto buffered = bufferedNumber();
        return buffered && stills.count(*buffered) == 0;
      }));
    }
    const int before = log.count(msg::kStillReady);
    service.requestStill(StillKind::Command);
    ASSERT_TRUE(waitFor([&] { return log.count(msg::kStillReady) > before; }));
    const QByteArray dib = service.bufferedFrame();
    ASSERT_GT(dib.size(), FrameHeader::kBytes);
    const QByteArray pixels = dib.mid(FrameHeader::kBytes);
    const int stride = FrameHeader::stride(1600);
    ASSERT_EQ(pixels.size(), stride * 1200);
    const auto number = rowStamp(pixels, stride, 0);
    for (int y = 1; y < 1200; ++y) ASSERT_EQ(rowStamp(pixels, stride, y), number) << "row " << y;
    stills.insert(number);
  }
  stop.store(true);
  reader.join();
  EXPECT_EQ(tornByReader.load(), 0);
  EXPECT_EQ(stills.size(), 8u);
}

TEST_F(CapturePipelineTest, SnapshotKeyGrabberExistsOnlyWhileEnabled) {
  auto camera = DemoCameraHub::instance().addCamera(QStringLiteral("Lumivex Demo Camera"));
  AppContext::current().settings().enableSnap = false;
  MessageLog log;
  GstCaptureService service(true);
  service.setReceiver(&log);
  ASSERT_EQ(service.connectDevice(), CaptureService::ConnectResult::Connected);
  CaptureWindow& w = service.window();
  EXPECT_TRUE(w.hasElement(QStringLiteral("StillGrabber")));
  EXPECT_FALSE(w.hasElement(QStringLiteral("SampleGrabber")));
  EXPECT_FALSE(camera->pressSnapshotKey());

  service.setSnapshotKeyEnabled(true);
  EXPECT_TRUE(w.hasElement(QStringLiteral("SampleGrabber")));
  EXPECT_TRUE(w.running());
  EXPECT_TRUE(AppContext::current().settings().enableSnap);

  ASSERT_TRUE(waitFor([&] { return w.frameHandler().framesSeen() > 2; }));
  EXPECT_TRUE(camera->pressSnapshotKey());
  ASSERT_TRUE(waitFor([&] { return log.count(msg::kStillReady) == 1; }));
  for (const auto& m : log.messages) {
    if (m.first == msg::kStillReady) {
      EXPECT_EQ(m.second, 1);
    }
  }

  service.setSnapshotKeyEnabled(false);
  EXPECT_FALSE(w.hasElement(QStringLiteral("SampleGrabber")));
  EXPECT_FALSE(camera->pressSnapshotKey());
}

TEST_F(CapturePipelineTest, UnplugAndReplugDriveReconnection) {
  DemoCameraHub& hub = DemoCameraHub::instance();
  hub.addCamera(QStringLiteral("Lumivex Demo Camera"));
  hub.addCamera(QStringLiteral("Lumivex Demo Camera 2"));
  MessageLog log;
  GstCaptureService service(true);
  service.setReceiver(&log);
  ASSERT_EQ(service.connectDevice(), CaptureService::ConnectResult::Connected);
  EXPECT_EQ(service.deviceName(), QStringLiteral("Lumivex Demo Camera"));

  // The main window's reconnection: re-initialise a running graph, else rebuild.
  auto reconnect = [&service] {
    if (service.reinitialiseIfRunning()) return CaptureService::ConnectResult::Connected;
    service.stop();
    const auto result = service.connectDevice();
    if (result != CaptureService::ConnectResult::Connected) service.release();
    return result;
  };

  ASSERT_TRUE(hub.unplug(0));
  ASSERT_TRUE(waitFor([&] { return log.count(msg::kDeviceChange) >= 1; }));
  EXPECT_EQ(log.messages.back(), std::make_pair(msg::kDeviceChange, 2));
  EXPECT_EQ(reconnect(), CaptureService::ConnectResult::Connected);
  EXPECT_EQ(service.deviceName(), QStringLiteral("Lumivex Demo Camera 2"));
  const auto frames = service.window().frameHandler().framesSeen();
  EXPECT_TRUE(waitFor([&] { return service.window().frameHandler().framesSeen() > frames + 2; }));

  ASSERT_TRUE(hub.unplug(1));
  EXPECT_EQ(reconnect(), CaptureService::ConnectResult::Failed);
  EXPECT_FALSE(service.isRunning());

  const int changes = log.count(msg::kDeviceChange);
  ASSERT_TRUE(hub.replug(0));
  ASSERT_TRUE(waitFor([&] { return log.count(msg::kDeviceChange) > changes; }));
  EXPECT_EQ(log.messages.back(), std::make_pair(msg::kDeviceChange, 1));
  EXPECT_EQ(reconnect(), CaptureService::ConnectResult::Connected);
  EXPECT_EQ(service.deviceName(), QStringLiteral("Lumivex Demo Camera"));
}

TEST_F(CapturePipelineTest, NoCameraFailsTheConnection) {
  MessageLog log;
  GstCaptureService service(false);  // this machine has no real camera
  service.setReceiver(&log);
  EXPECT_EQ(service.connectDevice(), CaptureService::ConnectResult::Failed);
  EXPECT_EQ(service.window().procAmp(), nullptr);
  EXPECT_TRUE(service.composedFrame().isNull());
  EXPECT_TRUE(service.bufferedFrame().isEmpty());
}

TEST_F(CapturePipelineTest, OtherModelCameraGetsTheOtherPresets) {
  DemoCameraHub::instance().addCamera(QStringLiteral("Low"), false);
  MessageLog log;
  GstCaptureService service(true);
  service.setReceiver(&log);
  ASSERT_EQ(service.connectDevice(), CaptureService::ConnectResult::Connected);
  CaptureWindow& w = service.window();
  EXPECT_FALSE(w.highResolutionModel());
  EXPECT_EQ(w.captureSize(), QSize(1280, 1024));
  service.setCaptureSize(CaptureService::SizePreset::Small);
  EXPECT_EQ(w.captureSize(), QSize(320, 240));
  EXPECT_EQ(service.rateClass(), 15);
  // Frames of the old size may still be on their way; one of the new size must follow.
  EXPECT_TRUE(waitFor([&] { return w.frameHandler().header().width == 320; }));
}

}  // namespace
}  // namespace lumivex
