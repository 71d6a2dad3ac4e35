#include "image/cx_io_file.h"
#include "image/cx_mem_file.h"
#include "image_test_util.h"
#include "tests/support/temp_home.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace lumivex {
namespace {

using test::randomImage;
using test::samePixels;

std::vector<uint8_t> encode(CxImage& image, uint32_t type) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(image.Encode(bytes, type)) << image.GetLastError();
  return bytes;
}

void putLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }
void putLe16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) { std::memcpy(bytes.data() + at, &value, 2); }

TEST(CxImageCreate, LimitsAndLayout) {
  struct Case {
    uint32_t width, height, bpp;
    const char* error;  // null: succeeds
  };
  const Case cases[] = {
      {0, 10, 24, "CxImage::Create : width and height must be greater than zero"},
      {10, 0, 8, "CxImage::Create : width and height must be greater than zero"},
      {30000, 30000, 24, "CXIMAGE_MAX_MEMORY exceeded"},
      {65536, 65536, 24, "CXIMAGE_MAX_MEMORY exceeded"},  // wraps to 0 in 32 bits
      {0x80000000u, 1, 1, "CXIMAGE_MAX_MEMORY exceeded"},
      {5, 3, 24, nullptr},
      {5, 3, 2, nullptr},
      {33, 2, 1, nullptr},
  };
  for (const Case& c : cases) {
    CxImage image;
    uint8_t* dib = image.Create(c.width, c.height, c.bpp);
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + "x" + std::to_string(c.bpp));
    if (c.error != nullptr) {
      EXPECT_EQ(dib, nullptr);
      EXPECT_FALSE(image.IsValid());
      EXPECT_STREQ(image.GetLastError(), c.error);
      continue;
    }
    ASSERT_NE(dib, nullptr);
    const uint32_t bpp = c.bpp <= 1 ? 1 : c.bpp <= 4 ? 4 : c.bpp <= 8 ? 8 : 24;
    const uint32_t stride = ((c.width * bpp + 31) / 32) * 4;
    const uint32_t colors = bpp == 24 ? 0 : 1u << bpp;
    EXPECT_EQ(image.GetBpp(), bpp);
    EXPECT_EQ(image.GetEffWidth(), stride);
    EXPECT_EQ(image.GetNumColors(), colors);
    EXPECT_EQ(image.GetSize(), 40 + colors * 4 + stride * c.height);
    BitmapInfoHeader head;
    std::memcpy(&head, dib, sizeof head);
    EXPECT_EQ(head.biSize, 40u);
    EXPECT_EQ(head.biPlanes, 1);
    EXPECT_EQ(head.biBitCount, bpp);
    EXPECT_EQ(head.biSizeImage, stride * c.height);
    EXPECT_EQ(image.GetBits(0), dib + 40 + colors * 4);
    EXPECT_EQ(image.GetBits(c.height), nullptr);
    EXPECT_EQ(image.GetXDPI(), 96);
    EXPECT_EQ(image.GetJpegQuality(), 90);
    EXPECT_EQ(image.GetTransIndex(), -1);
    for (size_t i = 40; i < image.GetSize(); ++i) ASSERT_EQ(dib[i], 0) << i;
  }
}

TEST(CxImageBmp, RoundTripsEveryDepthAndWidth) {
  for (const uint32_t bpp : {1u, 4u, 8u, 24u}) {
    for (uint32_t width = 1; width <= 33; ++width) {
      CxImage image = randomImage(width, 3 + width % 4, bpp, width * 31 + bpp);
      std::vector<uint8_t> bytes = encode(image, CxImage::kTypeBmp);
      const uint32_t palette = image.GetNumColors() * 4;
      ASSERT_EQ(bytes.size(), 14 + 40 + palette + image.GetEffWidth() * image.GetHeight());
      uint32_t fileSize = 0, offset = 0;
      std::memcpy(&fileSize, bytes.data() + 2, 4);
      std::memcpy(&offset, bytes.data() + 10, 4);
      EXPECT_EQ(bytes[0], 'B');
      EXPECT_EQ(bytes[1], 'M');
      EXPECT_EQ(fileSize, bytes.size());
      EXPECT_EQ(offset, 14 + 40 + palette);
      CxImage back(bytes.data(), bytes.size(), CxImage::kTypeBmp);
      ASSERT_TRUE(back.IsValid()) << back.GetLastError();
      EXPECT_EQ(back.GetType(), CxImage::kTypeBmp);
      EXPECT_TRUE(samePixels(image, back)) << "bpp " << bpp << " width " << width;
      // The stored block, padding included, comes back byte for byte.
      EXPECT_EQ(std::memcmp(back.GetDIB(), image.GetDIB(), image.GetSize()), 0);
    }
  }
}

