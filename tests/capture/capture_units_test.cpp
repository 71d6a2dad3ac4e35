// Capture logic that needs no camera: stored formats, the high-resolution rule, caps, the key device.
#include "capture/cap_config.h"
#include "capture/caps_parser.h"
#include "capture/demo_scene.h"
#include "capture/evdev_snap_key.h"
#include "capture/size_presets.h"
#include "tests/support/temp_home.h"

#include "core/app_context.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cerrno>

namespace lumivex {
namespace {

quint32 u32(const QByteArray& b, int offset) {
  return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(b.constData()) + offset);
}

TEST(CapConfigTest, DefaultFormatHasTheVideoInfoLayout) {
  const CapConfig c = CapConfig::defaultFormat(1600, 1200);
  const QByteArray& b = c.bytes();
  ASSERT_EQ(b.size(), 88);
  EXPECT_EQ(u32(b, 48), 40u);                            // biSize
  EXPECT_EQ(u32(b, 52), 1600u);                          // biWidth
  EXPECT_EQ(u32(b, 56), 1200u);                          // biHeight
  EXPECT_EQ(b[62], 16);                                  // biBitCount
  EXPECT_EQ(u32(b, 64), 0x32595559u);                    // 'YUY2'
  EXPECT_EQ(u32(b, 68), 1600u * 1200u * 2u);             // biSizeImage
  EXPECT_EQ(u32(b, 32), 30u * 1600u * 1200u * 2u * 8u);  // bit rate at 30 fps
  EXPECT_EQ(c.frameTime(), 333333);
}

TEST(CapConfigTest, RoundTripsThroughTheFileAndIgnoresShortFiles) {
  test::TempHome home;
  AppContext::initialise();
  const QString path = capConfigPath();
  EXPECT_FALSE(CapConfig::read(path).has_value());  // missing: the caller uses the default

  CapConfig c = CapConfig::defaultFormat(1600, 1200);
  c.setSize(640, 480);
  ASSERT_TRUE(c.write(path));
  EXPECT_EQ(test::readBytes(path).size(), 88);
  const auto back = CapConfig::read(path);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->bytes(), c.bytes());
  EXPECT_EQ(back->width(), 640);
  EXPECT_EQ(back->imageSize(), 640u * 480u * 2u);

  // A longer file is taken as its first 88 bytes; a shorter one is unreadable.
  ASSERT_TRUE(test::writeBytes(path, c.bytes() + QByteArray(12, 'x')));
  EXPECT_EQ(CapConfig::read(path)->bytes(), c.bytes());
  ASSERT_TRUE(test::writeBytes(path, c.bytes().left(87)));
  EXPECT_FALSE(CapConfig::read(path).has_value());
  AppContext::shutdown();
}

TEST(CapConfigTest, ZeroFrameTimeGivesNoBitRateInsteadOfDividingByZero) {
  EXPECT_EQ(CapConfig::bitRateFor(0, 100), 0u);
  EXPECT_EQ(CapConfig::bitRateFor(666666, 100), 15u * 100u * 8u);
}

