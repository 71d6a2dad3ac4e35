#pragma once

#include <optional>
#include <vector>

namespace lumivex::detection {

// The magnitude spectrum of a profile sampled once per pixel: least-squares line removed, Hann window,
// zero-padded to 8 times the next power of two so a peak's top is sampled finely enough to interpolate.
class ProfileSpectrum {
 public:
  explicit ProfileSpectrum(const std::vector<double>& samples);

  int length() const { return length_; }
  bool empty() const { return magnitude_.empty(); }

  // A spectral peak: frequency in cycles per pixel, refined between bins by a Gaussian through the
  // three highest padded bins (exact for the Hann window's main lobe near its top).
  struct Peak {
    double frequency = 0.0;
    double magnitude = 0.0;
  };
  // The highest peak with frequency in [low, high].
  std::optional<Peak> strongest(double low, double high) const;
  // The highest peak within `halfWidth` cycles per pixel of `frequency`.
  std::optional<Peak> near(double frequency, double halfWidth) const;
  // The `count` highest local maxima with frequency in [low, high], at least two unpadded bins apart.
  std::vector<Peak> peaks(double low, double high, int count) const;
  // Peak power over the lower quartile of the power from a third to three times the peak's frequency, its
  // own main lobe left out; 0 when that leaves fewer than eight independent bins (about four periods).
  // The strongest peak of a random profile of a few hundred samples gives about 20; a graduation of a
  // few dozen marks hundreds or thousands.
  double prominence(const Peak& peak) const;

 private:
  double binOf(double frequency) const { return frequency * padded_; }
  Peak refine(int bin) const;

  int length_ = 0;
  int padded_ = 0;
  std::vector<double> magnitude_;  // bins 0 .. padded_ / 2
};

// A direction in which the picture region looks periodic: the angle of the normal of the stripes
// (radians, 0 along +x, y downwards) and the stripes' frequency along it (cycles per pixel).
struct StripeCandidate {
  double normalAngle = 0.0;
  double frequency = 0.0;
  double magnitude = 0.0;
};

// The strongest local maxima of the region's two-dimensional spectrum (mean removed, Hann window), left
// out those with fewer than four periods across the region or closer than two pixels per period.
// `grey` holds width x height values, rows top-down.
std::vector<StripeCandidate> stripeCandidates(const std::vector<float>& grey, int width, int height, int count);

}  // namespace lumivex::detection
