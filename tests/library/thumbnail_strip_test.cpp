#include "library/thumbnail_strip.h"

#include "core/app_context.h"
#include "library/thumbnail_menu.h"
#include "widgets/icon_menu.h"

#include "tests/library/library_test_files.h"

#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using Slots = std::array<int, ThumbnailStrip::kSlots>;

class ThumbnailStripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pictures_ = dir_.filePath(QStringLiteral("Picture"));
    videos_ = dir_.filePath(QStringLiteral("Video"));
    QDir().mkpath(pictures_);
    QDir().mkpath(videos_);
  }
  QString picture(int n) const {
    return pictures_ + QStringLiteral("/Still_2024-01-01_000000_N%1.jpg").arg(n, 4, 10, QLatin1Char('0'));
  }
  void writeStills(int count) {
    for (int n = 1; n <= count; ++n) ASSERT_TRUE(test::writePicture(picture(n), {160, 120}, Qt::gray, "JPG"));
  }
  Slots settledSlots(ThumbnailStrip& strip) {
    EXPECT_TRUE(strip.waitForThumbnails(30000));
    return strip.slotEntries();
  }

  QTemporaryDir dir_;
  QString pictures_;
  QString videos_;
};

TEST_F(ThumbnailStripTest, TenPicturesThenOneCapture) {
  writeStills(10);
  ThumbnailStrip strip;
  strip.ScanFolders(pictures_, videos_);
  EXPECT_EQ(strip.pictures().count(), 10);
  EXPECT_EQ(settledSlots(strip), (Slots{4, 5, 6, 7, 8, 9}));
  EXPECT_TRUE(strip.scrollBar()->isEnabled());

  ASSERT_TRUE(test::writePicture(picture(11), {160, 120}, Qt::gray, "JPG"));
  strip.AddCapturedPicture(picture(11));
  EXPECT_EQ(settledSlots(strip), (Slots{6, 7, 8, 9, 10, -1}));
  ASSERT_TRUE(strip.CurrentEntry());
  EXPECT_EQ(strip.CurrentEntry()->path, picture(11));
  EXPECT_EQ(strip.scrollBar()->value(), 6);
}

TEST_F(ThumbnailStripTest, ScanRulesAndUnreadableFilesTakeNoSlot) {
  ASSERT_TRUE(test::writeBytes(pictures_ + QStringLiteral("/a40.bmp"), QByteArray(40, 'x')));
  ASSERT_TRUE(test::writeBytes(pictures_ + QStringLiteral("/b41.bmp"), QByteArray(41, 'x')));
  ASSERT_TRUE(test::writePicture(pictures_ + QStringLiteral("/c.jpg"), {160, 120}, Qt::red, "JPG"));
  QByteArray truncated = test::readBytes(pictures_ + QStringLiteral("/c.jpg"));
  ASSERT_TRUE(test::writeBytes(pictures_ + QStringLiteral("/d.jpg"), truncated.left(truncated.size() / 2)));
  ASSERT_TRUE(test::writePicture(pictures_ + QStringLiteral("/e.bmp"), {160, 120}, Qt::red, "BMP"));
  QDir(pictures_).mkdir(QStringLiteral("sub.jpg"));
  ASSERT_TRUE(test::writeBytes(videos_ + QStringLiteral("/one.AVI"), QByteArray(10, 'x')));
  ASSERT_TRUE(test::writeBytes(videos_ + QStringLiteral("/two.txt"), QByteArray(100, 'x')));

  ThumbnailStrip strip;
  strip.ScanFolders(pictures_, videos_);
  QStringList listed;
  for (const MediaEntry& e : strip.pictures().entries()) listed << QFileInfo(e.path).fileName();
  EXPECT_EQ(listed, (QStringList{QStringLiteral("b41.bmp"), QStringLiteral("c.jpg"), QStringLiteral("d.jpg"),
                                 QStringLiteral("e.bmp")}));
  EXPECT_EQ(strip.pictures().entries()[0].flags, MediaEntry::kScanned);
  EXPECT_EQ(strip.videos().count(), 1);
  // b41.bmp and the truncated d.jpg are listed but give their slots to the next readable entry.
  EXPECT_EQ(settledSlots(strip), (Slots{1, 3, -1, -1, -1, -1}));
  EXPECT_FALSE(strip.scrollBar()->isEnabled());
}

