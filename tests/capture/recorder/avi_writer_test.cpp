#include "capture/recorder/avi_writer.h"
#include "capture/recorder/compressor_catalog.h"
#include "tests/capture/recorder/media_probe.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace lumivex {
namespace {

// BGR rows, top half red and bottom half blue, with a green band that moves with the frame number.
std::vector<std::uint8_t> testFrame(int width, int height, int number) {
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * width + x) * 3];
      const bool top = y < height / 2;
      p[0] = top ? 0 : 255;
      p[1] = (x / 16) == number % (width / 16) ? 255 : 0;
      p[2] = top ? 255 : 0;
    }
  }
  return bgr;
}

// What ffprobe names each offered compressor.
const std::map<QString, std::pair<QString, QString>>& expectedCodecs() {
  static const std::map<QString, std::pair<QString, QString>> table{
      {QStringLiteral("MSVC"), {QStringLiteral("msvideo1"), QStringLiteral("MSVC")}},
      {QStringLiteral("MJPG"), {QStringLiteral("mjpeg"), QStringLiteral("MJPG")}},
      {QStringLiteral("DIB "), {QStringLiteral("rawvideo"), QStringLiteral("[0][0][0][0]")}},
      {QStringLiteral("HFYU"), {QStringLiteral("huffyuv"), QStringLiteral("HFYU")}},
      {QStringLiteral("ULRG"), {QStringLiteral("utvideo"), QStringLiteral("ULRG")}},
      {QStringLiteral("FMP4"), {QStringLiteral("mpeg4"), QStringLiteral("FMP4")}},
  };
  return table;
}

TEST(CompressorCatalog, OffersTheRequiredCompressorsWithMicrosoftVideo1First) {
  const auto& offered = CompressorCatalog::available();
  ASSERT_FALSE(offered.empty());
  EXPECT_EQ(offered.front().handler, QStringLiteral("MSVC"));
  for (const char* required : {"MSVC", "MJPG", "DIB ", "HFYU"}) {
    EXPECT_TRUE(CompressorCatalog::isAvailable(QString::fromLatin1(required))) << required;
  }
  EXPECT_EQ(CompressorCatalog::find(QStringLiteral("XXXX")), nullptr);
}

// Every offered compressor at each recording size and its rate: an independent reader finds the codec,
// tag, size, rate, the stream length including the skipped indexes, every frame at its index, a key
// frame at least once a second, the picture the right way up (exact for the lossless ones), and
// GStreamer plays the file.
TEST(AviWriter, RoundTripOfEveryOfferedCompressorAndSize) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const struct { int width, height, rate; } sizes[] = {{640, 480, 25}, {1280, 960, 15}, {1600, 1200, 5}};
  for (const CompressorInfo& compressor : CompressorCatalog::available()) {
    for (const auto& size : sizes) {
      SCOPED_TRACE(QStringLiteral("%1 %2x%3").arg(compressor.handler).arg(size.width).arg(size.height).toStdString());
      const int r = size.rate;
      const std::vector<std::int64_t> indexes{0, 1, 2, 3, 4, 5, r + 8, r + 9, r + 10, 3 * r + 1};
      const QString path = dir.filePath(QStringLiteral("%1_%2.avi").arg(compressor.handler.trimmed()).arg(size.width));
      AviWriter writer;
      CompressionOptions options;
      options.handler = compressor.handler;
      ASSERT_EQ(writer.open(path, {{size.width, size.height}, r, options}), QString());
      int number = 0;
      for (const std::int64_t index : indexes) {
        const auto frame = testFrame(size.width, size.height, number++);
        ASSERT_EQ(writer.write(frame.data(), size.width, size.height, size.width * 3, index), QString());
      }
      ASSERT_EQ(writer.finish(), QString());

      const test::ProbedVideo v = test::probeVideo(path);
      ASSERT_TRUE(v.ok);
      const auto expected = expectedCodecs().at(compressor.handler);
      EXPECT_EQ(v.codec, expected.first);
      EXPECT_EQ(v.tag, expected.second);
      EXPECT_EQ(v.width, size.width);
      EXPECT_EQ(v.height, size.height);
      EXPECT_EQ(v.rate, QStringLiteral("%1/1").arg(r));
      EXPECT_EQ(v.headerFrames, indexes.back() + 1);
      EXPECT_EQ(v.readFrames, static_cast<long long>(indexes.size()));
      EXPECT_EQ(v.pts, std::vector<long long>(indexes.begin(), indexes.end()));
      ASSERT_FALSE(v.keyPts.empty());
      EXPECT_EQ(v.keyPts.front(), 0);
      for (const long long pts : v.pts) {
        long long lastKey = -1;
        for (const long long k : v.keyPts) {
          if (k <= pts) lastKey = k;
        }
        EXPECT_LT(pts - lastKey, r) << "frame " << pts << " is more than a second after its key frame";
      }

      const auto rgb = test::firstFrameRgb(path);
      ASSERT_EQ(rgb.size(), static_cast<std::size_t>(size.width) * size.height * 3);
      const auto at = [&](int x, int y) { return &rgb[(static_cast<std::size_t>(y) * size.width + x) * 3]; };
      const std::uint8_t* top = at(size.width / 2, 8);
      const std::uint8_t* bottom = at(size.width / 2, size.height - 8);
      EXPECT_GT(top[0], 200);
      EXPECT_LT(top[2], 50);
      EXPECT_LT(bottom[0], 50);
      EXPECT_GT(bottom[2], 200);
      if (compressor.lossless) {
        const auto source = testFrame(size.width, size.height, 0);
        for (int y : {0, size.height / 2, size.height - 1}) {
          for (int x : {0, 17, size.width - 1}) {
            const std::uint8_t* s = &source[(static_cast<std::size_t>(y) * size.width + x) * 3];
            const std::uint8_t* d = at(x, y);
            EXPECT_EQ(d[0], s[2]);
            EXPECT_EQ(d[1], s[1]);
            EXPECT_EQ(d[2], s[0]);
          }
        }
      }
      if (size.width == 640) {  // the player's decoders do not depend on the size
        QString gstError;
        EXPECT_TRUE(test::gstreamerPlays(path, &gstError)) << gstError.toStdString();
      }
    }
  }
}

