#include "capture/recorder/compressor_probe.h"
#include "capture/recorder/jpeg_frame_info.h"
#include "capture/recorder/timelapse_builder.h"
#include "image/cx_image.h"
#include "tests/capture/recorder/media_probe.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

QString writeStill(const QString& path, QSize size, QColor colour) {
  QImage picture(size, QImage::Format_RGB888);
  picture.fill(colour);
  CxImage image;
  EXPECT_TRUE(image.CreateFromQImage(picture));
  const bool jpeg = path.endsWith(QLatin1String(".jpg"));
  EXPECT_TRUE(image.Save(path, jpeg ? CxImage::kTypeJpg : CxImage::kTypeBmp));
  return path;
}

TEST(Timelapse, OneFramePerReadableStillAtTheChosenRate) {
  QTemporaryDir dir;
  TimelapseJob job;
  job.stills << writeStill(dir.filePath(QStringLiteral("a.jpg")), {640, 480}, Qt::red)
             << writeStill(dir.filePath(QStringLiteral("b.jpg")), {640, 480}, Qt::green)
             << dir.filePath(QStringLiteral("missing.jpg"))
             << writeStill(dir.filePath(QStringLiteral("c.bmp")), {320, 240}, Qt::blue)  // scaled up
             << writeStill(dir.filePath(QStringLiteral("d.jpg")), {640, 480}, Qt::white);
  ASSERT_TRUE(test::writeBytes(dir.filePath(QStringLiteral("broken.jpg")), QByteArray(500, 'x')));
  job.stills << dir.filePath(QStringLiteral("broken.jpg"));
  job.output = dir.filePath(QStringLiteral("out.avi"));
  job.fps = 7;
  job.options.handler = QStringLiteral("MJPG");

  std::vector<std::pair<int, int>> progress;
  const TimelapseResult result =
      TimelapseBuilder::build(job, [&](int done, int total) { progress.emplace_back(done, total); });
  ASSERT_TRUE(result.ok()) << result.error.toStdString();
  EXPECT_EQ(result.framesWritten, 4);
  EXPECT_EQ(result.unreadable,
            QStringList({dir.filePath(QStringLiteral("missing.jpg")), dir.filePath(QStringLiteral("broken.jpg"))}));
  ASSERT_EQ(progress.size(), 6u);
  EXPECT_EQ(progress.back(), std::make_pair(6, 6));

  const test::ProbedVideo v = test::probeVideo(job.output);
  EXPECT_EQ(v.codec, QStringLiteral("mjpeg"));
  EXPECT_EQ(v.width, 640);
  EXPECT_EQ(v.height, 480);
  EXPECT_EQ(v.rate, QStringLiteral("7/1"));
  EXPECT_EQ(v.readFrames, 4);
  EXPECT_EQ(v.headerFrames, 4);
  const auto rgb = test::firstFrameRgb(job.output);
  ASSERT_FALSE(rgb.empty());
  EXPECT_GT(rgb[0], 230);
  EXPECT_LT(rgb[1], 30);
  EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden).size(), 0);
  // JPEG stills went in as they were, the BMP was compressed: both kinds play.
  QString gstError;
  EXPECT_TRUE(test::gstreamerPlays(job.output, &gstError)) << gstError.toStdString();
}

QByteArray segment(unsigned char marker, const QByteArray& body) {
  QByteArray s;
  s.append(char(0xFF)).append(char(marker));
  const int length = static_cast<int>(body.size()) + 2;
  s.append(char(length >> 8)).append(char(length & 0xFF)).append(body);
  return s;
}

QByteArray frameHeader(int precision, int height, int width, int components) {
  QByteArray b;
  b.append(char(precision)).append(char(height >> 8)).append(char(height & 0xFF));
  b.append(char(width >> 8)).append(char(width & 0xFF)).append(char(components));
  for (int c = 0; c < components; ++c) b.append(char(c + 1)).append(char(0x11)).append(char(0));
  return b;
}

