#include "measure/detection/graduation_marks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

namespace lumivex::detection {
namespace {

constexpr double kPresentShare = 0.35;   // of the upper-quartile depth
constexpr double kCentroidFloor = 0.15;  // of the mark's own depth
constexpr double kOutlierSigmas = 3.5;
constexpr double kResidualFloor = 0.005;  // pixels

// Weight of a sample (a cell one sample wide centred on it) inside the window [lo, hi].
double cellOverlap(double centre, double lo, double hi) {
  return std::max(0.0, std::min(hi, centre + 0.5) - std::max(lo, centre - 0.5));
}

// cos and sin of 2 pi u for u in [-1/2, 1/2], tabulated (the marks' windows need millions of them).
class TurnTable {
 public:
  TurnTable() {
    for (int i = 0; i <= kSteps; ++i) {
      const double a = 2.0 * std::numbers::pi * (static_cast<double>(i) / kSteps - 0.5);
      cos_[static_cast<size_t>(i)] = std::cos(a);
      sin_[static_cast<size_t>(i)] = std::sin(a);
    }
  }
  void at(double u, double& c, double& s) const {
    const double at = std::clamp((u + 0.5) * kSteps, 0.0, static_cast<double>(kSteps) - 1e-9);
    const auto i = static_cast<size_t>(at);
    const double f = at - static_cast<double>(i);
    c = cos_[i] + f * (cos_[i + 1] - cos_[i]);
    s = sin_[i] + f * (sin_[i + 1] - sin_[i]);
  }

