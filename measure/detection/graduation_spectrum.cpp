#include "measure/detection/graduation_spectrum.h"

#include <opencv2/core.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumivex::detection {
namespace {

constexpr int kPadding = 8;

int nextPowerOfTwo(int n) {
  int p = 1;
  while (p < n) p *= 2;
  return p;
}

double hann(int i, int n) { return n <= 1 ? 1.0 : 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / (n - 1)); }

}  // namespace

ProfileSpectrum::ProfileSpectrum(const std::vector<double>& samples) : length_(static_cast<int>(samples.size())) {
  if (length_ < 4) return;
  // Least-squares line out first: uneven lighting is a ramp whose leakage would swamp long periods.
  const double n = length_;
  const double meanX = (n - 1) / 2.0;
  double meanY = 0.0;
  for (double v : samples) meanY += v;
  meanY /= n;
  double sxy = 0.0, sxx = 0.0;
  for (int i = 0; i < length_; ++i) {
    sxy += (i - meanX) * (samples[static_cast<size_t>(i)] - meanY);
    sxx += (i - meanX) * (i - meanX);
  }
  const double slope = sxx > 0 ? sxy / sxx : 0.0;

  padded_ = kPadding * nextPowerOfTwo(length_);
  cv::Mat in = cv::Mat::zeros(1, padded_, CV_64F);
  auto* p = in.ptr<double>();
  for (int i = 0; i < length_; ++i)
    p[i] = (samples[static_cast<size_t>(i)] - meanY - slope * (i - meanX)) * hann(i, length_);
  cv::Mat out;
  cv::dft(in, out, cv::DFT_COMPLEX_OUTPUT);
  const auto* c = out.ptr<cv::Vec2d>();
  magnitude_.resize(static_cast<size_t>(padded_ / 2 + 1));
  for (size_t k = 0; k < magnitude_.size(); ++k) magnitude_[k] = std::hypot(c[k][0], c[k][1]);
}

ProfileSpectrum::Peak ProfileSpectrum::refine(int bin) const {
  Peak peak{static_cast<double>(bin) / padded_, magnitude_[static_cast<size_t>(bin)]};
  if (bin <= 0 || bin + 1 >= static_cast<int>(magnitude_.size())) return peak;
  const double a = magnitude_[static_cast<size_t>(bin - 1)];
  const double b = magnitude_[static_cast<size_t>(bin)];
  const double c = magnitude_[static_cast<size_t>(bin + 1)];
  if (a <= 0 || b <= 0 || c <= 0) return peak;
  const double la = std::log(a), lb = std::log(b), lc = std::log(c);
  const double denominator = la - 2.0 * lb + lc;
  if (denominator >= 0) return peak;
  const double offset = std::clamp(0.5 * (la - lc) / denominator, -0.5, 0.5);
  peak.frequency = (bin + offset) / padded_;
  peak.magnitude = std::exp(lb - 0.25 * (la - lc) * offset);
  return peak;
}

std::optional<ProfileSpectrum::Peak> ProfileSpectrum::strongest(double low, double high) const {
  if (empty()) return std::nullopt;
  const int last = static_cast<int>(magnitude_.size()) - 1;
  const int from = std::max(1, static_cast<int>(std::ceil(binOf(low))));
  const int to = std::min(last, static_cast<int>(std::floor(binOf(high))));
  int best = -1;
  for (int k = from; k <= to; ++k) {
    // Only true local maxima: the edge of the band may sit on the flank of a peak outside it.
    if (k == 0 || k == last) continue;
    const double m = magnitude_[static_cast<size_t>(k)];
    if (m < magnitude_[static_cast<size_t>(k - 1)] || m < magnitude_[static_cast<size_t>(k + 1)]) continue;
    if (best < 0 || m > magnitude_[static_cast<size_t>(best)]) best = k;
  }
  if (best < 0) return std::nullopt;
  return refine(best);
}

std::vector<ProfileSpectrum::Peak> ProfileSpectrum::peaks(double low, double high, int count) const {
  std::vector<Peak> found;
  if (empty()) return found;
  const int last = static_cast<int>(magnitude_.size()) - 1;
  const int from = std::max(1, static_cast<int>(std::ceil(binOf(low))));
  const int to = std::min(last - 1, static_cast<int>(std::floor(binOf(high))));
  std::vector<int> maxima;
  for (int k = from; k <= to; ++k) {
    const double m = magnitude_[static_cast<size_t>(k)];
    if (m >= magnitude_[static_cast<size_t>(k - 1)] && m > magnitude_[static_cast<size_t>(k + 1)]) maxima.push_back(k);
  }
  std::sort(maxima.begin(), maxima.end(),
            [this](int a, int b) { return magnitude_[static_cast<size_t>(a)] > magnitude_[static_cast<size_t>(b)]; });
  const double apart = 2.0 * padded_ / length_;
  for (int k : maxima) {
    const Peak p = refine(k);
    const bool close = std::any_of(found.begin(), found.end(), [&](const Peak& q) {
      return std::abs(binOf(q.frequency) - binOf(p.frequency)) < apart;
    });
    if (close) continue;
    found.push_back(p);
    if (static_cast<int>(found.size()) >= count) break;
  }
  return found;
}

std::optional<ProfileSpectrum::Peak> ProfileSpectrum::near(double frequency, double halfWidth) const {
  return strongest(frequency - halfWidth, frequency + halfWidth);
}

