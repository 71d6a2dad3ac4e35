#include "measure/detection/graduation_search.h"

#include "measure/detection/graduation_finer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumivex::detection::graduation {

Profile profileOf(const BandedProjection& projection, const std::vector<bool>& keep) {
  std::vector<double> means, weights;
  projection.profile(keep, means, weights);
  int first = 0, last = -1;
  wellCoveredSpan(weights, first, last);
  Profile p;
  if (last >= first) p.samples.assign(means.begin() + first, means.begin() + last + 1);
  return p;
}

// Marks of a lone line or two: runs of samples far from the profile's straight trend, counted on the side
// with more of them. Used to say "too few marks" rather than "nothing periodic" when that is the truth.
int countLoneMarks(const std::vector<double>& samples) {
  const int n = static_cast<int>(samples.size());
  if (n < 8) return 0;
  const double meanX = (n - 1) / 2.0;
  double meanY = 0, sxy = 0, sxx = 0;
  for (double v : samples) meanY += v;
  meanY /= n;
  for (int i = 0; i < n; ++i) {
    sxy += (i - meanX) * (samples[static_cast<size_t>(i)] - meanY);
    sxx += (i - meanX) * (i - meanX);
  }
  const double slope = sxy / sxx;
  std::vector<double> rest(samples.size()), steps;
  for (int i = 0; i < n; ++i)
    rest[static_cast<size_t>(i)] = samples[static_cast<size_t>(i)] - meanY - slope * (i - meanX);
  for (int i = 1; i < n; ++i)
    steps.push_back(std::abs(rest[static_cast<size_t>(i)] - rest[static_cast<size_t>(i) - 1]));
  std::vector<double> sorted = rest;
  std::nth_element(sorted.begin(), sorted.begin() + n / 2, sorted.end());
  const double middle = sorted[static_cast<size_t>(n / 2)];
  std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2), steps.end());
  const double noise = 1.4826 * steps[steps.size() / 2] / std::sqrt(2.0);
  const double limit = std::max(8.0 * noise, 5.0);
  int dark = 0, light = 0;
  int run = 0;
  for (int i = 0; i <= n; ++i) {
    const double v = i < n ? rest[static_cast<size_t>(i)] - middle : 0.0;
    const int side = v < -limit ? -1 : (v > limit ? 1 : 0);
    if (side != run) {
      if (run < 0) ++dark;
      if (run > 0) ++light;
      run = side;
    }
  }
  return std::max(dark, light);
}

namespace {

// Skewness of the defined samples: narrow dark marks pull it below zero, narrow bright ones above.
double skewness(const std::vector<double>& values) {
  double n = 0, sum = 0;
  for (double v : values)
    if (!std::isnan(v)) {
      n += 1;
      sum += v;
    }
  if (n < 3) return 0.0;
  const double mean = sum / n;
  double m2 = 0, m3 = 0;
  for (double v : values)
    if (!std::isnan(v)) {
      m2 += (v - mean) * (v - mean);
      m3 += (v - mean) * (v - mean) * (v - mean);
    }
  m2 /= n;
  m3 /= n;
  return m2 > 0 ? m3 / std::pow(m2, 1.5) : 0.0;
}

// Finds and fits the marks at one period. Marks are narrower than the gaps between them on any real
// scale, so a clearly skewed profile tells dark from bright marks; a symmetric one (marks as wide as the
// gaps, or blurred into a sine) is tried both ways and the smaller uncertainty wins.
}  // namespace