 private:
  static constexpr int kSteps = 4096;
  std::array<double, kSteps + 1> cos_{};
  std::array<double, kSteps + 1> sin_{};
};

const TurnTable& turnTable() {
  static const TurnTable table;
  return table;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

}  // namespace

std::vector<double> periodDetrended(const std::vector<double>& profile, double period) {
  const int n = static_cast<int>(profile.size());
  std::vector<double> out(profile.size(), std::numeric_limits<double>::quiet_NaN());
  if (period < 1.0) return out;
  std::vector<double> prefix(profile.size() + 1, 0.0);
  for (int i = 0; i < n; ++i)
    prefix[static_cast<size_t>(i) + 1] = prefix[static_cast<size_t>(i)] + profile[static_cast<size_t>(i)];
  const double half = period / 2.0;
  for (int i = 0; i < n; ++i) {
    const double lo = i - half;
    const double hi = i + half;
    const int jl = static_cast<int>(std::floor(lo + 0.5));
    const int jh = static_cast<int>(std::floor(hi + 0.5));
    if (jl < 0 || jh >= n || jh <= jl) continue;
    const double wl = jl + 0.5 - lo;
    const double wh = hi - (jh - 0.5);
    const double inner = prefix[static_cast<size_t>(jh)] - prefix[static_cast<size_t>(jl) + 1];
    const double mean =
        (inner + wl * profile[static_cast<size_t>(jl)] + wh * profile[static_cast<size_t>(jh)]) / period;
    out[static_cast<size_t>(i)] = profile[static_cast<size_t>(i)] - mean;
  }
  return out;
}

FoundMarks locateMarks(const std::vector<double>& detrended, const std::vector<double>& positions, double period,
                       bool darkMarks) {
  FoundMarks found;
  const int n = static_cast<int>(detrended.size());
  if (period < 2.0 || n < 3 * period || positions.size() != detrended.size()) return found;
  auto at = [&](int j) { return positions[static_cast<size_t>(j)]; };
  // The mark signal: positive at the marks.
  std::vector<double> signal(detrended.size());
  int firstDefined = n, lastDefined = -1;
  for (int i = 0; i < n; ++i) {
    const double v = detrended[static_cast<size_t>(i)];
    if (std::isnan(v)) {
      signal[static_cast<size_t>(i)] = 0.0;
      continue;
    }
    signal[static_cast<size_t>(i)] = darkMarks ? -v : v;
    firstDefined = std::min(firstDefined, i);
    lastDefined = std::max(lastDefined, i);
  }
  if (lastDefined - firstDefined + 1 < 3 * period) return found;
  auto windowMean = [&](double lo, double hi) {
    const int jl = static_cast<int>(std::floor(lo + 0.5));
    const int jh = static_cast<int>(std::floor(hi + 0.5));
    double sw = 0.0, sv = 0.0;
    for (int j = std::max(jl, firstDefined); j <= std::min(jh, lastDefined); ++j) {
      const double w = cellOverlap(j, lo, hi);
      sw += w;
      sv += w * signal[static_cast<size_t>(j)];
    }
    return sw > 0 ? sv / sw : 0.0;
  };

  // Where the first mark sits: the phase of the fundamental.
  std::complex<double> c;
  for (int i = firstDefined; i <= lastDefined; ++i)
    c += signal[static_cast<size_t>(i)] * std::polar(1.0, -2.0 * std::numbers::pi * i / period);
  double x0 = -std::arg(c) / (2.0 * std::numbers::pi) * period;
  const double lowest = firstDefined + period / 2.0;
  const double highest = lastDefined - period / 2.0;
  x0 += period * std::ceil((lowest - x0) / period);

  struct Place {
    int index;
    double position;
    double depth;
    bool settled;
  };
  std::vector<Place> places;
  std::vector<double> difference;
  for (int k = 0; x0 + k * period <= highest; ++k) {
    const double expected = x0 + k * period;
    const double depth = windowMean(expected - period / 4.0, expected + period / 4.0);
    if (expected + period <= lastDefined) {
      const double between = windowMean(expected + period / 4.0, expected + 3.0 * period / 4.0);
      difference.push_back(depth - between);
    }
    double x = expected;
    bool settled = false;
    for (int iteration = 0; iteration < 12; ++iteration) {
      const double lo = x - period / 2.0;
      const double hi = x + period / 2.0;
      if (lo < firstDefined - 0.5 || hi > lastDefined + 0.5) break;
      const int jl = std::max(firstDefined, static_cast<int>(std::floor(lo + 0.5)) - 1);
      const int jh = std::min(lastDefined, static_cast<int>(std::floor(hi + 0.5)) + 1);
      double top = 0.0;
      for (int j = jl; j <= jh; ++j) top = std::max(top, signal[static_cast<size_t>(j)]);
      if (top <= 0) break;
      const double floor = kCentroidFloor * top;
      double sw = 0.0, sx = 0.0;
      for (int j = jl; j <= jh; ++j) {
        const double w = cellOverlap(at(j), lo, hi) * std::max(0.0, signal[static_cast<size_t>(j)] - floor);
        sw += w;
        sx += w * at(j);
      }
      if (sw <= 0) break;
      double next = sx / sw;
      if (std::abs(next - expected) > period / 3.0) break;
      const bool still = std::abs(next - x) < 1e-5;
      x = next;
      // Still creeping after a dozen rounds means by less than it matters.
      if (still || iteration == 11) {
        settled = true;
        break;
      }
    }
    places.push_back(Place{k, x, depth, settled});
  }
  const int differences = static_cast<int>(difference.size());
  if (differences >= 2) {
    double sum = 0.0, squares = 0.0;
    for (double d : difference) {
      sum += d;
      squares += d * d;
    }
    const double mean = sum / differences;
    const double variance = std::max(0.0, (squares - differences * mean * mean) / (differences - 1));
    found.coherence = variance > 0 ? mean / std::sqrt(variance / differences) : (mean > 0 ? 1e9 : 0.0);
    found.evenness = 1.0;
    // On the depths themselves: a moving average over a wrong period leaves the gaps next to a mark
    // below the level of the others, so (place - between) would hold a little even on an empty place.
    // The weakest group counts by the most its mean may be (2.5 standard errors up): faint marks in
    // noise leave every group's mean unsure, and only a group surely emptier than the rest condemns.
    const int count = static_cast<int>(places.size());
    for (int m = 2; m <= 7 && count >= 3 * m; ++m) {
      std::vector<double> groupSum(static_cast<size_t>(m), 0.0), groupSquares(static_cast<size_t>(m), 0.0);
      std::vector<int> groupCount(static_cast<size_t>(m), 0);
      for (int k = 0; k < count; ++k) {
        const double d = places[static_cast<size_t>(k)].depth;
        groupSum[static_cast<size_t>(k % m)] += d;
        groupSquares[static_cast<size_t>(k % m)] += d * d;
        ++groupCount[static_cast<size_t>(k % m)];
      }
      // Spread of the depths within the groups, pooled.
      double within = 0.0;
      for (int g = 0; g < m; ++g) {
        const auto i = static_cast<size_t>(g);
        within += groupSquares[i] - groupSum[i] * groupSum[i] / groupCount[i];
      }
      const double spread = std::sqrt(std::max(0.0, within / std::max(1, count - m)));
      double weakest = 1e300, strongest = -1e300;
      for (int g = 0; g < m; ++g) {
        const auto i = static_cast<size_t>(g);
        const double groupMean = groupSum[i] / groupCount[i];
        weakest = std::min(weakest, groupMean + 2.5 * spread / std::sqrt(groupCount[i]));
        strongest = std::max(strongest, groupMean);
      }
      found.evenness = std::min(found.evenness, strongest > 0 ? std::clamp(weakest / strongest, 0.0, 1.0) : 0.0);
    }
  }
  if (places.empty()) return found;
  std::vector<double> depths;
  for (const Place& p : places) depths.push_back(p.depth);
  std::sort(depths.begin(), depths.end());
  const double clear = kPresentShare * depths[depths.size() * 3 / 4];
  size_t first = 0, last = places.size();
  while (first < places.size() && places[first].depth < clear) ++first;
  while (last > first && places[last - 1].depth < clear) --last;
  for (size_t i = first; i < last; ++i) {
    const Place& p = places[i];
    if (!p.settled) continue;
    found.index.push_back(p.index);
    found.position.push_back(p.position);
    found.depth.push_back(p.depth);
  }
  return found;
}

void refineOnPixels(const StripProfile& strip, const std::vector<double>& background, double period, bool darkMarks,
                    double tFrom, double tTo, FoundMarks& marks) {
  const int bins = static_cast<int>(strip.binStart.size()) - 1;
  auto backgroundAt = [&](double s) {
    const int i = std::clamp(static_cast<int>(std::floor(s)), 0, bins - 1);
    const int j = std::min(i + 1, bins - 1);
    const double a = background[static_cast<size_t>(i)], b = background[static_cast<size_t>(j)];
    if (std::isnan(a)) return b;
    if (std::isnan(b)) return a;
    const double f = std::clamp(s - i, 0.0, 1.0);
    return a + f * (b - a);
  };
  const double sign = darkMarks ? -1.0 : 1.0;
  // Each pixel's part of the mark signal, once: (value - background) with the sign that makes marks
  // positive, times its share of the strip; zero outside the rows asked for.
  std::vector<float> signal(strip.pixels.size());
  for (size_t k = 0; k < strip.pixels.size(); ++k) {
    const StripPixel& px = strip.pixels[k];
    signal[k] =
        px.t < tFrom || px.t >= tTo ? 0.0f : static_cast<float>(px.weight * sign * (px.value - backgroundAt(px.s)));
  }
  const TurnTable& turn = turnTable();
  FoundMarks kept;
  kept.coherence = marks.coherence;
  kept.evenness = marks.evenness;
  for (size_t m = 0; m < marks.index.size(); ++m) {
    const double start = marks.position[m];
    double x = start;
    double strength = 0.0;
    bool settled = false;
    for (int iteration = 0; iteration < 16; ++iteration) {
      const double lo = x - period / 2.0, hi = x + period / 2.0;
      const int first = static_cast<int>(std::floor(lo)), last = static_cast<int>(std::floor(hi));
      if (first < 0 || last >= bins) break;
      // The Hann window cos^2(pi u) is (1 + cos 2 pi u) / 2: one turn per pixel serves both.
      double re = 0.0, im = 0.0, windowWeight = 0.0;
      for (int b = first; b <= last; ++b) {
        for (int k = strip.binStart[static_cast<size_t>(b)]; k < strip.binStart[static_cast<size_t>(b) + 1]; ++k) {
          const double v = signal[static_cast<size_t>(k)];
          const double s = strip.pixels[static_cast<size_t>(k)].s;
          if (v == 0.0 || s < lo || s > hi) continue;
          double c = 0.0, sn = 0.0;
          turn.at((s - x) / period, c, sn);
          const double w = 0.5 + 0.5 * c;
          re += w * v * c;
          im -= w * v * sn;
          windowWeight += w;
        }
      }
      if (re <= 0) break;
      strength = re / std::max(1e-9, windowWeight);
      const double step = -std::atan2(im, re) * period / (2.0 * std::numbers::pi);
      x += step;
      if (std::abs(x - start) > period / 3.0) break;
      // The step is the whole offset for a symmetric mark: a few rounds settle it.
      if (std::abs(step) < 1e-6 || iteration == 15) {
        settled = true;
        break;
      }
    }
    if (!settled) continue;
    kept.index.push_back(marks.index[m]);
    kept.position.push_back(x);
    kept.depth.push_back(strength);
  }
  marks = std::move(kept);
}

LatticeFit fitLattice(const std::vector<int>& index, const std::vector<double>& position,
                      const std::vector<double>& gridPhase, double lockingSigma) {
  LatticeFit fit;
  const size_t n = index.size();
  fit.used.assign(n, true);
  fit.residual.assign(n, 0.0);
  if (n < 3 || position.size() != n) return fit;

  auto solveLine = [&]() -> bool {
    double m = 0, sk = 0, sp = 0;
    for (size_t i = 0; i < n; ++i) {
      if (!fit.used[i]) continue;
      m += 1;
      sk += index[i];
      sp += position[i];
    }
    if (m < 3) return false;
    const double kBar = sk / m, pBar = sp / m;
    double skk = 0, skp = 0;
    for (size_t i = 0; i < n; ++i) {
      if (!fit.used[i]) continue;
      skk += (index[i] - kBar) * (index[i] - kBar);
      skp += (index[i] - kBar) * (position[i] - pBar);
    }
    if (skk <= 0) return false;
    fit.pitch = skp / skk;
    fit.offset = pBar - fit.pitch * kBar;
    for (size_t i = 0; i < n; ++i) fit.residual[i] = position[i] - fit.offset - fit.pitch * index[i];
    return true;
  };

  for (int round = 0; round < 20; ++round) {
    if (!solveLine()) return fit;
    std::vector<double> absolute;
    for (size_t i = 0; i < n; ++i)
      if (fit.used[i]) absolute.push_back(std::abs(fit.residual[i]));
    const double limit = kOutlierSigmas * std::max(kResidualFloor, 1.4826 * median(absolute));
    bool changed = false;
    for (size_t i = 0; i < n; ++i) {
      const bool keep = std::abs(fit.residual[i]) <= limit;
      if (keep != fit.used[i]) changed = true;
      fit.used[i] = keep;
    }
    if (!changed) break;
  }
  if (!solveLine()) return fit;

  double m = 0, sk = 0, ss = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!fit.used[i]) continue;
    m += 1;
    sk += index[i];
    ss += fit.residual[i] * fit.residual[i];
  }
  const double kBar = sk / m;
  fit.usedCount = static_cast<int>(m);
  fit.degreesOfFreedom = fit.usedCount - 2;
  if (fit.degreesOfFreedom < 1) return fit;

