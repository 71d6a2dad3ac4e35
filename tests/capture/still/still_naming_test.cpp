#include "capture/still/still_naming.h"

#include "tests/support/temp_home.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

TEST(StillNaming, CounterIsTheNumberAfterTheLastCapitalN) {
  const struct {
    const char* name;
    int counter;
  } cases[] = {
      {"Still_2014-05-06_101112_N0009.jpg", 9},
      {"Still_2014-05-06_101300_100X_N0012.jpg", 12},
      {"photo.jpg", 0},
      {"Still_2014-05-06_101112_n0009.jpg", 0},  // only a capital N counts
      {"NoteN0042.bmp", 42},                     // the last N wins
      {"x_N12.3.jpg", 12},                       // cut at the last dot, then leading digits
      {"x_N0007", 7},                            // no extension at all
      {"x_N.5", 0},                              // a dot right after the N is not a cut point
      {"x_N99999999999.jpg", 2147483646},        // absurd numbers stay in range
  };
  for (const auto& c : cases) EXPECT_EQ(StillNaming::counterOf(QString::fromLatin1(c.name)), c.counter) << c.name;
}

TEST(StillNaming, NextCounterPerExtension) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  EXPECT_EQ(StillNaming::nextCounter(dir.path(), QStringLiteral(".jpg")), 1);

  const QByteArray bytes(100, 'x');
  for (const char* name : {"Still_2014-05-06_101112_N0009.jpg", "Still_2014-05-06_101300_100X_N0012.jpg", "photo.jpg",
                           "Still_2014-05-06_101300_N0030.png"}) {
    ASSERT_TRUE(test::writeBytes(dir.filePath(QString::fromLatin1(name)), bytes));
  }
  EXPECT_EQ(StillNaming::nextCounter(dir.path(), QStringLiteral(".jpg")), 13);
  EXPECT_EQ(StillNaming::nextCounter(dir.path(), QStringLiteral(".bmp")), 1);

  // The extension matches without regard to case, as names did where the files came from.
  ASSERT_TRUE(test::writeBytes(dir.filePath(QStringLiteral("STILL_N0020.JPG")), bytes));
  EXPECT_EQ(StillNaming::nextCounter(dir.path(), QStringLiteral(".jpg")), 21);
}

TEST(StillNaming, FolderEntriesAreReportedAndSkipped) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Still_N0050.jpg")));
  ASSERT_TRUE(test::writeBytes(dir.filePath(QStringLiteral("Still_N0003.jpg")), QByteArray(50, 'x')));
  QStringList folders;
  EXPECT_EQ(StillNaming::nextCounter(dir.path(), QStringLiteral(".jpg"), [&](const QString& n) { folders << n; }), 4);
  EXPECT_EQ(folders, QStringList{QStringLiteral("Still_N0050.jpg")});
}

TEST(StillNaming, FileNamePatterns) {
  const QDateTime when(QDate(2014, 5, 6), QTime(10, 11, 12));
  EXPECT_EQ(StillNaming::fileName(QStringLiteral("/p"), when, QString(), 7, QStringLiteral(".jpg")),
            QStringLiteral("/p/Still_2014-05-06_101112_N0007.jpg"));
  EXPECT_EQ(StillNaming::fileName(QStringLiteral("/p"), when, QStringLiteral("100"), 8, QStringLiteral(".jpg")),
            QStringLiteral("/p/Still_2014-05-06_101112_100X_N0008.jpg"));
  EXPECT_EQ(StillNaming::fileName(QStringLiteral("/p"), when, QStringLiteral("40"), 12345, QStringLiteral(".bmp")),
            QStringLiteral("/p/Still_2014-05-06_101112_40X_N12345.bmp"));
}

}  // namespace
}  // namespace lumivex
