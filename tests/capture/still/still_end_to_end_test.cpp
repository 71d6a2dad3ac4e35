// F2 through the whole road of a snapshot with the simulated camera: the request, the frame thread's
// message, the save and the strip. The saved JPEG must hold the very frame the handler took.
#include "app/camera_controller.h"
#include "app/main_controls.h"
#include "app/main_window.h"
#include "app/video_area.h"
#include "capture/capture_window.h"
#include "capture/frame_handler.h"
#include "capture/gst_capture_service.h"
#include "core/app_context.h"
#include "core/control_ids.h"
#include "core/scripted_prompter.h"
#include "library/thumbnail_strip.h"
#include "media/sound_player.h"
#include "tests/support/small_disk.h"
#include "tests/support/temp_home.h"
#include "tests/support/wait_until.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
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

TEST(StillEndToEnd, F2WritesTheBufferedFrameAsJpeg) {
  test::TempHome home;
  AppContext& context = AppContext::initialise();
  context.folders().resolve(context.paths().programFolder, context.paths().documentsFolder);
  context.settings().imageFormat = ImageFormat::Jpeg;
  auto previous = installPrompter(std::make_unique<ScriptedPrompter>());

  auto service = std::make_unique<RecordingCaptureService>(true);
  RecordingCaptureService* camera = service.get();
  {
    StartOptions options;
    options.demoCamera = true;
    MainWindow window(context, options, std::move(service));
    window.show();
    const bool streaming = test::waitUntil(
        [&] { return window.camera().isConnected() && !camera->GstCaptureService::bufferedFrame().isEmpty(); });
    if (!streaming) {
      installPrompter(std::move(previous));
      AppContext::shutdown();
      GTEST_SKIP() << "the simulated camera did not stream";
    }
    ThumbnailStrip* strip = window.controls().strip();
    ASSERT_NE(strip, nullptr);
    const int before = strip->pictures().count();
    QTest::keyClick(window.controls().videoArea(), Qt::Key_F2);
    ASSERT_TRUE(test::waitUntil([&] { return strip->pictures().count() == before + 1; }));

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

// A picture folder that cannot be written: F2 says "Save fail" with the system's reason, once for the
// burst, sounds no shutter and lists nothing. Writable again, the next F2 saves, lists and sounds.
TEST(StillEndToEnd, AReadOnlyPictureFolderSaysSaveFailSoundsNothingListsNothing) {
  test::TempHome home;
  AppContext& context = AppContext::initialise();
  context.folders().resolve(context.paths().programFolder, context.paths().documentsFolder);
  context.settings().imageFormat = ImageFormat::Jpeg;
  auto scripted = std::make_unique<ScriptedPrompter>();
  ScriptedPrompter* prompter = scripted.get();
  auto previous = installPrompter(std::move(scripted));
  const QString pictures = context.folders().pictureFolder();
  // Root ignores folder modes: for root the folder becomes a read-only filesystem of its own.
  std::unique_ptr<test::SmallDisk> disk = test::SmallDisk::mountAt(pictures);
  const auto setReadOnly = [&](bool readOnly) {
    if (disk) {
      ASSERT_TRUE(disk->setReadOnly(readOnly));
    } else {
      ASSERT_EQ(::chmod(QFile::encodeName(pictures).constData(), readOnly ? 0555 : 0755), 0);
    }
  };
  setReadOnly(true);

  auto service = std::make_unique<GstCaptureService>(true);
  GstCaptureService* camera = service.get();
  {
    MainWindow window(context, StartOptions{true, nullptr}, std::move(service));
    window.show();
    if (!test::waitUntil([&] { return window.camera().isConnected() && !camera->bufferedFrame().isEmpty(); })) {
      installPrompter(std::move(previous));
      AppContext::shutdown();
      GTEST_SKIP() << "the simulated camera did not stream";
    }
    ThumbnailStrip* strip = window.controls().strip();
    const int listed = strip->pictures().count();
    for (int i = 0; i < 3; ++i) QTest::keyClick(window.controls().videoArea(), Qt::Key_F2);
    ASSERT_TRUE(test::waitUntil([&] { return !prompter->records().empty(); }));
    // Every request is answered by the next frame: two more frames and all of them have arrived.
    const std::uint64_t seen = camera->window().frameHandler().framesSeen();
    ASSERT_TRUE(test::waitUntil([&] { return camera->window().frameHandler().framesSeen() > seen + 1; }));
    QCoreApplication::sendPostedEvents();
    QApplication::processEvents();

    ASSERT_EQ(prompter->records().size(), 1u);
    const QString text = prompter->records()[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Save fail\n") + pictures)) << text.toStdString();
    const QString reason = QString::fromLocal8Bit(std::strerror(disk ? EROFS : EACCES));
    EXPECT_TRUE(text.endsWith(reason)) << text.toStdString();
    EXPECT_EQ(strip->pictures().count(), listed);
    EXPECT_EQ(QDir(pictures).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_TRUE(window.sounds().requested().empty());

    setReadOnly(false);
    prompter->clearRecords();
    QTest::keyClick(window.controls().videoArea(), Qt::Key_F2);
    ASSERT_TRUE(test::waitUntil([&] { return strip->pictures().count() == listed + 1; }));
    EXPECT_EQ(window.sounds().requested(), std::vector<int>{ids::kSoundShutter});
    EXPECT_TRUE(prompter->records().empty());
  }
  installPrompter(std::move(previous));
  AppContext::shutdown();
}

}  // namespace
}  // namespace lumivex