  fit.residualScatter = std::sqrt(ss / m);
  double skk = 0;
  for (size_t i = 0; i < n; ++i)
    if (fit.used[i]) skk += (index[i] - kBar) * (index[i] - kBar);
  double standard = std::sqrt(ss / fit.degreesOfFreedom / skk);

  // The pixel grid pulls each sharp mark's centre by an amount that repeats with the mark's phase on the
  // grid: c1 sin(2 pi phase) + c2 cos(2 pi phase). Where the phases run through whole cycles along the
  // scale this averages out of the slope; where they drift slowly it tilts the fitted line like a change
  // of pitch. Its share of the slope, for a pull of `lockingSigma` either way, joins the uncertainty.
  if (gridPhase.size() == n && lockingSigma > 0) {
    double sinSlope = 0.0, cosSlope = 0.0;
    for (size_t i = 0; i < n; ++i) {
      if (!fit.used[i]) continue;
      sinSlope += (index[i] - kBar) * std::sin(2.0 * std::numbers::pi * gridPhase[i]);
      cosSlope += (index[i] - kBar) * std::cos(2.0 * std::numbers::pi * gridPhase[i]);
    }
    sinSlope /= skk;
    cosSlope /= skk;
    fit.lockingUncertainty = lockingSigma * std::sqrt(sinSlope * sinSlope + cosSlope * cosSlope);
  }

