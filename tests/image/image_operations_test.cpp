#include "image_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <tuple>

namespace lumivex {
namespace {

using test::greyOf;
using test::randomImage;
using test::samePixels;

constexpr std::array<long, 9> kOnes{1, 1, 1, 1, 1, 1, 1, 1, 1};

// Colours with repeated greys, so the median's tie order matters.
CxImage tiedImage(uint32_t width, uint32_t height, uint32_t seed) {
  const RgbQuad colours[] = {{0, 0, 0, 0},    {255, 0, 0, 0},     {0, 0, 72, 0},  {10, 20, 30, 0},
                             {30, 20, 10, 0}, {200, 200, 200, 0}, {0, 255, 0, 0}, {90, 100, 140, 0}};
  CxImage image;
  image.Create(width, height, 24);
  uint32_t state = seed * 2654435761u + 1;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      image.SetPixelColor(x, y, colours[(state >> 24) % 8]);
    }
  }
  return image;
}

// Brute force: neighbours collected top row first, left to right, stably sorted by grey; take count / 2.
CxImage medianReference(const CxImage& in, long size) {
  CxImage out = in;
  const long low = -size / 2, high = size - size / 2 - 1;
  const long w = in.GetWidth(), h = in.GetHeight();
  for (long y = 0; y < h; ++y) {
    for (long x = 0; x < w; ++x) {
      std::vector<RgbQuad> around;
      for (long dy = high; dy >= low; --dy) {
        for (long dx = low; dx <= high; ++dx) {
          if (in.IsInside(x + dx, y + dy)) around.push_back(in.GetPixelColor(x + dx, y + dy));
        }
      }
      std::stable_sort(around.begin(), around.end(), [](RgbQuad a, RgbQuad b) { return greyOf(a) < greyOf(b); });
      out.SetPixelColor(x, y, around[around.size() / 2]);
    }
  }
  return out;
}

// The filter's rule written out directly, kernel row 0 at the top.
CxImage filterReference(const CxImage& in, const std::vector<long>& kernel, long size, long factor, long offset) {
  CxImage out = in;
  long total = 0;
  for (long k : kernel) total += k;
  const long low = -size / 2, high = size - size / 2 - 1;
  for (long y = 0; y < static_cast<long>(in.GetHeight()); ++y) {
    for (long x = 0; x < static_cast<long>(in.GetWidth()); ++x) {
      long long sums[3] = {}, used = 0;
      for (long r = 0; r < size; ++r) {
        for (long c = 0; c < size; ++c) {
          const long px = x + low + c, py = y + high - r;
          if (!in.IsInside(px, py)) continue;
          const RgbQuad p = in.GetPixelColor(px, py);
          const long k = kernel[static_cast<size_t>(r * size + c)];
          sums[0] += k * p.blue;
          sums[1] += k * p.green;
          sums[2] += k * p.red;
          used += k;
        }
      }
      uint8_t v[3];
      for (int i = 0; i < 3; ++i) {
        long long value;
        if (factor == 0 || used == 0)
          value = sums[i] + offset;
        else if (used == total)
          value = sums[i] / factor + offset;
        else
          value = sums[i] * total / (factor * used) + offset;
        v[i] = static_cast<uint8_t>(std::clamp<long long>(value, 0, 255));
      }
      out.SetPixelColor(x, y, RgbQuad{v[0], v[1], v[2], 0});
    }
  }
  return out;
}

TEST(ImageOperations, MedianMatchesBruteForce) {
  const std::tuple<uint32_t, uint32_t, long> cases[] = {{1, 1, 3},   {2, 2, 3},   {1, 9, 3},  {9, 1, 3},  {3, 3, 3},
                                                        {17, 11, 3}, {64, 33, 3}, {12, 9, 2}, {12, 9, 5}, {8, 8, 1}};
  for (const auto& [w, h, size] : cases) {
    for (uint32_t seed = 0; seed < 3; ++seed) {
      for (const bool tied : {true, false}) {
        CxImage image = tied ? tiedImage(w, h, seed) : randomImage(w, h, 24, seed);
        const CxImage expected = medianReference(image, size);
        ASSERT_TRUE(image.Median(size));
        EXPECT_TRUE(samePixels(image, expected)) << w << "x" << h << " size " << size << " seed " << seed;
        EXPECT_EQ(image.GetProgress(), 100);
      }
    }
  }
}

