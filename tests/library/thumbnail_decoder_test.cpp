#include "library/thumbnail_decoder.h"
#include "library/video_first_frame.h"

#include "tests/library/library_test_files.h"

#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

constexpr QSize kThumb(90, 80);

// A BMP file written by hand: left half colour index/value 0, right half 1 (palette: black, red).
QByteArray handBmp(int bpp, int width, int height, bool topDown) {
  const int stride = ((width * bpp + 31) / 32) * 4;
  const int paletteCount = bpp <= 8 ? 2 : 0;
  QByteArray bytes(14 + 40 + paletteCount * 4 + stride * height, '\0');
  auto* p = reinterpret_cast<uchar*>(bytes.data());
  p[0] = 'B';
  p[1] = 'M';
  qToLittleEndian<quint32>(static_cast<quint32>(bytes.size()), p + 2);
  qToLittleEndian<quint32>(static_cast<quint32>(14 + 40 + paletteCount * 4), p + 10);
  uchar* h = p + 14;
  qToLittleEndian<quint32>(40, h);
  qToLittleEndian<qint32>(width, h + 4);
  qToLittleEndian<qint32>(topDown ? -height : height, h + 8);
  qToLittleEndian<quint16>(1, h + 12);
  qToLittleEndian<quint16>(static_cast<quint16>(bpp), h + 14);
  qToLittleEndian<quint32>(static_cast<quint32>(paletteCount), h + 32);
  uchar* palette = h + 40;
  if (paletteCount) palette[4 + 2] = 255;  // entry 1 is red (blue, green, red, 0)
  uchar* pixels = palette + paletteCount * 4;
  for (int row = 0; row < height; ++row) {
    for (int x = width / 2; x < width; ++x) {
      uchar* line = pixels + row * stride;
      switch (bpp) {
        case 24:
          line[x * 3 + 2] = 255;
          break;
        case 32:
          line[x * 4 + 2] = 255;
          break;
        case 8:
          line[x] = 1;
          break;
        case 4:
          line[x / 2] |= static_cast<uchar>(x % 2 ? 0x01 : 0x10);
          break;
        case 1:
          line[x / 8] |= static_cast<uchar>(0x80 >> (x % 8));
          break;
      }
    }
  }
  return bytes;
}

TEST(ThumbnailDecoder, BmpDepthsAndRowOrders) {
  const struct {
    int bpp;
    bool topDown;
  } cases[] = {{24, false}, {24, true}, {32, false}, {8, false}, {4, false}, {1, true}};
  for (const auto& c : cases) {
    const QImage thumb = ThumbnailDecoder::bmp(handBmp(c.bpp, 64, 48, c.topDown), kThumb);
    ASSERT_EQ(thumb.size(), kThumb) << c.bpp;
    EXPECT_EQ(thumb.pixel(5, 5), qRgb(0, 0, 0)) << c.bpp;
    EXPECT_EQ(thumb.pixel(80, 70), qRgb(255, 0, 0)) << c.bpp;
  }
}

TEST(ThumbnailDecoder, UnreadablePicturesGiveNothing) {
  QByteArray jpeg;
  {
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(test::solidPicture({640, 480}, Qt::blue).save(&buffer, "JPG", 90));
  }
  const QByteArray bmp = handBmp(24, 64, 48, false);
  const struct {
    const char* what;
    QByteArray bytes;
    bool jpegName;
  } cases[] = {
      {"truncated jpeg", jpeg.left(jpeg.size() / 2), true},
      {"jpeg header only", jpeg.left(200), true},
      {"garbage jpeg", QByteArray(41, 'x'), true},
      {"empty", QByteArray(), true},
      {"truncated bmp", bmp.left(bmp.size() - 1), false},
      {"garbage bmp", QByteArray(41, 'x'), false},
      {"bmp with absurd width",
       [&] {
         QByteArray b = bmp;
         qToLittleEndian<qint32>(0x7fffffff, reinterpret_cast<uchar*>(b.data()) + 18);
         return b;
       }(),
       false},
      {"jpeg under a bmp name", jpeg, false},
  };
  for (const auto& c : cases) {
    const QImage image = c.jpegName ? ThumbnailDecoder::jpeg(c.bytes, kThumb) : ThumbnailDecoder::bmp(c.bytes, kThumb);
    EXPECT_TRUE(image.isNull()) << c.what;
  }
  const QImage whole = ThumbnailDecoder::jpeg(jpeg, kThumb);
  ASSERT_EQ(whole.size(), kThumb);
  const QColor centre = whole.pixelColor(45, 40);
  EXPECT_LT(centre.red(), 8);
  EXPECT_GT(centre.blue(), 245);
}

TEST(ThumbnailDecoder, PictureDispatchesByNameAnyCase) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("x.JpG"));
  ASSERT_TRUE(test::writePicture(path, {1600, 1200}, Qt::green, "JPG"));
  const QImage thumb = ThumbnailDecoder::picture(path, kThumb);
  ASSERT_EQ(thumb.size(), kThumb);
  EXPECT_GT(thumb.pixelColor(10, 10).green(), 240);
  EXPECT_TRUE(ThumbnailDecoder::picture(dir.filePath(QStringLiteral("missing.jpg")), kThumb).isNull());
}

TEST(ThumbnailDecoder, VideoFirstFrame) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Video_test.avi"));
  QProcess ffmpeg;
  ffmpeg.start(QStringLiteral("ffmpeg"),
               {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                QStringLiteral("-i"), QStringLiteral("color=c=red:s=320x240:d=1:r=5"), QStringLiteral("-c:v"),
                QStringLiteral("mjpeg"), path});
  if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitCode() != 0) GTEST_SKIP() << "ffmpeg is not available";
  const QImage frame = VideoFirstFrame::read(path);
  ASSERT_EQ(frame.size(), QSize(320, 240));
  EXPECT_GT(frame.pixelColor(160, 120).red(), 230);
  EXPECT_LT(frame.pixelColor(160, 120).green(), 30);
  EXPECT_EQ(ThumbnailDecoder::video(path, kThumb).size(), kThumb);

  ASSERT_TRUE(test::writeBytes(dir.filePath(QStringLiteral("broken.avi")), QByteArray(4096, 'R')));
  EXPECT_TRUE(VideoFirstFrame::read(dir.filePath(QStringLiteral("broken.avi"))).isNull());
}

}  // namespace
}  // namespace lumivex