TEST(Timelapse, WhichJpegPicturesAMotionJpegStreamTakesAsTheyAre) {
  const QByteArray soi("\xFF\xD8", 2);
  const QByteArray app0 = segment(0xE0, QByteArray("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
  const struct {
    const char* what;
    QByteArray bytes;
    std::optional<QSize> size;
  } cases[] = {
      {"baseline", soi + app0 + segment(0xC0, frameHeader(8, 1200, 1600, 3)), QSize(1600, 1200)},
      {"extended sequential", soi + segment(0xC1, frameHeader(8, 480, 640, 3)), QSize(640, 480)},
      {"fill bytes before a marker", soi + QByteArray("\xFF", 1) + segment(0xC0, frameHeader(8, 2, 4, 3)), QSize(4, 2)},
      {"progressive", soi + segment(0xC2, frameHeader(8, 480, 640, 3)), std::nullopt},
      {"12 bits", soi + segment(0xC1, frameHeader(12, 480, 640, 3)), std::nullopt},
      {"grey", soi + segment(0xC0, frameHeader(8, 480, 640, 1)), std::nullopt},
      {"arithmetic", soi + segment(0xC9, frameHeader(8, 480, 640, 3)), std::nullopt},
      {"truncated header", (soi + segment(0xC0, frameHeader(8, 480, 640, 3))).left(10), std::nullopt},
      {"scan before a frame header", soi + segment(0xDA, QByteArray(10, 0)), std::nullopt},
      {"not a JPEG", QByteArray("BM\0\0\0\0", 6), std::nullopt},
      {"empty", QByteArray(), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(motionJpegFrameSize(c.bytes), c.size) << c.what;

  // The pictures this program writes qualify.
  QTemporaryDir dir;
  const QString still = writeStill(dir.filePath(QStringLiteral("s.jpg")), {1600, 1200}, Qt::red);
  EXPECT_EQ(motionJpegFrameSize(test::readBytes(still)), QSize(1600, 1200));
}

TEST(Timelapse, FailuresAndCancelLeaveExistingFilesAlone) {
  QTemporaryDir dir;
  const QString still = writeStill(dir.filePath(QStringLiteral("a.jpg")), {64, 48}, Qt::red);
  const QString existing = dir.filePath(QStringLiteral("existing.avi"));
  ASSERT_TRUE(test::writeBytes(existing, "keep me"));
  std::atomic<bool> cancelled{true};
  const struct {
    const char* what;
    TimelapseJob job;
    const std::atomic<bool>* cancel;
  } cases[] = {
      {"cancelled", {{still, still}, existing, 10, {}}, &cancelled},
      {"nothing readable", {{dir.filePath(QStringLiteral("none.jpg"))}, existing, 10, {}}, nullptr},
      {"no stills", {{}, existing, 10, {}}, nullptr},
      {"rate out of range", {{still}, existing, 0, {}}, nullptr},
      {"unknown compressor", {{still}, existing, 10, {QStringLiteral("ZZZZ"), -1}}, nullptr},
      {"missing folder", {{still}, dir.filePath(QStringLiteral("no/out.avi")), 10, {}}, nullptr},
  };
  for (const auto& c : cases) {
    const TimelapseResult result = TimelapseBuilder::build(c.job, {}, c.cancel);
    EXPECT_FALSE(result.ok()) << c.what;
    EXPECT_EQ(test::readBytes(existing), QByteArray("keep me")) << c.what;
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(CompressorProbe, TestsInAScratchFileAndReplacesOptionsOnlyOnSuccess) {
  QTemporaryDir dir;
  const QString folder = dir.filePath(QStringLiteral("Video"));  // missing: made as stills do
  const CompressionOptions before = CompressionSettings::current();
  EXPECT_EQ(CompressorProbe::test(folder, {1600, 1200}, 5, {}), QString());
  EXPECT_FALSE(QFileInfo::exists(CompressorProbe::scratchPath(folder)));

  EXPECT_FALSE(CompressorProbe::testAndUse(folder, {640, 480}, 25, {QStringLiteral("ZZZZ"), -1}).isEmpty());
  EXPECT_EQ(CompressionSettings::current(), before);
  const CompressionOptions mjpeg{QStringLiteral("MJPG"), 8000};
  EXPECT_EQ(CompressorProbe::testAndUse(folder, {640, 480}, 25, mjpeg), QString());
  EXPECT_EQ(CompressionSettings::current(), mjpeg);
  EXPECT_FALSE(QFileInfo::exists(CompressorProbe::scratchPath(folder)));
  CompressionSettings::replace(before);
}

}  // namespace
}  // namespace lumivex
