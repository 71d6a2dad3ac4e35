#include "capture/timed/manual_series_clock.h"
#include "capture/timed/timed_capture_controller.h"
#include "capture/timed/timed_capture_rules.h"
#include "capture/timed/timed_series.h"
#include "tests/capture/capture_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace lumivex {
namespace {

using namespace std::chrono_literals;

// Waits, without sleeping a fixed time, until the condition holds.
bool eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

TEST(SizeEstimate, Table) {
  const struct {
    int pictures;
    std::int64_t frameBytes;
    bool highResolution;
    const char* text;
  } cases[] = {
      {8, 1600 * 1200 * 3, true, "  24.00"},  // 24 whole megabytes, 0 hundredths
      {1, 640 * 480 * 3, true, "   0.48"},    // 48 hundredths
      {1, 96000, true, "   0.05"},            // a single-digit hundredth keeps its zero
      {3, 96000, true, "   0.15"},
      {200, 1600 * 1200 * 3, true, " 600.00"},
      {8, 1280 * 1024 * 3, false, "  24.00"},  // 5/65536 on the other model
      {1, 320 * 240 * 3, false, "   0.17"},
      {1, 0, true, "   0.00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SizeEstimate::text(c.pictures, c.frameBytes, c.highResolution), QString::fromLatin1(c.text))
        << c.pictures << " x " << c.frameBytes;
  }
}

TEST(StartFields, ComparedFieldByField) {
  const QDateTime now(QDate(2024, 5, 6), QTime(10, 11, 12, 900));
  const struct {
    StartFields start;
    bool before;
  } cases[] = {
      {{2024, 5, 6, 10, 11, 12}, false},  // the current second is accepted
      {{2024, 5, 6, 10, 11, 11}, true},   {{2024, 5, 6, 10, 11, 13}, false},
      {{2024, 5, 5, 23, 59, 59}, true},   {{2024, 5, 6, 9, 60, 0}, true},  // minute 60 of hour 9 is still before 10:11
      {{2024, 5, 6, 24, 0, 0}, false},                                     // hour 24 is later than any real hour
      {{2023, 12, 31, 24, 60, 60}, true}, {{2024, 4, 31, 0, 0, 0}, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.start.isBefore(now), c.before) << c.start.year << "-" << c.start.month << "-" << c.start.day << " "
                                               << c.start.hour << ":" << c.start.minute << ":" << c.start.second;
  }
}

TEST(StartFields, TheMomentAClockReachesTheFields) {
  const struct {
    StartFields start;
    QDateTime at;
  } cases[] = {
      {{2024, 5, 6, 10, 11, 12}, QDateTime(QDate(2024, 5, 6), QTime(10, 11, 12))},
      {{2024, 5, 6, 24, 0, 0}, QDateTime(QDate(2024, 5, 7), QTime(0, 0))},
      {{2024, 5, 6, 10, 60, 30}, QDateTime(QDate(2024, 5, 6), QTime(11, 0))},
      {{2024, 5, 6, 10, 59, 60}, QDateTime(QDate(2024, 5, 6), QTime(11, 0))},
      {{2024, 5, 6, 23, 60, 0}, QDateTime(QDate(2024, 5, 7), QTime(0, 0))},
      {{2024, 4, 31, 12, 0, 0}, QDateTime(QDate(2024, 5, 1), QTime(0, 0))},
      {{2023, 2, 29, 8, 0, 0}, QDateTime(QDate(2023, 3, 1), QTime(0, 0))},
      {{2024, 12, 31, 24, 0, 0}, QDateTime(QDate(2025, 1, 1), QTime(0, 0))},
  };
  for (const auto& c : cases) EXPECT_EQ(c.start.earliestReaching(), c.at) << c.at.toString().toStdString();
}

// Records the series' calls with the clock's time.
struct SeriesLog {
  explicit SeriesLog(ManualSeriesClock& c) : clock(c) {}
  TimedSeries::Callbacks callbacks() {
    return {[this](int picture) {
              std::lock_guard lock(mutex);
              pictures.emplace_back(picture, clock.now());
            },
            [this] { finished.store(true); }};
  }
  std::size_t count() {
    std::lock_guard lock(mutex);
    return pictures.size();
  }
  ManualSeriesClock& clock;
  std::mutex mutex;
  std::vector<std::pair<int, SeriesClock::TimePoint>> pictures;
  std::atomic<bool> finished{false};
};

// Moves the clock on once the series sleeps.
void advanceWhenAsleep(ManualSeriesClock& clock, std::chrono::milliseconds step) {
  ASSERT_TRUE(eventually([&] { return clock.anyoneWaiting(); }));
  clock.advance(step);
}

TEST(TimedSeries, PicturesOnAbsoluteDeadlinesThenFinishedOneIntervalLater) {
  ManualSeriesClock clock;
  SeriesLog log(clock);
  const auto t0 = clock.now();
  TimedSeries series(clock, {clock.localNow(), 3s, 8}, log.callbacks());
  ASSERT_TRUE(eventually([&] { return log.count() == 1; }));  // the first at once
  // Uneven steps: a late wake-up must not push the later pictures back.
  advanceWhenAsleep(clock, 3500ms);
  ASSERT_TRUE(eventually([&] { return log.count() == 2; }));
  advanceWhenAsleep(clock, 2500ms);
  ASSERT_TRUE(eventually([&] { return log.count() == 3; }));
  for (int i = 3; i < 8; ++i) {
    advanceWhenAsleep(clock, 3s);
    ASSERT_TRUE(eventually([&] { return log.count() == static_cast<std::size_t>(i + 1); }));
  }
  EXPECT_FALSE(log.finished.load());
  advanceWhenAsleep(clock, 2999ms);
  EXPECT_TRUE(eventually([&] { return clock.anyoneWaiting(); }));
  EXPECT_FALSE(log.finished.load());
  clock.advance(1ms);
  ASSERT_TRUE(eventually([&] { return log.finished.load(); }));
  series.join();
  std::lock_guard lock(log.mutex);
  for (std::size_t i = 0; i < log.pictures.size(); ++i) {
    EXPECT_EQ(log.pictures[i].first, static_cast<int>(i + 1));
    if (i != 1) {
      EXPECT_EQ(log.pictures[i].second - t0, std::chrono::seconds(3 * i)) << i;
    }
  }
}

TEST(TimedSeries, WaitsForAStartTimeAhead) {
  ManualSeriesClock clock;
  SeriesLog log(clock);
  TimedSeries series(clock, {clock.localNow().addSecs(60), 3s, 2}, log.callbacks());
  advanceWhenAsleep(clock, 59s);
  ASSERT_TRUE(eventually([&] { return clock.anyoneWaiting(); }));
  EXPECT_EQ(log.count(), 0u);
  clock.advance(1s);
  EXPECT_TRUE(eventually([&] { return log.count() == 1; }));
}

TEST(TimedSeries, StopWhileWaitingTakesNoPicture) {
  ManualSeriesClock clock;
  SeriesLog log(clock);
  TimedSeries series(clock, {clock.localNow().addSecs(60), 3s, 8}, log.callbacks());
  ASSERT_TRUE(eventually([&] { return clock.anyoneWaiting(); }));
  series.stop();
  series.join();
  EXPECT_EQ(log.count(), 0u);
  EXPECT_FALSE(log.finished.load());
  EXPECT_TRUE(series.finished());
}

// With the real clock: a series an hour ahead is left at once (the test would time out otherwise).
TEST(TimedSeries, CancelDuringALongWaitReturnsAtOnce) {
  SystemSeriesClock clock;
  std::atomic<int> pictures{0};
  auto series = std::make_unique<TimedSeries>(clock, SeriesPlan{QDateTime::currentDateTime().addSecs(3600), 3s, 8},
                                              TimedSeries::Callbacks{[&](int) { pictures.fetch_add(1); }, {}});
  series.reset();
  EXPECT_EQ(pictures.load(), 0);
}

struct ControllerFixture : ::testing::Test {
  ManualSeriesClock clock;
  int requests = 0;
  std::vector<int> shown;
  int finishedCalls = 0;
  TimedCaptureController controller{
      clock, {[this] { ++requests; }, [this](int n) { shown.push_back(n); }, [this] { ++finishedCalls; }}};
  StartFields now() const { return StartFields::of(clock.localNow()); }
};

TEST_F(ControllerFixture, AStartTimeInThePastIsRefused) {
  StartFields past = now();
  past.second -= 1;
  EXPECT_EQ(controller.start(past, 0, 3, 8), TimedCaptureController::StartResult::StartInThePast);
  EXPECT_EQ(controller.state(), TimedCaptureController::State::Idle);
}

TEST_F(ControllerFixture, ASeriesAsksForStillsCollectsThemAndFinishes) {
  ASSERT_EQ(controller.start(now(), 0, 3, 3), TimedCaptureController::StartResult::Started);
  ASSERT_TRUE(test::waitFor([&] { return requests == 1; }, 20000));
  controller.stillSaved(1, QStringLiteral("/p/key.jpg"));  // the camera's own key: not the series'
  controller.stillSaved(0, QStringLiteral("/p/1.jpg"));
  for (int i = 2; i <= 3; ++i) {
    advanceWhenAsleep(clock, 3s);
    ASSERT_TRUE(test::waitFor([&] { return requests == i; }, 20000));
    controller.stillSaved(0, QStringLiteral("/p/%1.jpg").arg(i));
  }
  controller.stillSaved(0, QStringLiteral("/p/extra.jpg"));  // nothing asked for: not counted
  advanceWhenAsleep(clock, 3s);
  ASSERT_TRUE(test::waitFor([&] { return finishedCalls == 1; }, 20000));
  EXPECT_EQ(controller.state(), TimedCaptureController::State::Finished);
  EXPECT_EQ(shown, std::vector<int>({1, 2, 3}));
  EXPECT_EQ(controller.stills(), QStringList({"/p/1.jpg", "/p/2.jpg", "/p/3.jpg"}));
}

// Stop then Start at once: the first series' posts are dropped and only one worker ever runs.
TEST_F(ControllerFixture, StopAndStartInQuickSuccession) {
  ASSERT_EQ(controller.start(now(), 0, 3, 5), TimedCaptureController::StartResult::Started);
  controller.stop();  // its first picture may already be posted: it must not count
  EXPECT_EQ(controller.taken(), 0);
  ASSERT_EQ(controller.start(now(), 0, 3, 2), TimedCaptureController::StartResult::Started);
  ASSERT_TRUE(test::waitFor([&] { return requests >= 1; }, 20000));
  advanceWhenAsleep(clock, 3s);
  ASSERT_TRUE(test::waitFor([&] { return requests >= 2; }, 20000));
  advanceWhenAsleep(clock, 3s);
  ASSERT_TRUE(test::waitFor([&] { return finishedCalls == 1; }, 20000));
  QCoreApplication::processEvents();
  EXPECT_EQ(requests, 2);
  EXPECT_EQ(shown, std::vector<int>({1, 2}));
}

TEST_F(ControllerFixture, StopWhileWaitingForTheStart) {
  StartFields later = now();
  later.minute += 1;
  ASSERT_EQ(controller.start(later, 0, 3, 8), TimedCaptureController::StartResult::Started);
  ASSERT_TRUE(eventually([&] { return clock.anyoneWaiting(); }));
  controller.stop();
  controller.cancel();
  QCoreApplication::processEvents();
  EXPECT_EQ(requests, 0);
  EXPECT_EQ(controller.taken(), 0);
  EXPECT_EQ(controller.state(), TimedCaptureController::State::Idle);
}

TEST(TimedCaptureController, IntervalInMilliseconds) {
  EXPECT_EQ(TimedCaptureController::intervalOf(0, 3), 3000ms);
  EXPECT_EQ(TimedCaptureController::intervalOf(999, 60), std::chrono::milliseconds(999 * 60000 + 60000));
}

}  // namespace
}  // namespace lumivex