TEST(SizePresetsTest, HighResolutionRuleOverCapabilityLists) {
  const struct {
    const char* caps;
    bool current;
    bool expected;
  } cases[] = {
      {"video/x-raw,format=YUY2,width=640,height=480,framerate=30/1;"
       "video/x-raw,format=YUY2,width=1600,height=1200,framerate=5/1",
       false, true},
      {"video/x-raw,format=YUY2,width=640,height=480,framerate=30/1;"
       "video/x-raw,format=YUY2,width=1280,height=1024,framerate=7/1",
       true, false},
      // Only raw capabilities count: MJPEG at 1600 x 1200 decides nothing.
      {"image/jpeg,width=1600,height=1200,framerate=30/1;video/x-raw,format=YUY2,width=1280,height=1024", true, false},
      {"image/jpeg,width=1600,height=1200,framerate=30/1", false, false},
      {"image/jpeg,width=1600,height=1200,framerate=30/1", true, true},
      {"video/x-raw,format=UYVY,width=1600,height=1200", false, true},
      // A range whose minimum width is not 1600 does not qualify, even if it includes it.
      {"video/x-raw,format=YUY2,width=[320,1600],height=[240,1200]", true, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SizePresets::highResolutionModel(parseCapabilities(QString::fromLatin1(c.caps)), c.current), c.expected)
        << c.caps;
}

TEST(SizePresetsTest, PresetsAndRateClassesByModel) {
  EXPECT_EQ(SizePresets::size(SizePresets::Small, true), QSize(640, 480));
  EXPECT_EQ(SizePresets::size(SizePresets::Large, false), QSize(1280, 1024));
  const struct {
    int width;
    bool high;
    int rate;
  } cases[] = {{640, true, 15},  {1280, true, 14}, {1600, true, 5}, {320, false, 15},
               {640, false, 14}, {1280, false, 5}, {800, true, 5}};
  for (const auto& c : cases) EXPECT_EQ(SizePresets::rateClass(c.width, c.high), c.rate) << c.width;
  EXPECT_EQ(SizePresets::presetForWidth(800, true), -1);
  EXPECT_EQ(SizePresets::label(SizePresets::Medium, true), QStringLiteral("1280*960"));
}

TEST(CapsParserTest, PrefersMjpegOnlyWhereItIsFaster) {
  const auto caps =
      parseCapabilities(QStringLiteral("video/x-raw,format=YUY2,width=1600,height=1200,framerate={5/1,3/1};"
                                       "image/jpeg,width=1600,height=1200,framerate=30/1;"
                                       "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1;"
                                       "image/jpeg,width=640,height=480,framerate=30/1"));
  ASSERT_EQ(caps.size(), 4u);
  EXPECT_DOUBLE_EQ(caps[0].maxFps, 5.0);
  const auto big = chooseSourceFormat(caps, QSize(1600, 1200));
  ASSERT_TRUE(big.has_value());
  EXPECT_EQ(big->format, PixelFormat::Mjpeg);
  EXPECT_EQ(big->caps, QStringLiteral("image/jpeg,width=1600,height=1200"));
  const auto small = chooseSourceFormat(caps, QSize(640, 480));
  ASSERT_TRUE(small.has_value());
  EXPECT_EQ(small->format, PixelFormat::Yuy2);
  EXPECT_FALSE(chooseSourceFormat(caps, QSize(1280, 1024)).has_value());
  EXPECT_EQ(largestSize(caps), QSize(1600, 1200));
}

TEST(EvdevSnapKeyTest, FindsTheKeyDeviceUnderTheCamerasUsbDevice) {
  QTemporaryDir sys;
  const QString usb = sys.path() + QStringLiteral("/devices/pci0/usb1/1-2");
  ASSERT_TRUE(QDir().mkpath(usb + QStringLiteral("/1-2:1.0/video4linux/video0")));
  ASSERT_TRUE(QDir().mkpath(usb + QStringLiteral("/1-2:1.0/input/input7/event5")));
  ASSERT_TRUE(QDir().mkpath(sys.path() + QStringLiteral("/devices/pci0/usb1/1-3/1-3:1.0/input/input9/event9")));
  ASSERT_TRUE(test::writeBytes(usb + QStringLiteral("/idVendor"), "1234\n"));
  ASSERT_TRUE(QDir().mkpath(sys.path() + QStringLiteral("/class/video4linux/video0")));
  ASSERT_TRUE(
      QFile::link(usb + QStringLiteral("/1-2:1.0"), sys.path() + QStringLiteral("/class/video4linux/video0/device")));
  EXPECT_EQ(EvdevSnapKey::findKeyNodes(QStringLiteral("/dev/video0"), sys.path()),
            QStringList{QStringLiteral("/dev/input/event5")});
  EXPECT_TRUE(EvdevSnapKey::findKeyNodes(QStringLiteral("/dev/video3"), sys.path()).isEmpty());
  // No camera on this machine: a key source for a missing node is inactive and harmless.
  EvdevSnapKey key(QStringLiteral("/dev/video99"), [] {});
  EXPECT_FALSE(key.active());
}

TEST(EvdevSnapKeyTest, RefusedAccessNamesTheUdevRule) {
  // Only a refusal is cured by the rule; a missing node must not send the user to install it.
  const QString refused = EvdevSnapKey::openFailureText(QStringLiteral("/dev/input/event5"), EACCES);
  EXPECT_TRUE(refused.contains(QStringLiteral("/dev/input/event5"))) << refused.toStdString();
  EXPECT_TRUE(refused.contains(QStringLiteral("70-lumivex.rules"))) << refused.toStdString();
  const QString gone = EvdevSnapKey::openFailureText(QStringLiteral("/dev/input/event5"), ENOENT);
  EXPECT_FALSE(gone.contains(QStringLiteral("70-lumivex.rules"))) << gone.toStdString();
  EXPECT_TRUE(gone.contains(QStringLiteral("snapshot key does nothing")));
}

TEST(DemoSceneTest, GeometryMatchesTheDocumentedMicrometres) {
  // 1600 px over 800 um: 2 px per um. Disc A: centre (200, 260) um, radius 60 um.
  const QImage img = DemoScene::specimen(QSize(1600, 1200));
  auto dark = [&img](int x, int y) { return qGray(img.pixel(x, y)) < 120; };
  EXPECT_TRUE(dark(400, 520));
  EXPECT_TRUE(dark(400 + 116, 520));
  EXPECT_FALSE(dark(400 + 124, 520));
  // The band's edges at y = 380 and 420 um.
  EXPECT_FALSE(dark(800, 756));
  EXPECT_TRUE(dark(800, 764));
  EXPECT_TRUE(dark(800, 836));
  EXPECT_FALSE(dark(800, 844));
  // Ticks every 10 um along the micrometer: x = 100 + 10k um, 20 px apart here.
  EXPECT_TRUE(dark(200 + 20 * 7, 150));
  EXPECT_FALSE(dark(200 + 20 * 7 + 10, 150));
  EXPECT_DOUBLE_EQ(DemoScene::pixelPitchUm(640), 1.25);
}

}  // namespace
}  // namespace lumivex