// The marks and their fit at one period; without a fit when the places, located on the profile alone,
// already fail the tests of coherence and evenness (their figures are then kept, for the verdict).
std::optional<LatticeChoice> latticeAt(const StripProfile& strip, double tLow, double tHigh, double period,
                                       const GridPhase& gridPhase) {
  const std::vector<double>& samples = strip.samples;
  const double skew = skewness(periodDetrended(samples, period));
  std::vector<bool> polarities;
  if (skew <= 0.3) polarities.push_back(true);
  if (skew >= -0.3) polarities.push_back(false);
  std::optional<LatticeChoice> best, screened;
  for (bool dark : polarities) {
    LatticeChoice c;
    c.period = period;
    c.darkMarks = dark;
    for (int pass = 0; pass < 2; ++pass) {
      const std::vector<double> detrended = periodDetrended(samples, c.period);
      c.marks = locateMarks(detrended, strip.positions, c.period, dark);
      if (c.marks.coherence < kMinCoherence || c.marks.evenness < kMinEvenness) {
        c.fit = LatticeFit{};
        break;
      }
      std::vector<double> background(samples.size());
      for (size_t i = 0; i < samples.size(); ++i) background[i] = samples[i] - detrended[i];
      refineOnPixels(strip, background, c.period, dark, tLow - 1.0, tHigh + 1.0, c.marks);
      std::vector<double> phase;
      for (double x : c.marks.position) phase.push_back(gridPhase(x));
      c.fit = fitLattice(c.marks.index, c.marks.position, phase, kLockingShare / c.period);
      // Once more with the fitted pitch: the moving average and the windows then span exactly one period.
      if (!c.fit.fitted || std::abs(c.fit.pitch - c.period) > 0.25 * c.period) break;
      c.period = c.fit.pitch;
    }
    if (!c.fit.fitted) {
      if (!screened || c.marks.coherence > screened->marks.coherence) screened = c;
      continue;
    }
    const bool better =
        !best || (c.fit.usedCount >= kMinimumMarks &&
                  (best->fit.usedCount < kMinimumMarks || c.fit.standardUncertainty < best->fit.standardUncertainty));
    if (better) best = c;
  }
  return best ? best : screened;
}

// A direction refined band by band (a few rounds when only trying it), with the profile across its stripes
// and that profile's strongest peak.
std::optional<Direction> evaluateDirection(const GreyRegion& grey, double normalAngle, int rounds) {
  const Profile rough = profileOf(BandedProjection(grey, normalAngle, 1e9), {});
  const int roughLength = static_cast<int>(rough.samples.size());
  if (roughLength < kMinimumLength) return std::nullopt;
  const auto roughPeak = ProfileSpectrum(rough.samples).strongest(kMinPeriods / roughLength, 0.5);
  if (!roughPeak) return std::nullopt;
  Direction d;
  d.stripe = refineStripeAngle(grey, normalAngle, roughPeak->frequency, rounds);
  d.projection = std::make_shared<BandedProjection>(grey, d.stripe.normalAngle, d.stripe.bandHeight);
  d.profile = profileOf(*d.projection, d.stripe.bandsWithStripes);
  const int n = static_cast<int>(d.profile.samples.size());
  if (n < kMinimumLength) return std::nullopt;
  const ProfileSpectrum spectrum(d.profile.samples);
  const auto peak = spectrum.strongest(kMinPeriods / n, 0.5);
  if (!peak) return std::nullopt;
  d.peak = *peak;
  d.prominence = spectrum.prominence(*peak);
  return d;
}

// The graduation on the strip tLow <= t <= tHigh across the normal at `normalAngle`.
Verdict graduationOnStrip(const GreyRegion& grey, QPointF regionCentre, double normalAngle, double tLow, double tHigh,
                          double frequency, int& marksSeen, Graduation& g) {
  g = Graduation{};
  g.normalAngle = normalAngle;
  g.frequency = frequency;
  g.tLow = tLow;
  g.tHigh = tHigh;
  g.profile = stripProfile(grey, normalAngle, tLow, tHigh);
  const int n = static_cast<int>(g.profile.samples.size());
  if (n < kMinimumLength) return Verdict::kNothing;
  const ProfileSpectrum spectrum(g.profile.samples);
  const auto peak = spectrum.near(frequency, 1.5 / n);
  if (!peak || spectrum.prominence(*peak) < kMinProminence) return Verdict::kNothing;
  const QPointF normal(std::cos(normalAngle), std::sin(normalAngle));
  const QPointF along(-normal.y(), normal.x());
  const bool vertical = std::abs(normal.x()) >= std::abs(normal.y());
  const QPointF middle = regionCentre + (tLow + tHigh) / 2.0 * along + g.profile.origin * normal;
  const GridPhase gridPhase = [=](double s) {
    const QPointF p = middle + s * normal;
    const double c = vertical ? p.x() : p.y();
    return c - std::floor(c);
  };
  std::optional<LatticeChoice> lattice = latticeAt(g.profile, tLow, tHigh, 1.0 / peak->frequency, gridPhase);
  if (!lattice) return Verdict::kNothing;
  marksSeen = std::max(marksSeen, lattice->fit.usedCount);
  if (lattice->marks.evenness < kMinEvenness) return Verdict::kUneven;
  if (!lattice->fit.fitted || lattice->marks.coherence < kMinCoherence ||
      lattice->fit.residualScatter > kMaxScatterShare * lattice->fit.pitch)
    return Verdict::kTooFaint;
  g.frequency = peak->frequency;
  g.lattice = std::move(*lattice);
  return Verdict::kFound;
}