TEST(AviWriter, FramesOfAnotherSizeAreScaledToTheStream) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("scaled.avi"));
  AviWriter writer;
  ASSERT_EQ(writer.open(path, {{640, 480}, 25, {}}), QString());
  const auto big = testFrame(1600, 1200, 0);
  const auto small = testFrame(320, 240, 1);
  ASSERT_EQ(writer.write(big.data(), 1600, 1200, 1600 * 3, 0), QString());
  ASSERT_EQ(writer.write(small.data(), 320, 240, 320 * 3, 1), QString());
  ASSERT_EQ(writer.finish(), QString());
  const test::ProbedVideo v = test::probeVideo(path);
  EXPECT_EQ(v.width, 640);
  EXPECT_EQ(v.height, 480);
  EXPECT_EQ(v.readFrames, 2);
}

TEST(AviWriter, RefusesWhatItCannotWrite) {
  QTemporaryDir dir;
  const struct {
    const char* what;
    QString path;
    CompressionOptions options;
    QSize size;
  } cases[] = {
      {"unknown compressor", dir.filePath(QStringLiteral("a.avi")), {QStringLiteral("ZZZZ"), -1}, {640, 480}},
      {"empty size", dir.filePath(QStringLiteral("b.avi")), {}, {0, 0}},
      {"missing folder", dir.filePath(QStringLiteral("no/such/c.avi")), {}, {640, 480}},
      {"full device", QStringLiteral("/dev/full"), {}, {640, 480}},
  };
  for (const auto& c : cases) {
    AviWriter writer;
    EXPECT_FALSE(writer.open(c.path, {c.size, 5, c.options}).isEmpty()) << c.what;
    EXPECT_FALSE(writer.isOpen()) << c.what;
  }
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(AviWriter, SizesCompressorsAccept) {
  EXPECT_EQ(AviWriter::acceptedSize(QStringLiteral("MSVC"), {1600, 1200}), QSize(1600, 1200));
  EXPECT_EQ(AviWriter::acceptedSize(QStringLiteral("MSVC"), {1282, 963}), QSize(1280, 960));
  EXPECT_EQ(AviWriter::acceptedSize(QStringLiteral("MJPG"), {1281, 963}), QSize(1280, 962));
  EXPECT_EQ(AviWriter::acceptedSize(QStringLiteral("MSVC"), {1, 1}), QSize(4, 4));
}

}  // namespace
}  // namespace lumivex
