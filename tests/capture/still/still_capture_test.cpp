#include "capture/still/still_capture.h"

#include "capture/still/still_naming.h"
#include "core/app_context.h"
#include "core/scripted_prompter.h"
#include "image/cx_image.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

#include <vector>

namespace lumivex {
namespace {

// A frame with a pattern that tells rows and columns apart: blue = x, green = y, red = x ^ y.
struct TestFrame {
  int width;
  int height;
  std::vector<std::uint8_t> bytes;

  TestFrame(int w, int h) : width(w), height(h), bytes(static_cast<std::size_t>(stride()) * h) {
    for (int row = 0; row < h; ++row) {
      const int y = h - 1 - row;  // bottom-up
      for (int x = 0; x < w; ++x) {
        std::uint8_t* p = bytes.data() + static_cast<std::size_t>(row) * stride() + x * 3;
        p[0] = static_cast<std::uint8_t>(x);
        p[1] = static_cast<std::uint8_t>(y);
        p[2] = static_cast<std::uint8_t>(x ^ y);
      }
    }
  }
  int stride() const { return (width * 3 + 3) & ~3; }
  StillFrame view() const { return {width, height, stride(), bytes.data(), bytes.size()}; }
  QRgb expected(int x, int y) const {
    return qRgb(static_cast<std::uint8_t>(x ^ y), static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x));
  }
};

class StillCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppContext& context = AppContext::initialise();
    context.folders().resolve(context.paths().programFolder, context.paths().documentsFolder);
    pictures_ = context.folders().pictureFolder();
    QDir().mkpath(pictures_);
    QDir().mkpath(context.paths().programFolder);
    auto scripted = std::make_unique<ScriptedPrompter>();
    prompter_ = scripted.get();
    previous_ = installPrompter(std::move(scripted));
  }
  void TearDown() override {
    installPrompter(std::move(previous_));
    AppContext::shutdown();
  }
  void setFormat(ImageFormat format) { AppContext::current().settings().imageFormat = format; }
  QStringList pictureFiles() const { return QDir(pictures_).entryList(QDir::Files, QDir::Name); }

  test::TempHome home_;
  QString pictures_;
  ScriptedPrompter* prompter_ = nullptr;
  std::unique_ptr<Prompter> previous_;
};

TEST(StillScale, OverlayPointsFollowTheCaptureSize) {
  const struct {
    int width, height;
    QPoint expected;
  } cases[] = {
      {1280, 1024, {200, 200}}, {1280, 960, {200, 200}}, {1600, 1200, {250, 250}},
      {640, 480, {100, 100}},   {320, 240, {50, 50}},    {800, 600, {250, 250}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StillCapture::toPicture({100, 100}, StillCapture::burnInScale(c.width, c.height)), c.expected)
        << c.width << "x" << c.height;
  }
  EXPECT_EQ(StillCapture::toPicture({33.3, 7.9}, 2.5), QPoint(83, 19));  // truncated, not rounded
}