// The marks' core for a frequency: the longest run of bands that hold it clearly.
bool coreStrip(const BandedProjection& projection, double frequency, double& tLow, double& tHigh) {
  const std::vector<bool> bands = bandsWithStripesAt(projection, frequency, kCoreBandShare);
  int bestFirst = -1, bestLength = 0;
  for (int j = 0; j < static_cast<int>(bands.size());) {
    if (!bands[static_cast<size_t>(j)]) {
      ++j;
      continue;
    }
    int k = j;
    while (k < static_cast<int>(bands.size()) && bands[static_cast<size_t>(k)]) ++k;
    if (k - j > bestLength) {
      bestFirst = j;
      bestLength = k - j;
    }
    j = k;
  }
  if (bestFirst < 0 || projection.bands() < 2) return false;
  const double half = (projection.bandCentre(1) - projection.bandCentre(0)) / 2.0;
  tLow = projection.bandCentre(bestFirst) - half;
  tHigh = projection.bandCentre(bestFirst + bestLength - 1) + half;
  return true;
}

Verdict graduationAt(const GreyRegion& grey, QPointF regionCentre, const BandedProjection& projection, double frequency,
                     int& marksSeen, Graduation& g) {
  double tLow = 0.0, tHigh = 0.0;
  if (!coreStrip(projection, frequency, tLow, tHigh)) return Verdict::kNothing;
  return graduationOnStrip(grey, regionCentre, projection.normalAngle(), tLow, tHigh, frequency, marksSeen, g);
}

