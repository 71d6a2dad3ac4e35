#include "measure/detection/otsu_threshold.h"
#include "measure/detection/grey_picture.h"

#include "tests/measure/detection/detection_pictures.h"

#include <gtest/gtest.h>

#include <random>

namespace lumivex::detection {
namespace {

// Recomputes every class sum from scratch for each t; shares only the arithmetic of the between-class
// value, which is part of the rule (single precision, first maximum wins).
int bruteForceOtsu(const Histogram& h) {
  int best = 0;
  float bestValue = -1.0f;
  for (int t = 0; t <= 254; ++t) {
    uint64_t c0 = 0, c1 = 0, s0 = 0, s1 = 0;
    for (int i = 0; i < 256; ++i) {
      (i <= t ? c0 : c1) += h[i];
      (i <= t ? s0 : s1) += static_cast<uint64_t>(i) * h[i];
    }
    if (c0 == 0 || c1 == 0) continue;
    const float m0 = static_cast<float>(s0) / static_cast<float>(c0);
    const float m1 = static_cast<float>(s1) / static_cast<float>(c1);
    const float w0 = static_cast<float>(c0) / static_cast<float>(c0 + c1);
    const float v = w0 * (1.0f - w0) * (m1 - m0) * (m1 - m0);
    if (v > bestValue) {
      bestValue = v;
      best = t;
    }
  }
  return best;
}

TEST(OtsuThreshold, MatchesBruteForceOnRandomHistograms) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    Histogram h{};
    const int filled = 1 + static_cast<int>(random() % 12);
    const uint32_t scale = round % 3 == 0 ? 1000000u : 500u;  // large counts as in a whole frame
    for (int i = 0; i < filled; ++i) h[random() % 256] += random() % scale;
    EXPECT_EQ(otsuThreshold(h), bruteForceOtsu(h)) << "round " << round;
  }
}

TEST(OtsuThreshold, DegenerateAndTiedHistograms) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, uint32_t>> bins;
    int expected;
  };
  const std::vector<Case> cases = {
      {"empty", {}, 0},
      {"one bin", {{137, 5000}}, 0},
      {"one bin at 255", {{255, 10}}, 0},
      // Every t between two values splits alike; the first one wins.
      {"two tones", {{40, 100}, {200, 100}}, 40},
      {"black and white", {{0, 7}, {255, 9}}, 0},
  };
  for (const Case& c : cases) {
    Histogram h{};
    for (const auto& [bin, count] : c.bins) h[bin] = count;
    EXPECT_EQ(otsuThreshold(h), c.expected) << c.name;
  }
}

TEST(OtsuThreshold, BrightSplitLeavesDarkPixels) {
  Histogram twoTone{};
  twoTone[0] = 50;
  twoTone[255] = 50;
  EXPECT_EQ(brightFromAtLeast(twoTone, 0), 1);
  Histogram threeTone = twoTone;
  threeTone[90] = 10;
  EXPECT_EQ(brightFromAtLeast(threeTone, 90), 90);  // darker pixels exist: grey >= t as it stands
  Histogram uniform{};
  uniform[30] = 100;
  EXPECT_EQ(brightFromAtLeast(uniform, 0), 0);
}

TEST(GreyPicture, WeightsRoundingAndWindows) {
  EXPECT_EQ(greyOf(0, 0, 0), 0);
  EXPECT_EQ(greyOf(255, 255, 255), 255);
  EXPECT_EQ(greyOf(255, 0, 0), 28);   // 28.05 + 0.5
  EXPECT_EQ(greyOf(0, 255, 0), 150);  // 150.45 + 0.5
  EXPECT_EQ(greyOf(0, 0, 255), 77);   // 76.5 + 0.5
  for (int b = 0; b < 256; b += 5) {
    for (int g = 0; g < 256; g += 7) {
      for (int r = 0; r < 256; r += 11) {
        ASSERT_EQ(greyOf(b, g, r), static_cast<int>(0.11 * b + 0.59 * g + 0.30 * r + 0.5)) << b << " " << g << " " << r;
      }
    }
  }

  // A window reads the same pixels whichever way the rows are stored.
  test::TestPicture up(37, 23, 0, true), down(37, 23, 0, false);
  std::mt19937 random(3);
  for (int y = 0; y < 23; ++y) {
    for (int x = 0; x < 37; ++x) {
      const uint8_t b = random() % 256, g = random() % 256, r = random() % 256;
      up.setColour(x, y, b, g, r);
      down.setColour(x, y, b, g, r);
    }
  }
  const QRect window(5, 3, 20, 11);
  const GreyPicture a(up.view(), window), c(down.view(), window);
  for (int y = 0; y < window.height(); ++y) {
    for (int x = 0; x < window.width(); ++x) {
      const uint8_t* p = up.pixel(window.left() + x, window.top() + y);
      ASSERT_EQ(a.at(x, y), greyOf(p[0], p[1], p[2]));
      ASSERT_EQ(a.at(x, y), c.at(x, y));
    }
  }
}

}  // namespace
}  // namespace lumivex::detection
