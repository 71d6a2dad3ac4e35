#include "capture/recorder/video_naming.h"

#include "tests/support/temp_home.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

TEST(VideoNaming, CounterTable) {
  const struct {
    const char* what;
    std::vector<const char*> files;
    std::vector<const char*> folders;
    int next;
    std::vector<const char*> reported;
  } cases[] = {
      {"empty folder", {}, {}, 1, {}},
      {"three recordings, a clip without N and the scratch file",
       {"Video_2014-05-06_101112_N0001.avi", "Video_2014-05-06_101113_N0002.avi", "Video_2014-05-06_101114_N0003.avi",
        "clip.avi", "test.avi"},
       {},
       4,
       {}},
      {"upper-case extension counts", {"Video_2014-05-06_101112_N0007.AVI"}, {}, 8, {}},
      {"other extensions do not count", {"Still_2014-05-06_101112_N0040.jpg", "Video_x_N0002.avi"}, {}, 3, {}},
      {"a file being written atomically does not count",
       {"Video_2014-05-06_101112_N0002.avi", ".Timelapse_2014-05-06_101112_N0003.avi.lvxtmpN99999.avi"},
       {},
       3,
       {}},
      {"a sub-folder named like a video is reported, not counted",
       {"Video_2014-05-06_101112_N0002.avi"},
       {"Video_2014-05-06_101112_N0099.avi", "plain"},
       3,
       {"Video_2014-05-06_101112_N0099.avi"}},
  };
  for (const auto& c : cases) {
    QTemporaryDir dir;
    for (const char* f : c.files) ASSERT_TRUE(test::writeBytes(dir.filePath(QString::fromLatin1(f)), "x"));
    for (const char* f : c.folders) ASSERT_TRUE(QDir(dir.path()).mkdir(QString::fromLatin1(f)));
    QStringList reported;
    EXPECT_EQ(VideoNaming::nextCounter(dir.path(), [&](const QString& name) { reported << name; }), c.next) << c.what;
    QStringList expected;
    for (const char* r : c.reported) expected << QString::fromLatin1(r);
    EXPECT_EQ(reported, expected) << c.what;
  }
}

TEST(VideoNaming, NamePattern) {
  const QDateTime when(QDate(2014, 5, 6), QTime(10, 11, 12));
  EXPECT_EQ(VideoNaming::fileName(QStringLiteral("/v"), when, 3),
            QStringLiteral("/v/Video_2014-05-06_101112_N0003.avi"));
  EXPECT_EQ(VideoNaming::fileName(QStringLiteral("/v"), QDateTime(QDate(812, 1, 2), QTime(3, 4, 5)), 12345),
            QStringLiteral("/v/Video_ 812-01-02_030405_N12345.avi"));
  EXPECT_EQ(VideoNaming::fileName(QStringLiteral("/v"), when, 1, VideoNaming::kTimelapsePrefix),
            QStringLiteral("/v/Timelapse_2014-05-06_101112_N0001.avi"));
}

}  // namespace
}  // namespace lumivex