TEST(CxImageBmp, IndependentReaderAgrees) {
  QTemporaryDir dir;
  for (const uint32_t bpp : {1u, 8u, 24u}) {
    CxImage image = randomImage(19, 7, bpp, bpp);
    const QString path = dir.filePath(QStringLiteral("p%1.bmp").arg(bpp));
    ASSERT_TRUE(image.Save(path, CxImage::kTypeBmp));
    QImageReader reader(path);
    const QImage qt = reader.read();
    ASSERT_FALSE(qt.isNull()) << reader.errorString().toStdString();
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 19; ++x) {
        const RgbQuad c = image.GetPixelColor(x, 6 - y);
        ASSERT_EQ(qt.pixel(x, y), qRgb(c.red, c.green, c.blue)) << bpp << " " << x << "," << y;
      }
    }
  }
  // And the other way: a BMP written by Qt.
  QImage source(13, 5, QImage::Format_RGB888);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 13; ++x) source.setPixel(x, y, qRgb(x * 19, y * 50, (x * y) % 256));
  }
  const QString path = dir.filePath(QStringLiteral("qt.bmp"));
  ASSERT_TRUE(source.save(path, "BMP"));
  CxImage image(path, CxImage::kTypeBmp);
  ASSERT_TRUE(image.IsValid()) << image.GetLastError();
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 13; ++x) {
      const RgbQuad c = image.GetPixelColor(x, 4 - y);
      ASSERT_EQ(qRgb(c.red, c.green, c.blue), source.pixel(x, y));
    }
  }
}

// A frame as the capture path passes it: bare header, then bottom-up rows. Also top-down and 32-bit files.
TEST(CxImageBmp, FramesTopDownAnd32Bit) {
  const CxImage original = randomImage(7, 4, 24, 5);
  std::vector<uint8_t> frame(40 + original.GetEffWidth() * 4);
  std::memcpy(frame.data(), original.GetDIB(), frame.size());
  CxImage fromFrame(frame.data(), frame.size(), CxImage::kTypeBmp);
  ASSERT_TRUE(fromFrame.IsValid()) << fromFrame.GetLastError();
  EXPECT_TRUE(samePixels(original, fromFrame));

  // The same rows stored top-down with a negative height.
  std::vector<uint8_t> topDown(frame.begin(), frame.begin() + 40);
  putLe32(topDown, 8, static_cast<uint32_t>(-4));
  for (int row = 3; row >= 0; --row) {
    const uint8_t* bits = original.GetBits(static_cast<uint32_t>(row));
    topDown.insert(topDown.end(), bits, bits + original.GetEffWidth());
  }
  CxImage fromTopDown(topDown.data(), topDown.size(), CxImage::kTypeBmp);
  ASSERT_TRUE(fromTopDown.IsValid()) << fromTopDown.GetLastError();
  EXPECT_TRUE(samePixels(original, fromTopDown));

  // 32-bit rows come in as 24-bit pixels.
  std::vector<uint8_t> wide(frame.begin(), frame.begin() + 40);
  putLe16(wide, 14, 32);
  for (uint32_t y = 0; y < 4; ++y) {
    for (uint32_t x = 0; x < 7; ++x) {
      const RgbQuad c = original.GetPixelColor(x, y);
      wide.insert(wide.end(), {c.blue, c.green, c.red, 0xAA});
    }
  }
  CxImage fromWide(wide.data(), wide.size(), CxImage::kTypeBmp);
  ASSERT_TRUE(fromWide.IsValid()) << fromWide.GetLastError();
  EXPECT_TRUE(samePixels(original, fromWide));
}