double ProfileSpectrum::prominence(const Peak& peak) const {
  if (empty() || peak.magnitude <= 0) return 0.0;
  // Independent bins of the unpadded spectrum from a third to three times the frequency, the main lobe
  // left out. Their lower quartile is the floor: the other lines of a graduation (its harmonics, the
  // repeat of every fifth and tenth longer mark) fill many of these bins, but rarely three in four.
  const double step = static_cast<double>(padded_) / length_;
  const double centre = binOf(peak.frequency);
  const int last = static_cast<int>(magnitude_.size()) - 1;
  std::vector<double> power;
  for (int k = -length_; k <= length_; ++k) {
    if (std::abs(k) < 2.5) continue;
    const double bin = centre + k * step;
    if (bin < binOf(peak.frequency / 3.0) || bin > binOf(peak.frequency * 3.0)) continue;
    const int b = static_cast<int>(std::lround(bin));
    if (b < 1 || b > last) continue;
    const double m = magnitude_[static_cast<size_t>(b)];
    power.push_back(m * m);
  }
  // Too few periods in the profile to tell a repeat from a lone feature.
  if (power.size() < 8) return 0.0;
  auto quartile = power.begin() + static_cast<std::ptrdiff_t>(power.size() / 4);
  std::nth_element(power.begin(), quartile, power.end());
  if (*quartile <= 0) return 1e12;
  return peak.magnitude * peak.magnitude / *quartile;
}

std::vector<StripeCandidate> stripeCandidates(const std::vector<float>& grey, int width, int height, int count) {
  std::vector<StripeCandidate> found;
  if (width < 4 || height < 4 || grey.size() != static_cast<size_t>(width) * height) return found;
  double mean = 0.0;
  for (float v : grey) mean += v;
  mean /= static_cast<double>(grey.size());

  const int pw = cv::getOptimalDFTSize(width);
  const int ph = cv::getOptimalDFTSize(height);
  cv::Mat in = cv::Mat::zeros(ph, pw, CV_32F);
  std::vector<double> wx(static_cast<size_t>(width)), wy(static_cast<size_t>(height));
  for (int x = 0; x < width; ++x) wx[static_cast<size_t>(x)] = hann(x, width);
  for (int y = 0; y < height; ++y) wy[static_cast<size_t>(y)] = hann(y, height);
  for (int y = 0; y < height; ++y) {
    auto* row = in.ptr<float>(y);
    const float* src = grey.data() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x)
      row[x] = static_cast<float>((src[x] - mean) * wx[static_cast<size_t>(x)] * wy[static_cast<size_t>(y)]);
  }
  cv::Mat spectrum;
  cv::dft(in, spectrum, cv::DFT_COMPLEX_OUTPUT);

  // Half plane kx in [0, pw / 2]; the other half mirrors it.
  const int halfWidth = pw / 2;
  cv::Mat magnitude(ph, halfWidth + 2, CV_32F);
  for (int y = 0; y < ph; ++y) {
    const auto* s = spectrum.ptr<cv::Vec2f>(y);
    auto* m = magnitude.ptr<float>(y);
    for (int x = 0; x <= halfWidth + 1 && x < pw; ++x) m[x] = std::hypot(s[x][0], s[x][1]);
  }
  auto at = [&](int kx, int ky) -> float {
    ky = ((ky % ph) + ph) % ph;
    if (kx < 0) {  // mirror: X(-kx, -ky) is the conjugate of X(kx, ky)
      kx = -kx;
      ky = (ph - ky) % ph;
    }
    return magnitude.at<float>(ky, kx);
  };

  for (int ky = 0; ky < ph; ++ky) {
    const double fy = (ky <= ph / 2 ? ky : ky - ph) / static_cast<double>(ph);
    for (int kx = 0; kx <= halfWidth; ++kx) {
      const double fx = kx / static_cast<double>(pw);
      const double f = std::hypot(fx, fy);
      if (f <= 0 || f > 0.5) continue;
      const double angle = std::atan2(fy, fx);
      const double extent = width * std::abs(std::cos(angle)) + height * std::abs(std::sin(angle));
      if (f * extent < 4.0) continue;
      const float m = at(kx, ky);
      bool peak = true;
      for (int dy = -1; dy <= 1 && peak; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          if ((dx != 0 || dy != 0) && at(kx + dx, ky + dy) > m) {
            peak = false;
            break;
          }
        }
      if (!peak) continue;
      // Parabolic refinement along each axis sharpens the angle of a short region's coarse grid.
      auto offset = [](double a, double b, double c) {
        const double d = a - 2.0 * b + c;
        return d < 0 ? std::clamp(0.5 * (a - c) / d, -0.5, 0.5) : 0.0;
      };
      const double ox = offset(at(kx - 1, ky), m, at(kx + 1, ky));
      const double oy = offset(at(kx, ky - 1), m, at(kx, ky + 1));
      const double rfx = (kx + ox) / pw;
      const double rfy = fy + oy / ph;
      double a = std::atan2(rfy, rfx);
      if (a > std::numbers::pi / 2) a -= std::numbers::pi;
      if (a <= -std::numbers::pi / 2) a += std::numbers::pi;
      found.push_back(StripeCandidate{a, std::hypot(rfx, rfy), m});
    }
  }
  std::sort(found.begin(), found.end(),
            [](const StripeCandidate& a, const StripeCandidate& b) { return a.magnitude > b.magnitude; });
  if (found.size() > static_cast<size_t>(count)) found.resize(static_cast<size_t>(count));
  return found;
}

}  // namespace lumivex::detection