TEST_F(ThumbnailStripTest, MissingFilesAreDroppedWhenDrawn) {
  writeStills(8);
  ThumbnailStrip strip;
  strip.ScanFolders(pictures_, videos_);
  ASSERT_TRUE(QFile::remove(picture(8)));
  ASSERT_TRUE(QFile::remove(picture(5)));
  // The first layout meets the missing files among entries 2..7 and drops them.
  EXPECT_EQ(strip.slotEntries(), (Slots{2, 3, 4, 5, -1, -1}));
  EXPECT_EQ(strip.pictures().count(), 6);
  EXPECT_EQ(strip.pictures().firstVisible(), 0);  // six or fewer: back to the start
  EXPECT_EQ(settledSlots(strip), (Slots{0, 1, 2, 3, 4, 5}));
}

TEST_F(ThumbnailStripTest, SelectAtHitsOnlyFilledSlots) {
  writeStills(3);
  ThumbnailStrip strip;
  strip.ScanFolders(pictures_, videos_);
  settledSlots(strip);
  EXPECT_TRUE(strip.SelectAt(strip.mapToGlobal(strip.slotRect(1).center())));
  ASSERT_TRUE(strip.CurrentEntry());
  EXPECT_EQ(strip.CurrentEntry()->path, picture(2));
  EXPECT_FALSE(strip.SelectAt(strip.mapToGlobal(strip.slotRect(4).center())));  // an empty slot
  EXPECT_FALSE(strip.CurrentEntry());
  EXPECT_TRUE(strip.SelectAt(strip.mapToGlobal(strip.slotRect(0).center())));
  EXPECT_FALSE(strip.SelectAt(strip.mapToGlobal(QPoint(2, 2))));  // beside the slots
  EXPECT_FALSE(strip.CurrentEntry());
}

TEST_F(ThumbnailStripTest, GeometryAndFolderSwitch) {
  ThumbnailStrip strip;
  EXPECT_EQ(strip.objectName(), QStringLiteral("1002"));
  EXPECT_EQ(strip.size(), QSize(642, 115));
  EXPECT_LE(strip.slotRect(5).right(), 642);  // the sixth slot fits beside the scroll bar's width

  ASSERT_TRUE(test::writeBytes(videos_ + QStringLiteral("/Video_1.avi"), QByteArray(100, 'x')));
  strip.ScanFolders(pictures_, videos_);
  strip.showFolder(ThumbnailStrip::Folder::Videos);
  EXPECT_EQ(strip.shownList().count(), 1);
  EXPECT_EQ(strip.shownFolderPath(), videos_);
}

TEST_F(ThumbnailStripTest, CacheFollowsFileChanges) {
  const QString path = pictures_ + QStringLiteral("/x.jpg");
  ASSERT_TRUE(test::writePicture(path, {320, 240}, Qt::red, "JPG"));
  ThumbnailStrip strip;
  strip.ScanFolders(pictures_, videos_);
  settledSlots(strip);
  const QPoint centre = strip.slotRect(0).center();
  EXPECT_GT(strip.grab().toImage().pixelColor(centre).red(), 230);
  EXPECT_EQ(strip.cache().size(), 1);

  ASSERT_TRUE(test::writePicture(path, {320, 240}, Qt::blue, "JPG"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
  file.close();
  settledSlots(strip);
  const QColor after = strip.grab().toImage().pixelColor(centre);
  EXPECT_GT(after.blue(), 230);
  EXPECT_LT(after.red(), 30);
}

}  // namespace
}  // namespace lumivex

namespace lumivex {
namespace {

TEST(ThumbnailMenu, SixCommandsWithTheirIcons) {
  test::TempHome home;
  AppContext::initialise();  // the skin's icons are found through the program's paths
  const std::unique_ptr<IconMenu> menu = ThumbnailMenu::create(nullptr);
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 6);
  const std::vector<std::pair<int, QString>> expected{
      {1234, QStringLiteral("Open...")}, {1235, QStringLiteral("Save as...")}, {1300, QStringLiteral("Save All")},
      {1236, QStringLiteral("Delete")},  {410, QStringLiteral("Delete All")},  {1274, QStringLiteral("E-Mail")}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const QAction* action = actions[static_cast<qsizetype>(i)];
    EXPECT_EQ(IconMenu::commandOf(action), expected[i].first);
    EXPECT_EQ(action->text(), expected[i].second);
    EXPECT_FALSE(action->icon().isNull()) << expected[i].first;
  }
  AppContext::shutdown();
}

}  // namespace
}  // namespace lumivex
