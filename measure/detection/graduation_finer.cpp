#include "measure/detection/graduation_finer.h"

#include "measure/detection/detect_line_fit.h"
#include "measure/detection/graduation_search.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace lumivex::detection::graduation {

namespace {

// Magnitudes of the (already windowed) profile's components at `frequencies` (cycles per sample), by
// Goertzel's recurrence: one multiply and two adds a sample and no sine taken per sample, four
// frequencies at a time so that their recurrences overlap. Over a few thousand samples its rounding stays
// far below anything the comparisons below could feel.
std::vector<double> amplitudesAt(const std::vector<double>& windowed, const std::vector<double>& frequencies) {
  constexpr size_t kLanes = 4;
  std::vector<double> out(frequencies.size(), 0.0);
  for (size_t first = 0; first < frequencies.size(); first += kLanes) {
    double coefficient[kLanes] = {}, s1[kLanes] = {}, s2[kLanes] = {};
    const size_t lanes = std::min(kLanes, frequencies.size() - first);
    for (size_t l = 0; l < lanes; ++l) coefficient[l] = 2.0 * std::cos(2.0 * std::numbers::pi * frequencies[first + l]);
    for (double v : windowed) {
      for (size_t l = 0; l < kLanes; ++l) {
        const double s0 = v + coefficient[l] * s1[l] - s2[l];
        s2[l] = s1[l];
        s1[l] = s0;
      }
    }
    for (size_t l = 0; l < lanes; ++l)
      out[first + l] = std::sqrt(std::max(0.0, s1[l] * s1[l] + s2[l] * s2[l] - coefficient[l] * s1[l] * s2[l]));
  }
  return out;
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
  // The harmonics, then between them a quarter off them: the half harmonics belong to the graduation too
  // (every tenth mark is longer than every fifth).
  std::vector<double> frequencies;
  int harmonics = 0;
  for (int k = 1; k <= kMaxSplit && k / pitch < 0.5; ++k, ++harmonics) frequencies.push_back(k / pitch);
  for (int q = 1; (q / 4.0 + 1.0) / pitch < 0.5 && q <= 8 * kMaxSplit; q += 2)
    frequencies.push_back((q / 4.0 + 1.0) / pitch);
  const std::vector<double> amplitude = amplitudesAt(samples, frequencies);
  b.harmonic.assign(static_cast<size_t>(kMaxSplit) + 1, 0.0);
  for (int k = 1; k <= harmonics; ++k) b.harmonic[static_cast<size_t>(k)] = amplitude[static_cast<size_t>(k) - 1];
  double squares = 0.0;
  const int count = static_cast<int>(frequencies.size()) - harmonics;
  for (size_t i = static_cast<size_t>(harmonics); i < amplitude.size(); ++i) squares += amplitude[i] * amplitude[i];
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
  const double tExtent = reachOf(grey, g.normalAngle).t;
  const double reach = std::max(g.tHigh - g.tLow, 2.0 * pitch);
  const double tFrom = std::max(-tExtent, g.tLow - reach), tTo = std::min(tExtent, g.tHigh + reach);
  std::optional<FinerMarks> best;
  for (double t = tFrom; t + kFinerBand <= tTo; t += kFinerBand) {
    for (int span = 1; span <= 2 && t + span * kFinerBand <= tTo; ++span) {
      const double tHigh = t + span * kFinerBand;
      StripProfile strip = stripProfile(grey, g.normalAngle, t, tHigh, false);
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

std::optional<DarkBand> blurredFinerBand(const GreyRegion& grey, const Graduation& g) {
  const LatticeFit& fit = g.lattice.fit;
  if (!fit.fitted || !(fit.pitch > 0)) return std::nullopt;
  const double pitch = fit.pitch;
  // Whole periods of the marks used, so that a row's mean is the mean over periods.
  double sFrom = 1e300, sTo = -1e300;
  for (size_t i = 0; i < g.lattice.marks.index.size(); ++i) {
    if (!fit.used[i]) continue;
    const double s = g.profile.origin + g.lattice.marks.position[i];
    sFrom = std::min(sFrom, s);
    sTo = std::max(sTo, s);
  }
  if (!(sTo - sFrom >= pitch)) return std::nullopt;
  const double s0 = g.profile.origin + fit.offset;
  const double c = std::cos(g.normalAngle), sn = std::sin(g.normalAngle);
  const double cx = (grey.width - 1) / 2.0, cy = (grey.height - 1) / 2.0;
  const double tExtent = reachOf(grey, g.normalAngle).t;
  const int rowCount = static_cast<int>(std::ceil(2.0 * tExtent)) + 1;
  // Per row (one pixel along the marks): all values, the values on the marks' centres, the values midway.
  struct Row {
    double sum = 0, count = 0, onMarks = 0, marks = 0, midway = 0, gaps = 0;
  };
  std::vector<Row> rows(static_cast<size_t>(rowCount));
  for (int y = 0; y < grey.height; ++y) {
    const float* values = grey.values.data() + static_cast<size_t>(y) * grey.width;
    for (int x = 0; x < grey.width; ++x) {
      const double s = (x - cx) * c + (y - cy) * sn;
      if (s < sFrom || s >= sTo) continue;
      const double t = -(x - cx) * sn + (y - cy) * c;
      const int r = std::clamp(static_cast<int>(std::floor(t + tExtent)), 0, rowCount - 1);
      double phase = (s - s0) / pitch;
      phase -= std::floor(phase);
      Row& row = rows[static_cast<size_t>(r)];
      row.sum += values[x];
      row.count += 1;
      if (phase < 0.05 || phase > 0.95) {
        row.onMarks += values[x];
        row.marks += 1;
      } else if (std::abs(phase - 0.5) < 0.1) {
        row.midway += values[x];
        row.gaps += 1;
      }
    }
  }
  double most = 0;
  for (const Row& row : rows) most = std::max(most, row.count);
  // Rows that cross every period (the region's slanted corners do not).
  std::vector<int> full;
  for (int r = 0; r < rowCount; ++r) {
    const Row& row = rows[static_cast<size_t>(r)];
    if (row.count >= 0.9 * most && row.marks > 0 && row.gaps > 0) full.push_back(r);
  }
  if (full.size() < 3) return std::nullopt;
  // Ink as a positive number whether the marks are dark or light.
  const double sign = g.lattice.darkMarks ? 1.0 : -1.0;
  std::vector<double> mean(static_cast<size_t>(rowCount)), stands(static_cast<size_t>(rowCount)),
      inkPerPeriod(static_cast<size_t>(rowCount));
  double paper = -1e300, clearest = 0.0;
  for (int r : full) {
    const Row& row = rows[static_cast<size_t>(r)];
    const double m = row.sum / row.count, k = row.onMarks / row.marks, gap = row.midway / row.gaps;
    mean[static_cast<size_t>(r)] = sign * m;
    stands[static_cast<size_t>(r)] = sign * (gap - k);
    inkPerPeriod[static_cast<size_t>(r)] = sign * (gap - m);
    paper = std::max(paper, sign * gap);
    clearest = std::max(clearest, stands[static_cast<size_t>(r)]);
  }
  if (!(clearest > 0)) return std::nullopt;
  // The ink one period holds where the marks found stand clearly.
  double ink = 1.0;
  for (int r : full)
    if (stands[static_cast<size_t>(r)] >= kClearShare * clearest)
      ink = std::max(ink, inkPerPeriod[static_cast<size_t>(r)]);
  // The longest run of rows, smoothed over three, far darker than those marks make them and where they
  // do not stand out.
  int bestFrom = 0, bestTo = -1, from = 0;
  for (size_t j = 1; j + 1 < full.size(); ++j) {
    const int r = full[j];
    const double level = (mean[static_cast<size_t>(full[j - 1])] + mean[static_cast<size_t>(r)] +
                          mean[static_cast<size_t>(full[j + 1])]) /
                         3.0;
    const bool dark = paper - level >= kInkRatio * ink && stands[static_cast<size_t>(r)] < kFaintShare * clearest &&
                      full[j - 1] == r - 1 && full[j + 1] == r + 1;
    if (!dark) {
      from = r + 1;
      continue;
    }
    if (r - from > bestTo - bestFrom) {
      bestFrom = from;
      bestTo = r;
    }
  }
  const int width = bestTo - bestFrom + 1;
  if (width < std::max(kDarkRows, kDarkPeriods * pitch)) return std::nullopt;
  return DarkBand{bestFrom - tExtent, bestTo + 1 - tExtent, g.normalAngle, g.lattice.darkMarks};
}

namespace {

// Ink (grey below the paper for a dark band, above it for a light one) of each one-pixel row across
// `angle`, rows [0, rows) starting at t = tFrom, over the pixels whose s falls in [sFrom, sTo).
std::vector<double> rowInk(const GreyRegion& grey, double angle, double tFrom, int rows, double sFrom, double sTo,
                           bool dark) {
  const double c = std::cos(angle), sn = std::sin(angle);
  const double cx = (grey.width - 1) / 2.0, cy = (grey.height - 1) / 2.0;
  std::vector<double> sum(static_cast<size_t>(rows), 0.0), count(static_cast<size_t>(rows), 0.0);
  for (int y = 0; y < grey.height; ++y) {
    const float* values = grey.values.data() + static_cast<size_t>(y) * grey.width;
    for (int x = 0; x < grey.width; ++x) {
      const double s = (x - cx) * c + (y - cy) * sn;
      if (s < sFrom || s >= sTo) continue;
      const int r = static_cast<int>(std::floor(-(x - cx) * sn + (y - cy) * c - tFrom));
      if (r < 0 || r >= rows) continue;
      sum[static_cast<size_t>(r)] += values[x];
      count[static_cast<size_t>(r)] += 1.0;
    }
  }
  std::vector<double> ink(static_cast<size_t>(rows), std::nan(""));
  for (size_t r = 0; r < ink.size(); ++r)
    if (count[r] > 0) ink[r] = dark ? -sum[r] / count[r] : sum[r] / count[r];
  return ink;
}

// The window of `width` rows with the most ink (every row present): its first row, or -1.
int inkiestWindow(const std::vector<double>& ink, int width) {
  int best = -1;
  double most = -1e300;
  for (int first = 0; first + width <= static_cast<int>(ink.size()); ++first) {
    double total = 0.0;
    bool whole = true;
    for (int r = first; r < first + width && whole; ++r) {
      whole = !std::isnan(ink[static_cast<size_t>(r)]);
      total += ink[static_cast<size_t>(r)];
    }
    if (whole && total > most) {
      most = total;
      best = first;
    }
  }
  return best;
}

}  // namespace

std::optional<DarkBand> straightenedBand(const GreyRegion& grey, const DarkBand& band) {
  const int width = std::max(2, static_cast<int>(std::lround(band.tHigh - band.tLow)));
  const RegionReach reach = reachOf(grey, band.normalAngle);
  const int rows = static_cast<int>(std::ceil(2.0 * reach.t)) + 1;
  // Where the band lies in each piece along the scale, as points (s, t) of its middle line.
  std::vector<QPointF> middle;
  const double piece = 2.0 * reach.s / kBandSegments;
  for (int k = 0; k < kBandSegments; ++k) {
    const double sFrom = -reach.s + k * piece;
    const std::vector<double> ink = rowInk(grey, band.normalAngle, -reach.t, rows, sFrom, sFrom + piece, band.dark);
    const int first = inkiestWindow(ink, width);
    if (first >= 0) middle.emplace_back(sFrom + piece / 2.0, first + width / 2.0 - reach.t);
  }
  if (middle.size() < 4) return std::nullopt;
  const std::optional<FittedLine> line = fitLine(middle);
  if (!line || !(std::abs(line->direction.x()) > 0)) return std::nullopt;
  // The band runs along n + slope m: the scale's normal turned by atan(slope) towards m.
  const double angle = band.normalAngle + std::atan(line->direction.y() / line->direction.x());
  const RegionReach turned = reachOf(grey, angle);
  const int allRows = static_cast<int>(std::ceil(2.0 * turned.t)) + 1;
  // Over the middle of the scale only: the region's slanted corners hold parts of rows.
  const std::vector<double> ink = rowInk(grey, angle, -turned.t, allRows, -0.6 * turned.s, 0.6 * turned.s, band.dark);
  const int first = inkiestWindow(ink, width);
  if (first < 0) return std::nullopt;
  return DarkBand{first - turned.t, first + width - turned.t, angle, band.dark};
}

}  // namespace lumivex::detection::graduation
