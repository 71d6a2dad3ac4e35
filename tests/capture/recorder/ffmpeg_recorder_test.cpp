#include "capture/recorder/ffmpeg_recorder.h"
#include "tests/capture/recorder/media_probe.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <random>
#include <thread>

#include <sys/resource.h>

namespace lumivex {
namespace {

using namespace std::chrono_literals;

// A steady clock moved by hand.
struct ManualClock {
  std::atomic<std::int64_t> ns{1'000'000'000};
  FfmpegRecorder::Now now() {
    return [this] { return FramePacer::Clock::time_point(std::chrono::nanoseconds(ns.load())); };
  }
  void advance(std::chrono::nanoseconds d) { ns.fetch_add(d.count()); }
};

// A frame of BGR rows: top half red, bottom half blue; noise makes it hard to compress when asked.
struct Frame {
  Frame(int w, int h, bool noise = false, int padding = 0, unsigned seed = 7)
      : width(w), height(h), stride(w * 3 + padding) {
    bytes.assign(static_cast<std::size_t>(stride) * h, 0);
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        std::uint8_t* p = &bytes[static_cast<std::size_t>(y) * stride + x * 3];
        const bool top = y < h / 2;
        p[0] = top ? 0 : 255;
        p[1] = noise ? static_cast<std::uint8_t>(random()) : 0;
        if (noise) p[top ? 2 : 0] = static_cast<std::uint8_t>(random() | 0x80);
        p[2] = top ? 255 : 0;
      }
    }
  }
  void sendTo(FrameSink& sink) const { sink.writeFrame(bytes.data(), width, height, stride, 0); }
  int width, height, stride;
  std::vector<std::uint8_t> bytes;
};

// Waits (without sleeping a fixed time) until the encoder has written everything queued.
bool drained(const FfmpegRecorder& recorder) {
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (recorder.framesQueued() > 0) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

RecordingFormat formatFor(const QString& path, QSize size, int rate) {
  RecordingFormat format;
  format.path = path;
  format.size = size;
  format.rate = rate;
  return format;
}

// The camera delivers its own rate (here 25 frames a second) whatever the stream's rate: a 10 s
// recording must play 10 s. Frames are placed by the clock; a pause of the camera leaves its indexes
// empty.
TEST(FfmpegRecorder, PacesFramesByTheClockNotByTheirCount) {
  QTemporaryDir dir;
  std::mutex lock;
  ManualClock clock;
  FfmpegRecorder recorder(lock, clock.now());
  const QString path = dir.filePath(QStringLiteral("paced.avi"));
  ASSERT_EQ(recorder.start(formatFor(path, {320, 240}, 5)), QString());
  const Frame frame(320, 240);
  for (int i = 0; i < 250; ++i) {  // 10 s at 25 frames per second
    frame.sendTo(recorder);
    ASSERT_TRUE(drained(recorder));
    clock.advance(40ms);
    if (i == 124) clock.advance(2s);  // the camera stalls for two seconds (a graph restart)
  }
  const RecordingResult result = recorder.close();
  ASSERT_TRUE(result.listed());
  EXPECT_EQ(result.error, QString());
  EXPECT_EQ(result.framesDropped, 0);
  EXPECT_EQ(result.framesWritten, 50);  // one per 1/5 s of camera time
  EXPECT_EQ(result.indexes, 60);        // 12 s of stream, the stall included

  const test::ProbedVideo v = test::probeVideo(path);
  EXPECT_EQ(v.rate, QStringLiteral("5/1"));
  EXPECT_EQ(v.headerFrames, 60);
  EXPECT_EQ(v.readFrames, 50);
  EXPECT_DOUBLE_EQ(v.duration, 12.0);
  ASSERT_EQ(v.pts.size(), 50u);
  EXPECT_EQ(v.pts[24], 24);  // the last frame before the stall ...
  EXPECT_EQ(v.pts[25], 35);  // ... and the first after it, two seconds (10 indexes) later
}

TEST(FfmpegRecorder, EveryFrameIsWrittenOrCountedAsDropped) {
  QTemporaryDir dir;
  std::mutex lock;
  ManualClock clock;
  FfmpegRecorder recorder(lock, clock.now());
  ASSERT_EQ(recorder.start(formatFor(dir.filePath(QStringLiteral("burst.avi")), {1600, 1200}, 5)), QString());
  const Frame frame(1600, 1200, true);
  constexpr int kFrames = 40;  // delivered faster than any encoder here: the queue overflows
  for (int i = 0; i < kFrames; ++i) {
    frame.sendTo(recorder);
    clock.advance(200ms);
  }
  const RecordingResult result = recorder.close();
  EXPECT_EQ(result.framesWritten + result.framesDropped, kFrames);
  EXPECT_LE(result.framesWritten, kFrames);
  EXPECT_EQ(test::probeVideo(result.path).readFrames, result.framesWritten);
}

TEST(FfmpegRecorder, FailedStartsLeaveNothingBehind) {
  QTemporaryDir dir;
  std::mutex lock;
  FfmpegRecorder recorder(lock);
  const struct {
    const char* what;
    RecordingFormat format;
  } cases[] = {
      {"missing folder", formatFor(dir.filePath(QStringLiteral("gone/x.avi")), {640, 480}, 25)},
      {"full device", formatFor(QStringLiteral("/dev/full"), {640, 480}, 25)},
      {"unknown compressor",
       [&] {
         RecordingFormat f = formatFor(dir.filePath(QStringLiteral("y.avi")), {640, 480}, 25);
         f.options.handler = QStringLiteral("NONE");
         return f;
       }()},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(recorder.start(c.format).isEmpty()) << c.what;
    EXPECT_FALSE(recorder.isRecording()) << c.what;
    EXPECT_FALSE(recorder.close().listed()) << c.what;
  }
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
  EXPECT_TRUE(QFileInfo::exists(QStringLiteral("/dev/full")));
}

TEST(FfmpegRecorder, ARecordingWithoutFramesIsRemoved) {
  QTemporaryDir dir;
  std::mutex lock;
  FfmpegRecorder recorder(lock);
  const QString path = dir.filePath(QStringLiteral("empty.avi"));
  ASSERT_EQ(recorder.start(formatFor(path, {640, 480}, 25)), QString());
  EXPECT_TRUE(QFileInfo::exists(path));
  const RecordingResult result = recorder.close();
  EXPECT_FALSE(result.listed());
  EXPECT_FALSE(QFileInfo::exists(path));
  EXPECT_FALSE(recorder.close().listed());  // closing twice is harmless
}

// The file size limit stands in for a full disk or FAT32's 4 GB: the first failed write ends the
// recording, the listener hears why once, and what was written stays readable.
TEST(FfmpegRecorder, AWriteErrorEndsTheRecordingAndKeepsWhatWasWritten) {
  QTemporaryDir dir;
  std::mutex lock;
  ManualClock clock;
  FfmpegRecorder recorder(lock, clock.now());
  std::atomic<int> failures{0};
  QString reason;
  std::mutex reasonLock;
  recorder.setFailureListener([&](const QString& why) {
    std::lock_guard l(reasonLock);
    reason = why;
    failures.fetch_add(1);
  });
  const QString path = dir.filePath(QStringLiteral("limited.avi"));
  ASSERT_EQ(recorder.start(formatFor(path, {640, 480}, 25)), QString());

  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit limited = saved;
  limited.rlim_cur = static_cast<rlim_t>(QFileInfo(path).size() + 1'500'000);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

  // Noise that changes from frame to frame compresses badly: the limit is reached within a few frames.
  const Frame frames[] = {Frame(640, 480, true, 0, 1), Frame(640, 480, true, 0, 2)};
  const Frame& frame = frames[0];
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  for (int i = 0; failures.load() == 0 && std::chrono::steady_clock::now() < deadline; ++i) {
    frames[i % 2].sendTo(recorder);
    drained(recorder);
    clock.advance(40ms);
  }
  for (int i = 0; i < 5; ++i) {  // frames after the failure are not taken
    frame.sendTo(recorder);
    clock.advance(40ms);
  }
  const RecordingResult result = recorder.close();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(failures.load(), 1);
  {
    std::lock_guard l(reasonLock);
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(result.error, reason);
  }
  ASSERT_TRUE(result.listed());
  EXPECT_GE(result.framesWritten, 1);
  const test::ProbedVideo v = test::probeVideo(path);
  EXPECT_EQ(v.codec, QStringLiteral("msvideo1"));
  EXPECT_GE(v.readFrames, 1);
}

// F10-F12 or a reconnection change the frame size while recording: frames are scaled to the stream's
// size, reading only inside each frame (run under AddressSanitizer).
TEST(FfmpegRecorder, FramesOfAnotherSizeAreScaledIntoTheStream) {
  QTemporaryDir dir;
  std::mutex lock;
  ManualClock clock;
  FfmpegRecorder recorder(lock, clock.now());
  const QString path = dir.filePath(QStringLiteral("sizes.avi"));
  ASSERT_EQ(recorder.start(formatFor(path, {640, 480}, 25)), QString());
  const Frame frames[] = {Frame(1600, 1200), Frame(320, 240),   Frame(641, 479, false, 1),
                          Frame(640, 480),   Frame(1280, 1024), Frame(2, 2)};
  for (const Frame& f : frames) {
    f.sendTo(recorder);
    ASSERT_TRUE(drained(recorder));
    clock.advance(40ms);
  }
  const RecordingResult result = recorder.close();
  EXPECT_EQ(result.framesWritten, 6);
  EXPECT_EQ(result.framesResized, 5);
  const test::ProbedVideo v = test::probeVideo(path);
  EXPECT_EQ(v.width, 640);
  EXPECT_EQ(v.height, 480);
  EXPECT_EQ(v.readFrames, 6);
  const auto rgb = test::firstFrameRgb(path);  // from the 1600 x 1200 frame: still the right way up
  ASSERT_EQ(rgb.size(), 640u * 480u * 3u);
  EXPECT_GT(rgb[(10 * 640 + 320) * 3], 200);
  EXPECT_GT(rgb[(470 * 640 + 320) * 3 + 2], 200);
}

// Close and start race the frame thread (run under ThreadSanitizer): no frame reaches a closed file and
// every recording ends complete.
TEST(FfmpegRecorder, CloseRacingTheFrameThread) {
  QTemporaryDir dir;
  std::mutex lock;
  FfmpegRecorder recorder(lock);
  std::atomic<bool> done{false};
  std::thread frameThread([&] {
    const Frame frame(160, 120);
    while (!done.load()) {
      frame.sendTo(recorder);
      std::this_thread::yield();  // a camera delivers at its rate; a tight loop would starve the lock's other users
    }
  });
  for (int i = 0; i < 8; ++i) {
    const QString path = dir.filePath(QStringLiteral("race%1.avi").arg(i));
    ASSERT_EQ(recorder.start(formatFor(path, {160, 120}, 25)), QString());
    const qint64 header = QFileInfo(path).size();
    const auto until = std::chrono::steady_clock::now() + 30s;
    while (QFileInfo(path).size() <= header && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    const RecordingResult result = recorder.close();
    EXPECT_EQ(result.error, QString());
    if (result.listed()) {
      EXPECT_EQ(test::probeVideo(path).readFrames, result.framesWritten) << i;
    }
  }
  done = true;
  frameThread.join();
}

}  // namespace
}  // namespace lumivex
