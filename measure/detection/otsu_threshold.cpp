#include "measure/detection/otsu_threshold.h"

namespace lumivex::detection {

int otsuThreshold(const Histogram& histogram) {
  // 64-bit running sums: a 1280 x 960 picture has up to 1.2 million pixels of value 255.
  uint64_t total = 0;
  uint64_t totalSum = 0;
  for (int i = 0; i < 256; ++i) {
    total += histogram[i];
    totalSum += static_cast<uint64_t>(i) * histogram[i];
  }
  int best = 0;
  float bestValue = 0.0f;
  bool found = false;
  uint64_t c0 = 0;
  uint64_t sum0 = 0;
  for (int t = 0; t < 255; ++t) {
    c0 += histogram[t];
    sum0 += static_cast<uint64_t>(t) * histogram[t];
    if (c0 == 0 || c0 == total) continue;
    const float mean0 = static_cast<float>(sum0) / static_cast<float>(c0);
    const float mean1 = static_cast<float>(totalSum - sum0) / static_cast<float>(total - c0);
    const float w0 = static_cast<float>(c0) / static_cast<float>(total);
    const float diff = mean1 - mean0;
    const float value = w0 * (1.0f - w0) * diff * diff;
    if (!found || value > bestValue) {
      found = true;
      bestValue = value;
      best = t;
    }
  }
  return best;
}

}  // namespace lumivex::detection

namespace lumivex::detection {

int brightFromAtLeast(const Histogram& histogram, int t) {
  if (histogram[t] == 0) return t;  // nothing sits on the threshold: both splits agree
  for (int i = 0; i < t; ++i) {
    if (histogram[i] != 0) return t;
  }
  for (int i = t + 1; i < 256; ++i) {
    if (histogram[i] != 0) return t + 1;
  }
  return t;  // one value only: everything bright, nothing to outline
}

}  // namespace lumivex::detection
