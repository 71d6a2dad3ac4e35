#pragma once

// A main window with a fake camera streaming a chosen frame, for the live measuring tests: command ids
// and mouse events on the video area, prompts answered through a ScriptedPrompter.
#include "app/live_tools_controller.h"
#include "app/live_view.h"
#include "app/main_controls.h"
#include "app/main_window.h"
#include "app/video_area.h"
#include "capture/demo_scene.h"
#include "core/app_context.h"
#include "core/app_events.h"
#include "core/capture_state.h"
#include "core/scripted_prompter.h"
#include "core/settings.h"
#include "measure/calibration_state.h"
#include "tests/app/fake_capture_service.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/temp_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>

#include <cstring>
#include <memory>

namespace lumivex::test {

// A DIB of a picture: the 40-byte header and bottom-up 24-bit rows.
inline QByteArray dibOfPicture(const QImage& picture) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  const int stride = ((rgb.width() * 3 + 3) / 4) * 4;
  QByteArray dib(40 + stride * rgb.height(), '\0');
  auto put = [&dib](int offset, qint32 value) { std::memcpy(dib.data() + offset, &value, 4); };
  put(0, 40);
  put(4, rgb.width());
  put(8, rgb.height());
  const quint16 planes = 1, bits = 24;
  std::memcpy(dib.data() + 12, &planes, 2);
  std::memcpy(dib.data() + 14, &bits, 2);
  put(20, stride * rgb.height());
  for (int y = 0; y < rgb.height(); ++y) {
    const uchar* src = rgb.constScanLine(y);
    uchar* dst = reinterpret_cast<uchar*>(dib.data()) + 40 + static_cast<qsizetype>(rgb.height() - 1 - y) * stride;
    for (int x = 0; x < rgb.width(); ++x) {
      dst[x * 3] = src[x * 3 + 2];
      dst[x * 3 + 1] = src[x * 3 + 1];
      dst[x * 3 + 2] = src[x * 3];
    }
  }
  return dib;
}

class LiveWindowFixture : public MainWindowFixture {
 protected:
  // The frame the fake camera hands out; the capture size follows it.
  virtual QImage frame() const { return DemoScene::specimen(QSize(640, 480)); }

  void SetUp() override {
    MainWindowFixture::SetUp();
    const QImage picture = frame();
    captureState().width = picture.width();
    captureState().height = picture.height();
    calibrationState().unitName.assign(QStringLiteral("mm"));
    calibrationState().decimals = 3;
    openWindow(
        {.result = CaptureService::ConnectResult::Connected, .fakeRecorder = false, .frameDib = dibOfPicture(picture)});
    ASSERT_TRUE(waitUntil([this] { return capture_->running; }));
  }
  void TearDown() override {
    MainWindowFixture::TearDown();
    captureState().width = 640;
    captureState().height = 480;
  }

  LiveView& view() { return window_->liveView(); }
  VideoArea* area() { return window_->controls().videoArea(); }
  void command(int id) { ASSERT_TRUE(window_->dispatchCommand(id)); }
  void click(QPoint p) {
    QTest::mouseMove(area(), p);
    QTest::mouseClick(area(), Qt::LeftButton, {}, p);
  }
  // Chooses a tool and delivers the measurement frame it asks for.
  void chooseTool(int id) {
    const int before = capture_->stills;
    command(id);
    if (capture_->stills > before) {
      postAppEvent<StillReadyEvent>(window_.get(), StillKind::Command);
      ASSERT_TRUE(waitUntil([this] { return view().hasMeasurementFrame(); }));
    }
  }
};

}  // namespace lumivex::test