TEST(ImageOperations, FilterMatchesItsRule) {
  const std::vector<long> sharpen{0, -1, 0, -1, 5, -1, 0, -1, 0};
  const std::vector<long> slope{1, 2, 3, 0, 0, 0, -1, -2, -4};
  const std::vector<long> ones(kOnes.begin(), kOnes.end());
  const std::vector<long> twos(9, 2);
  const std::vector<long> five(25, 1);
  struct Case {
    const std::vector<long>* kernel;
    long size, factor, offset;
  };
  const Case cases[] = {{&ones, 3, 9, 0},    {&ones, 3, 9, 20},   {&twos, 3, 18, -5}, {&ones, 3, 0, 0},
                        {&sharpen, 3, 1, 0}, {&slope, 3, 2, 128}, {&five, 5, 25, 0},  {&ones, 3, 4, 0}};
  for (const Case& c : cases) {
    for (const auto& [w, h] : std::vector<std::pair<uint32_t, uint32_t>>{{1, 1}, {2, 3}, {19, 13}}) {
      CxImage image = randomImage(w, h, 24, w * h);
      const CxImage expected = filterReference(image, *c.kernel, c.size, c.factor, c.offset);
      ASSERT_TRUE(image.Filter(*c.kernel, c.size, c.factor, c.offset));
      EXPECT_TRUE(samePixels(image, expected)) << w << "x" << h << " factor " << c.factor << " offset " << c.offset;
    }
  }
}

TEST(ImageOperations, AverageFilterCornersAndSinglePixel) {
  CxImage single = randomImage(1, 1, 24, 1);
  const CxImage before = single;
  ASSERT_TRUE(single.Filter(kOnes, 3, 9, 0));
  EXPECT_TRUE(samePixels(single, before));

  CxImage image;
  image.Create(3, 3, 24);
  const uint8_t values[3][3] = {{10, 20, 30}, {40, 50, 60}, {70, 80, 91}};  // [row from bottom][x]
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) image.SetPixelColor(x, y, RgbQuad{values[y][x], values[y][x], values[y][x], 0});
  }
  ASSERT_TRUE(image.Filter(kOnes, 3, 9, 0));
  EXPECT_EQ(image.GetPixelColor(0, 0).blue, (10 + 20 + 40 + 50) / 4);
  EXPECT_EQ(image.GetPixelColor(2, 2).red, (50 + 60 + 80 + 91) / 4);
  EXPECT_EQ(image.GetPixelColor(1, 1).green, (10 + 20 + 30 + 40 + 50 + 60 + 70 + 80 + 91) / 9);
}

TEST(ImageOperations, LightFollowsItsFormula) {
  struct Case {
    long brightness, contrast;
    int in, out;
  };
  const Case cases[] = {{10, 0, 250, 255}, {-10, 0, 5, 0},    {10, 0, 100, 110}, {-10, 0, 100, 90},  {0, 50, 200, 236},
                        {0, 50, 10, 0},    {0, 50, 128, 128}, {0, -50, 0, 64},   {0, -100, 17, 128}, {-300, 0, 255, 0}};
  for (const Case& c : cases) {
    CxImage image;
    image.Create(2, 1, 24);
    image.SetPixelColor(0, 0,
                        RgbQuad{static_cast<uint8_t>(c.in), static_cast<uint8_t>(c.in), static_cast<uint8_t>(c.in), 0});
    ASSERT_TRUE(image.Light(c.brightness, c.contrast));
    const RgbQuad p = image.GetPixelColor(0, 0);
    EXPECT_EQ(p.blue, c.out) << c.brightness << "/" << c.contrast << " on " << c.in;
    EXPECT_EQ(p.red, c.out);
  }
  // Every entry against the formula on a full ramp.
  for (const auto& [b, k] : std::vector<std::pair<long, long>>{{10, 0}, {-10, 0}, {25, 37}, {-40, -60}, {3, 250}}) {
    CxImage ramp;
    ramp.Create(256, 1, 24);
    for (int i = 0; i < 256; ++i) ramp.SetPixelColor(i, 0, RgbQuad{static_cast<uint8_t>(i), 0, 0, 0});
    ASSERT_TRUE(ramp.Light(b, k));
    for (int i = 0; i < 256; ++i) {
      const double value = b + 128 + (100 + k) * 0.01 * (i - 128) + 0.5;
      const long expected = std::clamp(static_cast<long>(std::trunc(value)), 0L, 255L);
      ASSERT_EQ(ramp.GetPixelColor(i, 0).blue, expected) << b << "/" << k << " at " << i;
    }
  }
}