namespace {

// How far the marks lean from the strip's direction: each mark located once in the strip's lower half and
// once in its upper half, among the pixels themselves. Radians; nothing when the strip is too short or too
// few marks show in both halves.
struct Lean {
  double angle = 0.0;
  double uncertainty = 0.0;
};

std::optional<Lean> leanOfMarks(const Graduation& g) {
  const double height = g.tHigh - g.tLow;
  if (height < 4.0) return std::nullopt;
  const LatticeChoice& lattice = g.lattice;
  const std::vector<double> detrended = periodDetrended(g.profile.samples, lattice.period);
  std::vector<double> background(detrended.size());
  for (size_t i = 0; i < detrended.size(); ++i) background[i] = g.profile.samples[i] - detrended[i];
  FoundMarks used;
  for (size_t i = 0; i < lattice.marks.index.size(); ++i) {
    if (!lattice.fit.used[i]) continue;
    used.index.push_back(lattice.marks.index[i]);
    used.position.push_back(lattice.marks.position[i]);
    used.depth.push_back(lattice.marks.depth[i]);
  }
  const double middle = (g.tLow + g.tHigh) / 2.0;
  FoundMarks lower = used, upper = used;
  refineOnPixels(g.profile, background, lattice.period, lattice.darkMarks, g.tLow - 2.0, middle, lower);
  refineOnPixels(g.profile, background, lattice.period, lattice.darkMarks, middle, g.tHigh + 2.0, upper);
  // Only marks that show fully in both halves: a mark that ends inside the strip (every fifth one is longer)
  // would be located in one half by its stray background.
  auto typical = [](const FoundMarks& f) {
    std::vector<double> d = f.depth;
    if (d.empty()) return 0.0;
    std::nth_element(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(d.size() / 2), d.end());
    return d[d.size() / 2];
  };
  const double lowerTypical = typical(lower), upperTypical = typical(upper);
  std::vector<double> drift;
  for (size_t i = 0, j = 0; i < lower.index.size() && j < upper.index.size();) {
    if (lower.index[i] < upper.index[j]) {
      ++i;
    } else if (lower.index[i] > upper.index[j]) {
      ++j;
    } else {
      if (lower.depth[i] >= 0.5 * lowerTypical && upper.depth[j] >= 0.5 * upperTypical)
        drift.push_back(upper.position[j] - lower.position[i]);
      ++i;
      ++j;
    }
  }
  if (drift.size() < static_cast<size_t>(kMinimumMarks)) return std::nullopt;
  // A robust middle: the drifts within 3.5 robust deviations of their median.
  std::vector<double> sorted = drift;
  std::sort(sorted.begin(), sorted.end());
  const double centre = sorted[sorted.size() / 2];
  std::vector<double> spread;
  for (double d : drift) spread.push_back(std::abs(d - centre));
  std::sort(spread.begin(), spread.end());
  const double limit = 3.5 * std::max(1e-3, 1.4826 * spread[spread.size() / 2]);
  double sum = 0.0, squares = 0.0;
  int count = 0;
  for (double d : drift) {
    if (std::abs(d - centre) > limit) continue;
    sum += d;
    squares += d * d;
    ++count;
  }
  if (count < kMinimumMarks) return std::nullopt;
  const double mean = sum / count;
  const double variance = std::max(0.0, (squares - count * mean * mean) / (count - 1));
  // The halves' centres are half the strip's height apart.
  const double lever = height / 2.0;
  return Lean{std::atan(mean / lever), std::sqrt(variance / count) / lever};
}

// Sets a graduation's angle by the marks' own lean (the spectra's angle may be a degree or more off when
// the marks are short or faint) and measures again along it: on the bands that hold the marks along the
// new angle, or else on the same strip turned.
void lean(const GreyRegion& grey, QPointF regionCentre, double bandHeight, Graduation& g) {
  // Unmeasured, the angle may be this far off; the uncertainty says so.
  g.angleUncertainty = kUnknownLean;
  for (int round = 0; round < kLeanRounds; ++round) {
    const std::optional<Lean> l = leanOfMarks(g);
    if (!l) return;
    g.angleUncertainty = l->uncertainty;
    // A lean within twice its uncertainty is noise: turning by it would only stir the angle.
    if (std::abs(l->angle) < std::max(kSettledLean, 2.0 * l->uncertainty)) return;
    const double angle = g.normalAngle - l->angle;
    const BandedProjection turned(grey, angle, bandHeight);
    int ignored = 0;
    Graduation again;
    if (graduationAt(grey, regionCentre, turned, g.frequency, ignored, again) != Verdict::kFound &&
        graduationOnStrip(grey, regionCentre, angle, g.tLow, g.tHigh, g.frequency, ignored, again) != Verdict::kFound)
      return;
    g = std::move(again);
    g.angleUncertainty = l->uncertainty;
  }
}

// With no finer repeat in any band, finer marks may still have been blurred into one grey band: placed
// there, they are the graduation; not placed, the scale of the marks found would be wrong.
bool placedInDarkBand(const GreyRegion& grey, QPointF regionCentre, double bandHeight, Graduation& g) {
  // Marks closer than twice the aliasing period leave no room for finer ones that could be seen.
  if (g.frequency * 2.0 > 1.0 / kAliasingPeriod) return true;
  const std::optional<DarkBand> band = blurredFinerBand(grey, g);
  if (!band) return true;
  for (int split = kMaxSplit; split >= 2; --split) {
    const double frequency = g.frequency * split;
    if (frequency > 1.0 / kAliasingPeriod) continue;
    int ignored = 0;
    Graduation found;
    if (graduationOnStrip(grey, regionCentre, g.normalAngle, band->tLow, band->tHigh, frequency, ignored, found) !=
            Verdict::kFound ||
        std::abs(found.lattice.fit.pitch * split - g.lattice.fit.pitch) > 0.05 * g.lattice.fit.pitch)
      continue;
    g = std::move(found);
    lean(grey, regionCentre, bandHeight, g);
    return true;
  }
  // The marks found need not be every so many of the finer ones (a ripple of the blurred band may repeat
  // too, at a lean of its own): the band's own clearest repeats, finer than the marks found, along the
  // band as it was found and then along itself.
  const double coarsest = 1.5 * g.frequency;
  std::optional<DarkBand> along = band;
  for (int attempt = 0; attempt < 2 && along; ++attempt, along = straightenedBand(grey, *along)) {
    const StripProfile strip = stripProfile(grey, along->normalAngle, along->tLow, along->tHigh, false);
    const int n = static_cast<int>(strip.samples.size());
    if (n < kMinimumLength) continue;
    const ProfileSpectrum spectrum(strip.samples);
    for (const ProfileSpectrum::Peak& peak :
         spectrum.peaks(std::max(kMinPeriods / n, coarsest), 1.0 / kAliasingPeriod, kPeaksTried)) {
      int ignored = 0;
      Graduation found;
      if (graduationOnStrip(grey, regionCentre, along->normalAngle, along->tLow, along->tHigh, peak.frequency, ignored,
                            found) != Verdict::kFound)
        continue;
      g = std::move(found);
      lean(grey, regionCentre, bandHeight, g);
      return true;
    }
  }
  return false;
}

}  // namespace

