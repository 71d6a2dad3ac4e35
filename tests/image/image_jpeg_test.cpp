#include "image/picture_file.h"
#include "image_test_util.h"
#include "tests/support/temp_home.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace lumivex {
namespace {

using test::randomImage;

// A smooth picture, so JPEG's loss stays small and comparable.
CxImage gradient(uint32_t width, uint32_t height) {
  CxImage image;
  image.Create(width, height, 24);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      image.SetPixelColor(x, y,
                          RgbQuad{static_cast<uint8_t>(x * 255 / std::max(1u, width)),
                                  static_cast<uint8_t>(y * 255 / std::max(1u, height)), 128, 0});
    }
  }
  return image;
}

// A minimal EXIF block: TIFF header and IFD0 with one Make entry.
std::vector<uint8_t> exifBlock() {
  static const uint8_t kBlock[] = {'E',  'x',  'i', 'f', 0,   0,   'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0,  // one entry
                                   0x0F, 0x01, 2,   0,   8,   0,   0,   0,   26, 0, 0, 0,  // Make, ASCII, 8 bytes at 26
                                   0,    0,    0,   0,                                     // no next IFD
                                   'L',  'u',  'm', 'i', 'v', 'e', 'x', 0};
  return std::vector<uint8_t>(std::begin(kBlock), std::end(kBlock));
}

TEST(CxImageJpg, RoundTripsAtSeveralSizesAndMatchesQt) {
  for (const auto& [w, h] :
       std::vector<std::pair<uint32_t, uint32_t>>{{1, 1}, {7, 5}, {16, 16}, {33, 17}, {640, 480}}) {
    CxImage image = gradient(w, h);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(image.Encode(bytes, CxImage::kTypeJpg)) << image.GetLastError();
    CxImage back(bytes.data(), bytes.size(), CxImage::kTypeJpg);
    ASSERT_TRUE(back.IsValid()) << back.GetLastError();
    EXPECT_EQ(back.GetType(), CxImage::kTypeJpg);
    ASSERT_EQ(back.GetWidth(), w);
    ASSERT_EQ(back.GetHeight(), h);
    EXPECT_EQ(back.GetBpp(), 24u);
    const QImage qt = QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "JPG");
    ASSERT_FALSE(qt.isNull());
    double error = 0;
    int worstQt = 0;
    for (uint32_t y = 0; y < h; ++y) {
      for (uint32_t x = 0; x < w; ++x) {
        const RgbQuad a = image.GetPixelColor(x, y);
        const RgbQuad b = back.GetPixelColor(x, y);
        error += std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue);
        const QRgb q = qt.pixel(static_cast<int>(x), static_cast<int>(h - 1 - y));
        worstQt =
            std::max({worstQt, std::abs(qRed(q) - b.red), std::abs(qGreen(q) - b.green), std::abs(qBlue(q) - b.blue)});
      }
    }
    EXPECT_LT(error / (w * h * 3.0), 8.0) << w << "x" << h;
    EXPECT_LE(worstQt, 2) << w << "x" << h;  // the same decoder, up to upsampling details
  }
}

TEST(CxImageJpg, QualityResolutionAndGrey) {
  CxImage image = gradient(64, 48);
  EXPECT_EQ(image.GetJpegQuality(), 90);
  std::vector<uint8_t> q90, q20;
  ASSERT_TRUE(image.Encode(q90, CxImage::kTypeJpg));
  image.SetJpegQuality(20);
  EXPECT_EQ(image.GetJpegQuality(), 20);
  ASSERT_TRUE(image.Encode(q20, CxImage::kTypeJpg));
  EXPECT_LT(q20.size(), q90.size());
  image.SetXDPI(300);
  std::vector<uint8_t> dense;
  ASSERT_TRUE(image.Encode(dense, CxImage::kTypeJpg));
  EXPECT_EQ(CxImage(dense.data(), dense.size(), CxImage::kTypeJpg).GetXDPI(), 300);

  QImage greyQt(20, 10, QImage::Format_Grayscale8);
  for (int y = 0; y < 10; ++y) std::memset(greyQt.scanLine(y), y * 20, 20);
  CxImage grey;
  ASSERT_TRUE(grey.CreateFromQImage(greyQt.convertToFormat(QImage::Format_Indexed8)));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(grey.Encode(bytes, CxImage::kTypeJpg)) << grey.GetLastError();
  CxImage back(bytes.data(), bytes.size(), CxImage::kTypeUnknown);
  ASSERT_TRUE(back.IsValid());
  EXPECT_EQ(back.GetBpp(), 8u);
  EXPECT_NEAR(back.GetPixelColor(3, 9).red, 0, 2);
  EXPECT_NEAR(back.GetPixelColor(3, 0).red, 180, 2);
}

