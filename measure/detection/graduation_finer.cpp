#include "measure/detection/graduation_finer.h"

#include "measure/detection/graduation_search.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace lumivex::detection::graduation {

namespace {

// How much darker (lighter for light marks) each place splitting a gap is than the two points halfway to
// its neighbours: [gap][place - 1], NaN where the band does not cover the gap.
std::vector<std::vector<double>> gapContrasts(const std::vector<double>& means, int first, int last, double sMin,
                                              const std::vector<double>& markS, double pitch, int split,
                                              bool darkMarks) {
  auto at = [&](double s) {
    const double x = s - sMin;
    const int i = static_cast<int>(std::floor(x));
    if (i < first || i + 1 > last) return std::nan("");
    const double f = x - i;
    return means[static_cast<size_t>(i)] * (1.0 - f) + means[static_cast<size_t>(i) + 1] * f;
  };
  std::vector<std::vector<double>> out;
  const double step = pitch / split;
  for (size_t k = 0; k + 1 < markS.size(); ++k) {
    std::vector<double> gap;
    for (int j = 1; j < split; ++j) {
      const double place = markS[k] + j * step;
      const double contrast = (at(place - step / 2) + at(place + step / 2)) / 2.0 - at(place);
      gap.push_back(darkMarks ? contrast : -contrast);
    }
    out.push_back(std::move(gap));
  }
  return out;
}

double studentT(const std::vector<double>& values, int& count) {
  double sum = 0.0, squares = 0.0;
  count = 0;
  for (double v : values) {
    if (std::isnan(v)) continue;
    sum += v;
    squares += v * v;
    ++count;
  }
  if (count < 2) return 0.0;
  const double mean = sum / count;
  const double variance = std::max(0.0, (squares - count * mean * mean) / (count - 1));
  if (variance <= 0.0) return mean > 0 ? 1e9 : 0.0;
  return mean / std::sqrt(variance / count);
}

}  // namespace

std::optional<FinerMarks> finerMarksBetween(const GreyRegion& grey, const Graduation& g) {
  const LatticeFit& fit = g.lattice.fit;
  if (!fit.fitted || g.lattice.marks.index.empty()) return std::nullopt;
  const auto [lowIndex, highIndex] = std::minmax_element(g.lattice.marks.index.begin(), g.lattice.marks.index.end());
  // Every place of the fitted lattice from the first mark found to the last, missing ones included.
  std::vector<double> markS;
  for (int k = *lowIndex; k <= *highIndex; ++k) markS.push_back(g.profile.origin + fit.offset + fit.pitch * k);

  const BandedProjection projection(grey, g.normalAngle, kFinerBand);
  const int bands = projection.bands();
  std::optional<FinerMarks> best;
  std::vector<double> means, weights;
  for (const int split : {10, 8, 7, 6, 5, 4, 3, 2}) {
    // Finer marks closer than the pixel grid can place are an aliasing question, not this one.
    if (fit.pitch / split < kAliasingPeriod - 0.5) continue;
    std::vector<std::vector<std::vector<double>>> perBand(static_cast<size_t>(bands));
    for (int j = 0; j < bands; ++j) {
      projection.bandProfile(j, means, weights);
      int first = 0, last = -1;
      wellCoveredSpan(weights, first, last);
      if (last - first < 2) continue;
      perBand[static_cast<size_t>(j)] =
          gapContrasts(means, first, last, projection.sMin(), markS, fit.pitch, split, g.lattice.darkMarks);
    }
    const double half = bands > 1 ? (projection.bandCentre(1) - projection.bandCentre(0)) / 2.0 : 0.0;
    for (int j = 0; j < bands; ++j) {
      for (int span = 1; span <= 2 && j + span <= bands; ++span) {
        std::vector<std::vector<double>> joined = perBand[static_cast<size_t>(j)];
        if (joined.empty()) break;
        if (span == 2) {
          const auto& next = perBand[static_cast<size_t>(j) + 1];
          if (next.size() != joined.size()) break;
          for (size_t k = 0; k < joined.size(); ++k)
            for (size_t r = 0; r < joined[k].size(); ++r) joined[k][r] = (joined[k][r] + next[k][r]) / 2.0;
        }
        // All places together, and each place of the gap on its own: a split finer than the marks' own
        // (ten where there are five) leaves every other place empty.
        std::vector<double> pooled;
        for (const auto& gap : joined) {
          double sum = 0.0;
          for (double v : gap) sum += v;
          pooled.push_back(sum / static_cast<double>(gap.size()));
        }
        int count = 0;
        const double t = studentT(pooled, count);
        if (count < kFinerGaps || t < kFinerEvidence) continue;
        bool even = true;
        for (int r = 0; r + 1 < split && even; ++r) {
          std::vector<double> place;
          for (const auto& gap : joined) place.push_back(gap[static_cast<size_t>(r)]);
          int n = 0;
          even = studentT(place, n) >= kFinerEvenness;
        }
        if (!even) continue;
        if (!best || t > best->t)
          best = FinerMarks{split, projection.bandCentre(j) - half, projection.bandCentre(j + span - 1) + half, t};
      }
    }
    // The finest split with proof wins: coarser splits of a fine graduation show it too.
    if (best) return best;
  }
  return std::nullopt;
}

}  // namespace lumivex::detection::graduation