// After the lean, looks for finer marks between the ones found: with blur all but erasing the short marks,
// the repeat of every fifth, longer one may be what stood out first, and only along the right angle do
// the short ones show. False when finer marks seem to be there but are too faint to be sure of: the
// coarser repeat would then give a wrong scale.
bool settle(const GreyRegion& grey, QPointF regionCentre, const Direction& d, Graduation& g) {
  const double bandHeight = d.stripe.bandHeight;
  lean(grey, regionCentre, bandHeight, g);
  const BandedProjection along(grey, g.normalAngle, bandHeight);
  // The direction's own profile shows, if faintly, every repeat worth a closer look.
  const ProfileSpectrum spectrum(d.profile.samples);
  const int n = static_cast<int>(d.profile.samples.size());
  bool doubtful = false;
  for (int m = kFinestSplit; m >= 2; --m) {
    if (g.frequency * m > 0.5) continue;
    const auto peak = spectrum.near(g.frequency * m, 1.5 / n);
    if (!peak || spectrum.prominence(*peak) < kMinProminence / 4) continue;
    int ignored = 0;
    Graduation finer;
    const Verdict v = graduationAt(grey, regionCentre, along, g.frequency * m, ignored, finer);
    if (v == Verdict::kTooFaint) doubtful = true;
    if (v != Verdict::kFound) continue;
    g = std::move(finer);
    lean(grey, regionCentre, bandHeight, g);
    return true;
  }
  if (doubtful) return false;
  // Finer marks the profile of the whole strip does not show may still be there, in a band of their own.
  const std::optional<FinerMarks> finer = finerMarksBetween(grey, g);
  if (!finer) return placedInDarkBand(grey, regionCentre, bandHeight, g);
  const double frequency = g.frequency * finer->split;
  for (const double widen : {0.0, kFinerBand}) {
    int ignored = 0;
    Graduation found;
    const Verdict v = graduationOnStrip(grey, regionCentre, g.normalAngle, finer->tLow - widen, finer->tHigh + widen,
                                        frequency, ignored, found);
    if (v != Verdict::kFound ||
        std::abs(found.lattice.fit.pitch * finer->split - g.lattice.fit.pitch) > 0.05 * g.lattice.fit.pitch)
      continue;
    g = std::move(found);
    lean(grey, regionCentre, bandHeight, g);
    return true;
  }
  // Marks between the ones found, too faint to place: the coarser repeat would give a wrong scale.
  return false;
}

// The graduation along one direction. The strongest peak may be a harmonic of narrow marks, or the
// repeat of every fifth, longer mark when blur has all but erased the short ones: the graduation is the
// shortest period whose peak stands out and whose places hold marks all along.
std::optional<Graduation> graduationAlong(const GreyRegion& grey, QPointF regionCentre, const Direction& d,
                                          int& marksSeen) {
  const int n = static_cast<int>(d.profile.samples.size());
  const ProfileSpectrum spectrum(d.profile.samples);
  std::vector<ProfileSpectrum::Peak> peaks = spectrum.peaks(kMinPeriods / n, 0.5, kPeaksTried);
  std::sort(peaks.begin(), peaks.end(),
            [](const ProfileSpectrum::Peak& a, const ProfileSpectrum::Peak& b) { return a.frequency > b.frequency; });
  for (const ProfileSpectrum::Peak& peak : peaks) {
    // A first look on the direction's own profile spares recomputing bands for peaks that are not there.
    if (spectrum.prominence(peak) < kMinProminence / 4) continue;
    Graduation g;
    if (graduationAt(grey, regionCentre, *d.projection, peak.frequency, marksSeen, g) == Verdict::kFound) return g;
  }
  return std::nullopt;
}

}  // namespace lumivex::detection::graduation