  // Lag-one correlation of residuals of neighbouring graduations (both used).
  double lagged = 0.0, pairs = 0.0;
  for (size_t i = 0; i + 1 < n; ++i) {
    if (!fit.used[i] || !fit.used[i + 1] || index[i + 1] != index[i] + 1) continue;
    lagged += fit.residual[i] * fit.residual[i + 1];
    pairs += 1;
  }
  if (pairs > 0 && ss > 0) {
    const double r = std::min(0.9, lagged / pairs / (ss / m));
    if (r > 0) standard *= std::sqrt((1.0 + r) / (1.0 - r));
  }
  fit.standardUncertainty = std::hypot(standard, fit.lockingUncertainty);
  fit.fitted = true;
  return fit;
}

double studentT95(int degreesOfFreedom) {
  static constexpr std::array<double, 30> kTable = {
      12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306, 2.262, 2.228, 2.201, 2.179, 2.160, 2.145, 2.131,
      2.120,  2.110, 2.101, 2.093, 2.086, 2.080, 2.074, 2.069, 2.064, 2.060, 2.056, 2.052, 2.048, 2.045, 2.042};
  if (degreesOfFreedom < 1) return kTable[0];
  if (degreesOfFreedom <= 30) return kTable[static_cast<size_t>(degreesOfFreedom - 1)];
  // Cornish-Fisher expansion around the normal quantile; within 0.001 of the table beyond 30.
  const double z = 1.959964;
  const double v = degreesOfFreedom;
  return z + (z * z * z + z) / (4 * v) + (5 * std::pow(z, 5) + 16 * z * z * z + 3 * z) / (96 * v * v);
}

}  // namespace lumivex::detection
