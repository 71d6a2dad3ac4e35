#include "measure/detection/graduation_finer.h"

#include "measure/detection/graduation_search.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace lumivex::detection::graduation {

namespace {

// Magnitude of the (already windowed) profile's component at `frequency` (cycles per sample). The
// phasor turns by one complex multiply a sample: over a few hundred samples its rounding stays far below
// anything the comparisons below could feel, and no sine is taken per sample.
double amplitudeAt(const std::vector<double>& windowed, double frequency) {
  const std::complex<double> step = std::polar(1.0, -2.0 * std::numbers::pi * frequency);
  std::complex<double> phasor = 1.0, sum = 0.0;
  for (double v : windowed) {
    sum += v * phasor;
    phasor *= step;
  }
  return std::abs(sum);
}

struct BandSpectrum {
  std::vector<double> harmonic;  // [k] at k / pitch, k = 0 .. kMaxSplit
  double noise = 0.0;            // root mean square at (k + 1/2) / pitch
};

BandSpectrum spectrumOf(std::vector<double> samples, double pitch) {
  BandSpectrum b;
  double mean = 0.0;
  for (double v : samples) mean += v;
  mean /= static_cast<double>(samples.size());
  // The Hann window, once for every frequency asked.
  const size_t n = samples.size();
  for (size_t i = 0; i < n; ++i)
    samples[i] =
        (samples[i] - mean) * (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (static_cast<double>(i) + 0.5) / n));
  b.harmonic.assign(static_cast<size_t>(kMaxSplit) + 1, 0.0);
  for (int k = 1; k <= kMaxSplit && k / pitch < 0.5; ++k)
    b.harmonic[static_cast<size_t>(k)] = amplitudeAt(samples, k / pitch);
  // Between the harmonics, a quarter off them: the half harmonics belong to the graduation too (every
  // tenth mark is longer than every fifth).
  double squares = 0.0;
  int count = 0;
  for (int q = 1; (q / 4.0 + 1.0) / pitch < 0.5 && q <= 8 * kMaxSplit; ++q) {
    if (q % 2 == 0) continue;
    const double a = amplitudeAt(samples, (q / 4.0 + 1.0) / pitch);
    squares += a * a;
    ++count;
  }
  b.noise = count > 0 ? std::sqrt(squares / count) : 0.0;
  return b;
}

}  // namespace

std::optional<FinerMarks> finerMarksBetween(const GreyRegion& grey, const Graduation& g) {
  const LatticeFit& fit = g.lattice.fit;
  if (!fit.fitted || !(fit.pitch > 0)) return std::nullopt;
  const double pitch = fit.pitch;
  // Finer marks stand beside the ones found, on the same lines (a micrometer's short marks rise from the
  // same baseline): look as far again on either side of the strip that holds them. Soft-edged strips
  // that stop where the region's edges begin to cut them: hard band edges and the region's own edges
  // would leave a staircase repeating with the lean.
  const double c = std::cos(g.normalAngle), sn = std::sin(g.normalAngle);
  const double tExtent = (grey.width - 1) / 2.0 * std::abs(sn) + (grey.height - 1) / 2.0 * std::abs(c);
  const double reach = std::max(g.tHigh - g.tLow, 2.0 * pitch);
  const double tFrom = std::max(-tExtent, g.tLow - reach), tTo = std::min(tExtent, g.tHigh + reach);
  std::optional<FinerMarks> best;
  for (double t = tFrom; t + kFinerBand <= tTo; t += kFinerBand) {
    for (int span = 1; span <= 2 && t + span * kFinerBand <= tTo; ++span) {
      const double tHigh = t + span * kFinerBand;
      StripProfile strip = stripProfile(grey, g.normalAngle, t, tHigh);
      // Enough gaps of the graduation to tell a repeat from noise.
      if (static_cast<double>(strip.samples.size()) < kFinerGaps * pitch) continue;
      const BandSpectrum s = spectrumOf(std::move(strip.samples), pitch);
      if (!(s.noise > 0)) continue;
      // The finest split whose component stands out of the noise, is the strongest of the harmonics up to
      // it and well above their mean: where every mark shows alike only the finer repeat is left; where
      // the marks found stand alone, their harmonics fall off with the blur and the marks' width.
      for (int split = kMaxSplit; split >= 2; --split) {
        if (split / pitch >= 0.5 || pitch / split < kAliasingPeriod - 0.5) continue;
        const double a = s.harmonic[static_cast<size_t>(split)];
        double strongest = 0.0, sum = 0.0;
        for (int k = 1; k < split; ++k) {
          strongest = std::max(strongest, s.harmonic[static_cast<size_t>(k)]);
          sum += s.harmonic[static_cast<size_t>(k)];
        }
        const double strength = a / s.noise;
        if (strength < kFinerEvidence || a < strongest || a < kFinerDominance * sum / (split - 1)) continue;
        if (!best || split > best->split || (split == best->split && strength > best->strength))
          best = FinerMarks{split, t, tHigh, strength};
        break;
      }
    }
  }
  return best;
}

}  // namespace lumivex::detection::graduation
