// Replays the decoder fuzz harness over its seed corpus and over fixed-seed mutations of it, so the
// normal build checks every hostile-input path the fuzzer starts from.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::vector<uint8_t>> seeds() {
  std::vector<std::vector<uint8_t>> out;
  for (const auto& entry : std::filesystem::directory_iterator(LUMIVEX_FUZZ_CORPUS)) {
    std::ifstream in(entry.path(), std::ios::binary);
    out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return out;
}

TEST(ImageDecoderFuzzSmoke, SeedsAndMutationsRunCleanly) {
  const auto corpus = seeds();
  ASSERT_GE(corpus.size(), 8u);
  for (const auto& seed : corpus) LLVMFuzzerTestOneInput(seed.data(), seed.size());

  std::mt19937 random(20240611);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  int runs = 0;
  while (std::chrono::steady_clock::now() < deadline && runs < 20000) {
    std::vector<uint8_t> input = corpus[random() % corpus.size()];
    switch (random() % 4) {
      case 0:
        input.resize(random() % (input.size() + 1));
        break;  // truncation
      case 1:
        for (int i = 0; i < 4 && !input.empty(); ++i) input[random() % input.size()] = static_cast<uint8_t>(random());
        break;
      case 2:  // a large value in a size field
        if (input.size() > 30) {
          const size_t at = 1 + random() % std::min<size_t>(input.size() - 5, 200);
          const uint32_t value = random() % 2 == 0 ? 0xFFFFFFFFu : 0x7FFF0000u + random() % 0xFFFF;
          std::copy_n(reinterpret_cast<const uint8_t*>(&value), 4, input.begin() + static_cast<long>(at));
        }
        break;
      default:
        input.insert(input.begin() + static_cast<long>(random() % (input.size() + 1)), 0xFF);
        break;
    }
    LLVMFuzzerTestOneInput(input.data(), input.size());
    ++runs;
  }
  EXPECT_GT(runs, 100);
}

}  // namespace