TEST_F(StillCaptureTest, BmpStillKeepsEveryPixelAndBurnsInAtScale) {
  setFormat(ImageFormat::Bmp);
  TestFrame frame(320, 240);
  StillCapture capture;
  capture.setBurnIn([](QPainter& painter, double scale) {
    painter.fillRect(QRect(StillCapture::toPicture({100, 100}, scale), QSize(1, 1)), Qt::white);
  });
  const auto path = capture.saveStill(frame.view(), QStringLiteral("100"), false);
  ASSERT_TRUE(path);
  EXPECT_TRUE(QRegularExpression(QStringLiteral("/Still_\\d{4}-\\d\\d-\\d\\d_\\d{6}_100X_N0001\\.bmp$"))
                  .match(*path)
                  .hasMatch())
      << path->toStdString();
  const QImage read(*path);  // Qt's own BMP reader
  ASSERT_EQ(read.size(), QSize(320, 240));
  int wrong = 0;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      const QRgb want = (x == 50 && y == 50) ? qRgb(255, 255, 255) : frame.expected(x, y);
      if (read.pixel(x, y) != want) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(StillCaptureTest, JpegStillMatchesTheFrameAndNumbersGoOn) {
  setFormat(ImageFormat::Jpeg);
  TestFrame frame(640, 480);
  StillCapture capture;
  const auto first = capture.saveStill(frame.view(), QString(), false);
  const auto second = capture.saveStill(frame.view(), QString(), false);
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(first->endsWith(QStringLiteral("_N0001.jpg"))) << first->toStdString();
  EXPECT_TRUE(second->endsWith(QStringLiteral("_N0002.jpg"))) << second->toStdString();
  EXPECT_FALSE(first->contains(QStringLiteral("X_N")));  // no magnification, no "X" part
  const QImage read(*first);
  ASSERT_EQ(read.size(), QSize(640, 480));
  // The pattern is smooth in blue and green; compare those with the loss quality 90 allows.
  double error = 0;
  for (int y = 0; y < 480; y += 7) {
    for (int x = 0; x < 640; x += 7) {
      error += std::abs(qBlue(read.pixel(x, y)) - qBlue(frame.expected(x, y)));
      error += std::abs(qGreen(read.pixel(x, y)) - qGreen(frame.expected(x, y)));
    }
  }
  EXPECT_LT(error / (2.0 * (480 / 7 + 1) * (640 / 7 + 1)), 4.0);
}

TEST_F(StillCaptureTest, ScratchStillNeverTouchesTheNumbering) {
  setFormat(ImageFormat::Bmp);
  TestFrame frame(320, 240);
  StillCapture capture;
  ASSERT_TRUE(capture.saveStill(frame.view(), QStringLiteral("100"), false));
  const auto scratch = capture.saveStill(frame.view(), QStringLiteral("100"), true);
  ASSERT_TRUE(scratch);
  EXPECT_EQ(*scratch, AppContext::current().paths().programFolder + QStringLiteral("/10000.bmp"));
  ASSERT_TRUE(capture.saveStill(frame.view(), QStringLiteral("100"), true));  // overwritten in place
  EXPECT_EQ(QImage(*scratch).size(), QSize(320, 240));
  EXPECT_EQ(StillNaming::nextCounter(pictures_, QStringLiteral(".bmp")), 2);
  EXPECT_EQ(pictureFiles().size(), 1);
}

TEST_F(StillCaptureTest, GrabGoesToMemoryOnly) {
  std::vector<StillKind> requests;
  StillCapture capture([&](StillKind kind) { requests.push_back(kind); });
  CxImage grabbed;
  capture.setGrabSink([&](CxImage&& picture) { grabbed = std::move(picture); });
  capture.takePicture();
  EXPECT_TRUE(capture.shutterSound());
  capture.grabToMemory();
  EXPECT_FALSE(capture.shutterSound());
  EXPECT_EQ(requests, (std::vector<StillKind>{StillKind::Command, StillKind::Command}));

  TestFrame frame(320, 240);
  const StillCapture::Arrival arrival =
      capture.stillArrived(StillKind::Command, frame.view(), QStringLiteral("100"), false);
  EXPECT_FALSE(arrival.path);
  EXPECT_FALSE(arrival.restart);
  EXPECT_FALSE(arrival.playShutter);
  EXPECT_FALSE(capture.grabPending());
  ASSERT_TRUE(grabbed.IsValid());
  EXPECT_EQ(grabbed.GetWidth(), 320u);
  const RgbQuad pixel = grabbed.GetPixelColor(10, 0);  // row 0 is the bottom row, y = 239
  EXPECT_EQ(QColor(pixel.red, pixel.green, pixel.blue).rgb(), frame.expected(10, 239));
  EXPECT_TRUE(pictureFiles().isEmpty());

  // The next arrival saves a file again.
  EXPECT_TRUE(capture.stillArrived(StillKind::Command, frame.view(), QString(), false).path);
}

TEST_F(StillCaptureTest, ArrivalDecidesRestartAndSound) {
  TestFrame frame(320, 240);
  StillCapture capture([](StillKind) {});
  const struct {
    StillKind kind;
    bool recording;
    bool restart;
  } cases[] = {
      {StillKind::Command, false, false}, {StillKind::SnapshotKey, false, true}, {StillKind::Command, true, true}};
  capture.takePicture();
  for (const auto& c : cases) {
    const StillCapture::Arrival arrival = capture.stillArrived(c.kind, frame.view(), QString(), c.recording);
    ASSERT_TRUE(arrival.path);
    EXPECT_EQ(arrival.restart, c.restart) << static_cast<int>(c.kind) << c.recording;
    EXPECT_TRUE(arrival.playShutter);  // the flag stays set until a grab
  }
}

// A still that cannot be written: no file, no shutter, and the reason handed up once per burst (the
// arrivals of one request chain); a written still or a new Camera command starts a new burst.
TEST_F(StillCaptureTest, FailedStillsAreSilentForTheShutterAndReportedOncePerBurst) {
  TestFrame frame(320, 240);
  StillCapture capture([](StillKind) {});
  std::vector<bool> reported;
  const auto arrive = [&](bool written) {
    AtomicFile::setFaultHook(
        [written](AtomicFile::Step step) { return !written && step == AtomicFile::Step::Write ? ENOSPC : 0; });
    const StillCapture::Arrival arrival = capture.stillArrived(StillKind::Command, frame.view(), QString(), false);
    AtomicFile::setFaultHook({});
    EXPECT_EQ(arrival.path.has_value(), written);
    EXPECT_EQ(arrival.playShutter, written);
    if (arrival.failure) {
      EXPECT_EQ(arrival.failure->result.reason, QString::fromLocal8Bit(std::strerror(ENOSPC)));
      EXPECT_TRUE(arrival.failure->path.startsWith(pictures_));
    }
    reported.push_back(arrival.failure.has_value());
  };
  capture.takePicture();
  arrive(false);
  arrive(false);
  arrive(false);
  capture.takePicture();
  arrive(false);
  arrive(true);
  arrive(false);
  EXPECT_EQ(reported, (std::vector<bool>{true, false, false, true, false, true}));
  EXPECT_EQ(pictureFiles().size(), 1);
  EXPECT_TRUE(prompter_->records().empty());  // the window shows it, not the capture side
}

TEST_F(StillCaptureTest, BadFramesAndNamesAreRefused) {
  TestFrame frame(320, 240);
  StillCapture capture;
  StillFrame shortFrame = frame.view();
  shortFrame.length -= 1;  // one byte short of the promised rows
  EXPECT_FALSE(capture.saveStill(shortFrame, QString(), false));
  StillFrame narrow = frame.view();
  narrow.stride = 10;
  EXPECT_FALSE(capture.saveStill(narrow, QString(), false));
  EXPECT_TRUE(pictureFiles().isEmpty());

  const auto path = capture.saveStill(frame.view(), QStringLiteral("../../x"), false);
  ASSERT_TRUE(path);
  EXPECT_EQ(QFileInfo(*path).absolutePath(), QFileInfo(pictures_).absoluteFilePath());
  EXPECT_EQ(StillCapture::nameSafeMagnification(QString(40, QLatin1Char('9'))).size(), 23);
}

TEST_F(StillCaptureTest, RemovedPictureFolderIsMadeAgain) {
  ASSERT_TRUE(QDir(pictures_).removeRecursively());
  TestFrame frame(320, 240);
  StillCapture capture;
  const auto path = capture.saveStill(frame.view(), QString(), false);
  ASSERT_TRUE(path);
  EXPECT_TRUE(QFileInfo(*path).completeBaseName().endsWith(QStringLiteral("_N0001")));
  EXPECT_EQ(pictureFiles(), QStringList{QFileInfo(*path).fileName()});
}

TEST_F(StillCaptureTest, FolderNamedLikeAStillIsReported) {
  setFormat(ImageFormat::Jpeg);
  ASSERT_TRUE(QDir(pictures_).mkdir(QStringLiteral("Still_N0040.jpg")));
  TestFrame frame(320, 240);
  StillCapture capture;
  const auto path = capture.saveStill(frame.view(), QString(), false);
  ASSERT_TRUE(path);
  EXPECT_TRUE(path->endsWith(QStringLiteral("_N0001.jpg")));
  EXPECT_EQ(prompter_->messageTexts(), std::vector<QString>{QStringLiteral("Picture Error")});
}

}  // namespace
}  // namespace lumivex