TEST(ImageOperations, InvolutionsAndGeometry) {
  for (const uint32_t bpp : {1u, 4u, 8u, 24u}) {
    for (const uint32_t w : {1u, 2u, 7u, 33u}) {
      const CxImage original = randomImage(w, 5, bpp, w + bpp);
      CxImage mirrored = original, flipped = original, negated = original;
      ASSERT_TRUE(mirrored.Mirror());
      ASSERT_TRUE(flipped.Flip());
      ASSERT_TRUE(negated.Negative());
      for (uint32_t y = 0; y < 5; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
          ASSERT_EQ(mirrored.GetPixelColor(x, y), original.GetPixelColor(w - 1 - x, y));
          ASSERT_EQ(flipped.GetPixelColor(x, y), original.GetPixelColor(x, 4 - y));
          const RgbQuad o = original.GetPixelColor(x, y), n = negated.GetPixelColor(x, y);
          ASSERT_EQ(n, (RgbQuad{static_cast<uint8_t>(255 - o.blue), static_cast<uint8_t>(255 - o.green),
                                static_cast<uint8_t>(255 - o.red), 0}));
        }
      }
      ASSERT_TRUE(mirrored.Mirror());
      ASSERT_TRUE(flipped.Flip());
      ASSERT_TRUE(negated.Negative());
      EXPECT_EQ(std::memcmp(mirrored.GetDIB(), original.GetDIB(), original.GetSize()), 0) << bpp << " " << w;
      EXPECT_EQ(std::memcmp(flipped.GetDIB(), original.GetDIB(), original.GetSize()), 0);
      EXPECT_EQ(std::memcmp(negated.GetDIB(), original.GetDIB(), original.GetSize()), 0);
    }
  }
  CxImage none;
  EXPECT_FALSE(none.Mirror());
  EXPECT_FALSE(none.Flip());
  EXPECT_FALSE(none.Negative());
  EXPECT_FALSE(none.Light(10));
  EXPECT_FALSE(none.Median(3));
  EXPECT_FALSE(none.Filter(kOnes, 3, 9, 0));
}

TEST(ImageOperations, SelectionEscapeAndPalettes) {
  const CxImage original = randomImage(10, 6, 24, 77);
  auto inside = [](long x, long y) { return x >= 2 && x < 5 && y >= 1 && y < 3; };
  CxImage selected = original;
  ASSERT_TRUE(selected.SelectionAddRect(QRect(2, 1, 3, 2)));
  ASSERT_TRUE(selected.Negative());
  CxImage negatedInside = selected;
  negatedInside.SelectionDelete();
  for (long y = 0; y < 6; ++y) {
    for (long x = 0; x < 10; ++x) {
      const RgbQuad o = original.GetPixelColor(x, y);
      const RgbQuad n{static_cast<uint8_t>(255 - o.blue), static_cast<uint8_t>(255 - o.green),
                      static_cast<uint8_t>(255 - o.red), 0};
      ASSERT_EQ(selected.GetPixelColor(x, y), inside(x, y) ? n : o);
    }
  }
  ASSERT_TRUE(selected.Median(3));
  const CxImage medianAll = medianReference(negatedInside, 3);
  for (long y = 0; y < 6; ++y) {
    for (long x = 0; x < 10; ++x) {
      ASSERT_EQ(selected.GetPixelColor(x, y),
                inside(x, y) ? medianAll.GetPixelColor(x, y) : negatedInside.GetPixelColor(x, y));
    }
  }

  // The escape flag stops after the current row; rows done stay changed.
  CxImage stopped = original;
  stopped.SetEscape(1);
  EXPECT_FALSE(stopped.Negative());
  EXPECT_EQ(stopped.GetProgress(), 100 / 6);
  EXPECT_NE(stopped.GetPixelColor(0, 0), original.GetPixelColor(0, 0));
  EXPECT_EQ(stopped.GetPixelColor(0, 1), original.GetPixelColor(0, 1));

  // Palette pictures: negative and light act on the palette; the neighbourhood filters widen to 24 bits.
  CxImage palette = randomImage(6, 6, 8, 5);
  const RgbQuad first = palette.GetPaletteColor(0);
  ASSERT_TRUE(palette.Negative());
  EXPECT_EQ(palette.GetPaletteColor(0).red, 255 - first.red);
  const CxImage widened = [&] {
    CxImage copy = palette;
    copy.IncreaseBpp24();
    return copy;
  }();
  ASSERT_TRUE(palette.Median(3));
  EXPECT_EQ(palette.GetBpp(), 24u);
  EXPECT_TRUE(samePixels(palette, medianReference(widened, 3)));
}

}  // namespace
}  // namespace lumivex
