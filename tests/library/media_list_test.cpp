#include "library/media_list.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

MediaList listOf(int count) {
  MediaList list;
  for (int i = 0; i < count; ++i) list.appendScanned(QStringLiteral("/p/%1.jpg").arg(i));
  return list;
}

TEST(MediaList, ScanShowsTheLastSixAndACaptureTheLastFive) {
  const struct {
    int scanned;
    int firstAfterScan;
    int firstAfterCapture;
  } cases[] = {{0, 0, 0}, {5, 0, 0}, {6, 0, 2}, {7, 1, 3}, {10, 4, 6}};
  for (const auto& c : cases) {
    MediaList list = listOf(c.scanned);
    EXPECT_EQ(list.firstVisible(), c.firstAfterScan) << c.scanned;
    list.addCaptured(QStringLiteral("/p/new.jpg"));
    EXPECT_EQ(list.firstVisible(), c.firstAfterCapture) << c.scanned;
    EXPECT_EQ(list.currentEntry(), c.scanned);
    EXPECT_EQ(list.entries().back().flags, MediaEntry::kAdded);
  }
}

TEST(MediaList, ScrollRangeAndClamping) {
  MediaList small = listOf(4);
  EXPECT_EQ(small.rangeMax(), 5);
  EXPECT_FALSE(small.scrollable());
  MediaList list = listOf(20);
  EXPECT_EQ(list.rangeMax(), 19);
  EXPECT_TRUE(list.scrollable());
  const struct {
    int to;
    int first;
  } moves[] = {{-3, 0}, {7, 7}, {19, 19}, {40, 19}};
  for (const auto& m : moves) {
    list.scrollTo(m.to);
    EXPECT_EQ(list.firstVisible(), m.first) << m.to;
  }
  while (list.count() > 6) list.removeAt(0);
  EXPECT_EQ(list.firstVisible(), 0);  // a short list always starts at its beginning
}

TEST(MediaList, CurrentSurvivesRemovalOfOthersAndIsUnique) {
  MediaList list = listOf(8);
  ASSERT_TRUE(list.setCurrent(5));
  EXPECT_TRUE(list.removePath(QStringLiteral("/P/2.JPG")));  // paths compare without regard to case
  EXPECT_EQ(list.currentIndex(), 4);
  EXPECT_EQ(list.entries()[4].path, QStringLiteral("/p/5.jpg"));
  EXPECT_EQ(list.currentEntry(), 4);

  // A whole range flagged current (as Save all does) never outlives the next selection.
  for (int i = 0; i < list.count(); ++i) list.setFlags(i, list.entries()[static_cast<std::size_t>(i)].flags | 4);
  ASSERT_TRUE(list.setCurrent(6));
  EXPECT_EQ(list.currentEntry(), 6);
  EXPECT_TRUE(list.removePath(QStringLiteral("/p/7.jpg")));
  EXPECT_EQ(list.currentEntry(), -1);
  EXPECT_EQ(list.currentIndex(), -1);
  EXPECT_FALSE(list.removePath(QStringLiteral("/p/none.jpg")));
}

}  // namespace
}  // namespace lumivex