TEST(CxImageBmp, HostileFilesFailWithTheirText) {
  CxImage small = randomImage(4, 4, 8, 3);
  const std::vector<uint8_t> good = encode(small, CxImage::kTypeBmp);
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
    const char* error;
  };
  const Case cases[] = {
      {"truncated header", [](auto& b) { b.resize(20); }, "Error reading BMP info"},
      {"truncated palette", [](auto& b) { b.resize(14 + 40 + 100); }, "Error reading BMP info"},
      {"truncated rows", [](auto& b) { b.resize(b.size() - 8); }, "BMP pixel data truncated"},
      {"palette count past the file", [](auto& b) { putLe32(b, 14 + 32, 0x40000000); }, "Error reading BMP info"},
      {"pixel offset beyond the end", [](auto& b) { putLe32(b, 10, 0x7FFFFFF0); },
       "BMP pixel offset beyond the end of the file"},
      {"huge size, tiny file",
       [](auto& b) {
         putLe32(b, 14 + 4, 40000);
         putLe32(b, 14 + 8, 40000);
       },
       "BMP pixel data truncated"},
      {"size past the limit",
       [](auto& b) {
         putLe32(b, 14 + 4, 0x7FFFFFFF);
         putLe32(b, 14 + 8, 0x7FFFFFFF);
       },
       "BMP pixel data truncated"},
      {"zero width", [](auto& b) { putLe32(b, 14 + 4, 0); }, "Error reading BMP info"},
      {"height INT_MIN", [](auto& b) { putLe32(b, 14 + 8, 0x80000000u); }, "Error reading BMP info"},
      {"run-length compressed", [](auto& b) { putLe32(b, 14 + 16, 1); }, "compression type not supported"},
      {"unknown compression", [](auto& b) { putLe32(b, 14 + 16, 77); }, "unknown compression"},
      {"header size 7", [](auto& b) { putLe32(b, 14, 7); }, "Error reading BMP info"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good;
    c.damage(bytes);
    CxImage image(bytes.data(), bytes.size(), CxImage::kTypeBmp);
    EXPECT_FALSE(image.IsValid()) << c.name;
    EXPECT_STREQ(image.GetLastError(), c.error) << c.name;
  }
  const uint8_t noise[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
  CxImage detected(noise, sizeof noise, CxImage::kTypeUnknown);
  EXPECT_STREQ(detected.GetLastError(), "Decode: Unknown or wrong format");
  CxImage empty(nullptr, 0, CxImage::kTypeBmp);
  EXPECT_STREQ(empty.GetLastError(), "invalid or empty buffer");
  CxImage noFile;
  EXPECT_FALSE(noFile.Decode(static_cast<CxFile*>(nullptr), CxImage::kTypeBmp));
  EXPECT_STREQ(noFile.GetLastError(), "null file handler");
}

TEST(CxImageSave, FailuresWriteNothing) {
  QTemporaryDir dir;
  CxImage image = randomImage(5, 5, 24, 1);
  std::vector<uint8_t> nonEmpty{1};
  EXPECT_FALSE(image.Encode(nonEmpty, CxImage::kTypeBmp));
  EXPECT_STREQ(image.GetLastError(), "the buffer must be empty");

  const QString png = dir.filePath(QStringLiteral("out.png"));
  EXPECT_FALSE(image.Save(png, CxImage::kTypeUnknown));
  EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
  EXPECT_FALSE(QFile::exists(png));

  // A picture JPEG cannot hold leaves an existing file as it was.
  const QString existing = dir.filePath(QStringLiteral("keep.jpg"));
  ASSERT_TRUE(test::writeBytes(existing, "old"));
  CxImage palette = randomImage(5, 5, 4, 2);
  EXPECT_FALSE(palette.Save(existing, CxImage::kTypeJpg));
  EXPECT_STREQ(palette.GetLastError(), "JPEG can save only RGB or GreyScale images");
  EXPECT_EQ(test::readBytes(existing), QByteArray("old"));

  CxImage none;
  EXPECT_FALSE(none.Save(dir.filePath(QStringLiteral("none.bmp")), CxImage::kTypeBmp));
  EXPECT_STREQ(none.GetLastError(), "null image!!!");
  EXPECT_FALSE(image.Save(dir.filePath(QStringLiteral("missing/folder/x.bmp")), CxImage::kTypeBmp));
}

TEST(CxImageQt, QImageBridgeAndDraw) {
  const CxImage image = randomImage(6, 4, 24, 9);
  const QImage upright = image.ToQImage();
  ASSERT_EQ(upright.size(), QSize(6, 4));
  CxImage back;
  ASSERT_TRUE(back.CreateFromQImage(upright.convertToFormat(QImage::Format_ARGB32)));
  EXPECT_TRUE(samePixels(image, back));
  EXPECT_FALSE(back.CreateFromQImage(QImage()));
  EXPECT_STREQ(back.GetLastError(), "GetDIBits failed");

  // Doubled in both directions: each source pixel becomes a 2 x 2 block, top row on top.
  QImage canvas(12, 8, QImage::Format_RGB32);
  canvas.fill(Qt::black);
  QPainter painter(&canvas);
  ASSERT_TRUE(image.Draw(&painter, 0, 0, 12, 8));
  painter.end();
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) ASSERT_EQ(canvas.pixel(x, y), upright.pixel(x / 2, y / 2)) << x << "," << y;
  }
  CxImage none;
  QPainter other(&canvas);
  EXPECT_FALSE(none.Draw(&other, 0, 0, 4, 4));
  EXPECT_FALSE(image.Draw(nullptr, 0, 0, 4, 4));
}

