// F2 through the whole road of a snapshot with the simulated camera: the request, the frame thread's
// message, the save and the strip. The saved JPEG must hold the very frame the handler took.
#include "app/camera_controller.h"
#include "app/main_controls.h"
#include "app/main_window.h"
#include "app/video_area.h"
#include "capture/gst_capture_service.h"
#include "core/app_context.h"
#include "core/scripted_prompter.h"
#include "library/thumbnail_strip.h"
#include "tests/support/temp_home.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace lumivex {
namespace {

// The real service, remembering the frame the still was made from.
class RecordingCaptureService : public GstCaptureService {
 public:
  using GstCaptureService::GstCaptureService;
  QByteArray bufferedFrame() const override {
    taken = GstCaptureService::bufferedFrame();
    return taken;
  }
  mutable QByteArray taken;
};

bool waitFor(const std::function<bool()>& condition, int ms) {
  QDeadlineTimer deadline(ms);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qWait(10);
  }
  return true;
}

TEST(StillEndToEnd, F2WritesTheBufferedFrameAsJpeg) {
  test::TempHome home;
  AppContext& context = AppContext::initialise();
  context.folders().resolve(context.paths().programFolder, context.paths().documentsFolder);
  context.settings().imageFormat = 2;
  auto previous = installPrompter(std::make_unique<ScriptedPrompter>());

  auto service = std::make_unique<RecordingCaptureService>(true);
  RecordingCaptureService* camera = service.get();
  {
    MainWindow window(context, StartOptions{true}, std::move(service));
    window.show();
    const bool streaming = waitFor(
        [&] { return window.camera().isConnected() && !camera->GstCaptureService::bufferedFrame().isEmpty(); }, 15000);
    if (!streaming) {
      installPrompter(std::move(previous));
      AppContext::shutdown();
      GTEST_SKIP() << "the simulated camera did not stream";
    }
    ThumbnailStrip* strip = window.controls().strip();
    ASSERT_NE(strip, nullptr);
    const int before = strip->pictures().count();
    QTest::keyClick(window.controls().videoArea(), Qt::Key_F2);
    ASSERT_TRUE(waitFor([&] { return strip->pictures().count() == before + 1; }, 15000));

    const auto entry = strip->CurrentEntry();
    ASSERT_TRUE(entry);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/Still_\\d{4}-\\d\\d-\\d\\d_\\d{6}_100X_N0001\\.jpg$"))
                    .match(entry->path)
                    .hasMatch())
        << entry->path.toStdString();

    const QByteArray dib = camera->taken;
    ASSERT_GT(dib.size(), 40);
    qint32 width = 0;
    qint32 height = 0;
    std::memcpy(&width, dib.constData() + 4, 4);
    std::memcpy(&height, dib.constData() + 8, 4);
    const QImage saved(entry->path);
    ASSERT_EQ(saved.size(), QSize(width, height));
    const int stride = ((width * 3 + 3) / 4) * 4;
    const auto* rows = reinterpret_cast<const uchar*>(dib.constData()) + 40;
    double error = 0;
    int samples = 0;
    for (int y = 0; y < height; y += 9) {
      for (int x = 0; x < width; x += 9) {
        const uchar* p = rows + static_cast<qsizetype>(height - 1 - y) * stride + x * 3;
        const QRgb s = saved.pixel(x, y);
        error += std::abs(qBlue(s) - p[0]) + std::abs(qGreen(s) - p[1]) + std::abs(qRed(s) - p[2]);
        samples += 3;
      }
    }
    EXPECT_LT(error / samples, 6.0);  // quality 90 loses little; another frame or a flipped one loses much more
  }
  installPrompter(std::move(previous));
  AppContext::shutdown();
}

}  // namespace
}  // namespace lumivex