namespace lumivex {
namespace {

TEST(StillFrameFromDib, AcceptsOnlyWholeBottomUp24BitFrames) {
  const auto dib = [](int width, int height, int bpp, int rowsPresent) {
    QByteArray bytes(40, '\0');
    auto* h = reinterpret_cast<uchar*>(bytes.data());
    h[0] = 40;
    std::memcpy(h + 4, &width, 4);
    std::memcpy(h + 8, &height, 4);
    h[12] = 1;
    h[14] = static_cast<uchar>(bpp);
    bytes.append(QByteArray(((width * 3 + 3) & ~3) * rowsPresent, '\x7f'));
    return bytes;
  };
  const struct {
    QByteArray bytes;
    bool valid;
  } cases[] = {
      {dib(6, 4, 24, 4), true},   {dib(6, 4, 24, 3), false},  // one row short
      {dib(6, -4, 24, 4), false}, {dib(6, 4, 32, 4), false}, {QByteArray(39, '\0'), false}, {QByteArray(), false},
  };
  for (const auto& c : cases) EXPECT_EQ(StillCapture::frameFromDib(c.bytes).valid(), c.valid);
  const QByteArray good = dib(6, 4, 24, 4);
  const StillFrame frame = StillCapture::frameFromDib(good);
  EXPECT_EQ(frame.stride, 20);
  EXPECT_EQ(frame.bottomUp, reinterpret_cast<const std::uint8_t*>(good.constData()) + 40);
}

}  // namespace
}  // namespace lumivex