TEST(CxImageJpg, ExifSurvivesLoadAndSave) {
  QTemporaryDir dir;
  CxImage image = gradient(40, 30);
  image.SetExif(exifBlock());
  const QString first = dir.filePath(QStringLiteral("first.jpg"));
  ASSERT_TRUE(image.Save(first, CxImage::kTypeJpg));
  CxImage loaded(first, CxImage::kTypeJpg);
  ASSERT_TRUE(loaded.IsValid()) << loaded.GetLastError();
  EXPECT_EQ(loaded.GetExif(), exifBlock());
  ASSERT_TRUE(loaded.Negative());
  const QString second = dir.filePath(QStringLiteral("second.jpg"));
  ASSERT_TRUE(loaded.Save(second, CxImage::kTypeJpg));
  EXPECT_EQ(CxImage(second, CxImage::kTypeJpg).GetExif(), exifBlock());
  const QString identify = QStandardPaths::findExecutable(QStringLiteral("identify"));
  if (identify.isEmpty()) GTEST_SKIP() << "ImageMagick not installed";
  QProcess process;
  process.start(identify, {QStringLiteral("-format"), QStringLiteral("%[EXIF:Make]"), second});
  ASSERT_TRUE(process.waitForFinished());
  EXPECT_EQ(process.readAllStandardOutput().trimmed(), QByteArray("Lumivex"));
  // A BMP carries no EXIF.
  CxImage bmp = loaded;
  std::vector<uint8_t> bmpBytes;
  ASSERT_TRUE(bmp.Encode(bmpBytes, CxImage::kTypeBmp));
  EXPECT_TRUE(CxImage(bmpBytes.data(), bmpBytes.size(), CxImage::kTypeBmp).GetExif().empty());
}

// A rendered (32-bit) picture is encoded from its own rows: the file must be byte for byte the one the
// 24-bit CxImage path writes for the same pixels, with and without an EXIF block, at odd sizes too.
TEST(CxImageJpg, RenderedPicturesSaveAsThroughTheContainer) {
  QTemporaryDir dir;
  for (const QSize size : {QSize(1600, 1200), QSize(17, 5), QSize(1, 1)}) {
    for (const bool withExif : {false, true}) {
      SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height() << (withExif ? " exif" : ""));
      QImage rendered = randomImage(static_cast<uint32_t>(size.width()), static_cast<uint32_t>(size.height()), 24, 5)
                            .ToQImage()
                            .convertToFormat(QImage::Format_RGB32);
      ASSERT_EQ(rendered.format(), QImage::Format_RGB32);
      const std::vector<uint8_t> exif = withExif ? exifBlock() : std::vector<uint8_t>{};
      const QString direct = dir.filePath(QStringLiteral("direct.jpg"));
      ASSERT_TRUE(saveRenderedPicture(rendered, direct, exif));

      CxImage container;
      ASSERT_TRUE(container.CreateFromQImage(rendered));
      container.SetJpegQuality(90);
      container.SetExif(exif);
      std::vector<uint8_t> expected;
      ASSERT_TRUE(container.Encode(expected, CxImage::kTypeJpg));
      const QByteArray written = test::readBytes(direct);
      EXPECT_EQ(written,
                QByteArray(reinterpret_cast<const char*>(expected.data()), static_cast<qsizetype>(expected.size())));
      EXPECT_EQ(CxImage(direct, CxImage::kTypeJpg).GetExif(), exif);
    }
  }
}

TEST(CxImageJpg, FallbackAndHostileFiles) {
  QTemporaryDir dir;
  // A .jpg that is really a BMP opens through detection.
  CxImage bmp = randomImage(9, 9, 24, 4);
  const QString fake = dir.filePath(QStringLiteral("fake.jpg"));
  ASSERT_TRUE(bmp.Save(fake, CxImage::kTypeBmp));
  CxImage opened(fake, CxImage::kTypeJpg);
  ASSERT_TRUE(opened.IsValid()) << opened.GetLastError();
  EXPECT_EQ(opened.GetType(), CxImage::kTypeBmp);
  EXPECT_TRUE(test::samePixels(bmp, opened));

  CxImage good = gradient(48, 32);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(good.Encode(bytes, CxImage::kTypeJpg));
  size_t frameAt = 0;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
      frameAt = i;
      break;
    }
  }
  ASSERT_GT(frameAt, 0u);
  auto withSize = [&](uint16_t width, uint16_t height) {
    std::vector<uint8_t> b = bytes;
    b[frameAt + 5] = static_cast<uint8_t>(height >> 8);
    b[frameAt + 6] = static_cast<uint8_t>(height);
    b[frameAt + 7] = static_cast<uint8_t>(width >> 8);
    b[frameAt + 8] = static_cast<uint8_t>(width);
    return b;
  };
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* error;
  };
  std::vector<Case> cases = {
      {"truncated", std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2)),
       "Premature end of JPEG file"},
      {"claims 60000 x 60000", withSize(60000, 60000), "CXIMAGE_MAX_MEMORY exceeded"},
      {"claims 3000 x 3000", withSize(3000, 3000), "Corrupt JPEG data: premature end of data segment"},
      {"zero width", withSize(0, 32), nullptr},
      {"header only", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 2), nullptr},
  };
  for (const Case& c : cases) {
    CxImage image(c.bytes.data(), c.bytes.size(), CxImage::kTypeJpg);
    EXPECT_FALSE(image.IsValid()) << c.name;
    EXPECT_STRNE(image.GetLastError(), "") << c.name;
    if (c.error != nullptr) {
      EXPECT_STREQ(image.GetLastError(), c.error) << c.name;
    }
  }
}

}  // namespace
}  // namespace lumivex