TEST(CxStreams, MemoryAndFileBehaveLikeStdio) {
  QTemporaryDir dir;
  CxMemFile memory;
  CxIOFile file;
  ASSERT_TRUE(file.Open(dir.filePath(QStringLiteral("s.bin")), "w+b"));
  for (CxFile* stream : {static_cast<CxFile*>(&memory), static_cast<CxFile*>(&file)}) {
    const char text[] = "12 abc\nline two\n";
    EXPECT_EQ(stream->Write(text, 1, sizeof text - 1), sizeof text - 1);
    EXPECT_EQ(stream->PutC('Z'), 'Z');
    EXPECT_EQ(stream->Size(), static_cast<int64_t>(sizeof text));
    EXPECT_TRUE(stream->Seek(0, SEEK_SET));
    int number = 0;
    EXPECT_EQ(stream->Scanf("%d", &number), 1);
    EXPECT_EQ(number, 12);
    char line[32];
    EXPECT_STREQ(stream->GetS(line, sizeof line), " abc\n");
    EXPECT_STREQ(stream->GetS(line, 5), "line");
    EXPECT_TRUE(stream->Seek(-1, SEEK_END));
    EXPECT_EQ(stream->GetC(), 'Z');
    EXPECT_EQ(stream->GetC(), EOF);
    EXPECT_TRUE(stream->Eof());
    EXPECT_TRUE(stream->Seek(2, SEEK_SET));
    EXPECT_EQ(stream->Tell(), 2);
    char pair[64] = {};
    EXPECT_EQ(stream->Read(pair, 2, 2), 2u);
    EXPECT_STREQ(pair, " abc");
    EXPECT_EQ(stream->Read(pair, 4, 100), 2u);  // 11 bytes left: only whole items
    EXPECT_FALSE(stream->Seek(-100, SEEK_CUR));
  }
  const uint8_t fixed[3] = {1, 2, 3};
  CxMemFile view(fixed, 3);
  EXPECT_EQ(view.Write(fixed, 1, 1), 0u);  // borrowed bytes are read-only
  EXPECT_FALSE(view.Seek(4, SEEK_SET));
  EXPECT_EQ(memory.TakeBuffer().size(), 17u);
  EXPECT_EQ(memory.Size(), 0);
}

}  // namespace
}  // namespace lumivex
