#include "measure/detection/graduation_profile.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <map>
#include <numbers>

namespace lumivex::detection {
namespace {

// Bins with less than this share of the best-covered bin's weight are left out of a profile.
constexpr double kCoveredShare = 0.35;
// Bands whose stripe amplitude is below this share of the strongest band's hold no stripes.
constexpr double kStripeBandShare = 0.3;
constexpr double kLargestTurn = 0.09;  // radians, about 5 degrees

// The Hann window of length n, kept once made: the bands of a projection ask for a handful of lengths,
// over and over.
const std::vector<double>& hannWindow(int n) {
  thread_local std::map<int, std::vector<double>> windows;
  auto it = windows.find(n);
  if (it != windows.end()) return it->second;
  if (windows.size() > 256) windows.clear();
  std::vector<double> window(static_cast<size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i)
    window[static_cast<size_t>(i)] = n <= 1 ? 1.0 : 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / (n - 1));
  return windows.emplace(n, std::move(window)).first->second;
}

}  // namespace

RegionReach reachOf(const GreyRegion& region, double normalAngle) {
  const double c = std::abs(std::cos(normalAngle)), sn = std::abs(std::sin(normalAngle));
  const double cx = (region.width - 1) / 2.0, cy = (region.height - 1) / 2.0;
  return {cx * c + cy * sn, cx * sn + cy * c};
}

BandedProjection::BandedProjection(const GreyRegion& region, double normalAngle, double bandHeight)
    : normalAngle_(normalAngle), bandHeight_(std::max(1.0, bandHeight)) {
  const int w = region.width;
  const int h = region.height;
  if (w <= 0 || h <= 0) return;
  const double c = std::cos(normalAngle);
  const double sn = std::sin(normalAngle);
  const double cx = (w - 1) / 2.0;
  const double cy = (h - 1) / 2.0;
  const RegionReach reach = reachOf(region, normalAngle);
  const double sExtent = reach.s, tExtent = reach.t;
  sMin_ = std::floor(-sExtent) - 1.0;
  bins_ = static_cast<int>(std::ceil(sExtent - sMin_)) + 3;
  tMin_ = -tExtent - 0.5;
  bands_ = std::max(1, static_cast<int>(std::ceil((2.0 * tExtent + 1.0) / bandHeight_)));
  sum_.assign(static_cast<size_t>(bins_) * bands_, 0.0);
  weight_.assign(sum_.size(), 0.0);

  for (int y = 0; y < h; ++y) {
    const double dy = y - cy;
    const float* row = region.values.data() + static_cast<size_t>(y) * w;
    double s = -cx * c + dy * sn - sMin_;
    double t = cx * sn + dy * c - tMin_;
    for (int x = 0; x < w; ++x, s += c, t -= sn) {
      const int i = static_cast<int>(s);
      const double f = s - i;
      const int j = std::clamp(static_cast<int>(t / bandHeight_), 0, bands_ - 1);
      const size_t k = static_cast<size_t>(j) * bins_ + i;
      const double v = row[x];
      sum_[k] += v * (1.0 - f);
      weight_[k] += 1.0 - f;
      sum_[k + 1] += v * f;
      weight_[k + 1] += f;
    }
  }
}

void BandedProjection::profile(const std::vector<bool>& keep, std::vector<double>& means,
                               std::vector<double>& weights) const {
  means.assign(static_cast<size_t>(bins_), 0.0);
  weights.assign(static_cast<size_t>(bins_), 0.0);
  for (int j = 0; j < bands_; ++j) {
    if (!keep.empty() && !keep[static_cast<size_t>(j)]) continue;
    const size_t base = static_cast<size_t>(j) * bins_;
    for (int i = 0; i < bins_; ++i) {
      means[static_cast<size_t>(i)] += sum_[base + i];
      weights[static_cast<size_t>(i)] += weight_[base + i];
    }
  }
  for (int i = 0; i < bins_; ++i)
    if (weights[static_cast<size_t>(i)] > 0) means[static_cast<size_t>(i)] /= weights[static_cast<size_t>(i)];
}

void BandedProjection::bandProfile(int band, std::vector<double>& means, std::vector<double>& weights) const {
  means.assign(static_cast<size_t>(bins_), 0.0);
  weights.assign(static_cast<size_t>(bins_), 0.0);
  const size_t base = static_cast<size_t>(band) * bins_;
  for (int i = 0; i < bins_; ++i) {
    const double w = weight_[base + i];
    weights[static_cast<size_t>(i)] = w;
    means[static_cast<size_t>(i)] = w > 0 ? sum_[base + i] / w : 0.0;
  }
}

namespace {
// How much a pixel at t counts in the strip: one inside, none outside, a raised cosine over three pixels
// across each edge. A hard edge would count the pixels along it by where the pixel grid happens to fall
// against each mark, a little differently for every mark.
double stripWeight(double t, double tLow, double tHigh) {
  constexpr double kTaper = 3.0;
  if (t <= tLow - kTaper / 2 || t >= tHigh + kTaper / 2) return 0.0;
  if (t >= tLow + kTaper / 2 && t <= tHigh - kTaper / 2) return 1.0;
  // (1 - cos pi u) / 2 = (1 + sin pi x) / 2 with x = u - 1/2, by its series to x^15: within 1e-11 of the
  // library's cosine, at a fraction of its cost (every pixel of a thin strip stands on a ramp).
  auto ramp = [](double u) {
    if (u <= 0) return 0.0;
    if (u >= 1) return 1.0;
    constexpr double kSeries[] = {1.0,          -1.0 / 6,        1.0 / 120,          -1.0 / 5040,
                                  1.0 / 362880, -1.0 / 39916800, 1.0 / 6227020800.0, -1.0 / 1307674368000.0};
    const double x = std::numbers::pi * (u - 0.5), x2 = x * x;
    double sum = kSeries[7];
    for (int k = 6; k >= 0; --k) sum = sum * x2 + kSeries[k];
    return 0.5 + 0.5 * x * sum;
  };
  return ramp((t - tLow) / kTaper + 0.5) * ramp((tHigh - t) / kTaper + 0.5);
}
// The columns of row offset dy whose t = -(x - cx) sin + dy cos lies within [tFrom, tTo].
void columnsOfStrip(double cx, double dy, double c, double sn, double tFrom, double tTo, int width, int& xFrom,
                    int& xTo) {
  xFrom = 0;
  xTo = width - 1;
  const double t0 = cx * sn + dy * c;  // t at x = 0; t falls by sn per column
  if (std::abs(sn) < 1e-12) {
    if (t0 < tFrom || t0 > tTo) xTo = -1;
    return;
  }
  double a = (t0 - tFrom) / sn, b = (t0 - tTo) / sn;
  if (a > b) std::swap(a, b);
  // Nearly level rows give huge bounds; clamp before they become integers.
  xFrom = static_cast<int>(std::floor(std::clamp(a, -1.0, static_cast<double>(width))));
  xTo = static_cast<int>(std::ceil(std::clamp(b, -1.0, static_cast<double>(width))));
  xFrom = std::max(0, xFrom);
  xTo = std::min(width - 1, xTo);
}

}  // namespace

StripProfile stripProfile(const GreyRegion& region, double normalAngle, double tLow, double tHigh, bool withPixels) {
  StripProfile out;
  const int w = region.width;
  const int h = region.height;
  if (w <= 0 || h <= 0 || tHigh <= tLow) return out;
  const double c = std::cos(normalAngle);
  const double sn = std::sin(normalAngle);
  const double cx = (w - 1) / 2.0;
  const double cy = (h - 1) / 2.0;
  // Where the lines t = tLow and t = tHigh cross the region's rectangle (pixel squares included): the
  // strip lies wholly inside between the larger of the two left ends and the smaller of the right ends.
  const double hx = cx + 0.5, hy = cy + 0.5;
  double sLow = -1e300, sHigh = 1e300;
  for (double t : {tLow, tHigh}) {
    // Points s n + t m with m = (-sn, c): x = s c - t sn, y = s sn + t c, inside |x| <= hx, |y| <= hy.
    double lo = -1e300, hi = 1e300;
    auto limit = [&](double slope, double offset, double half) {
      if (std::abs(slope) < 1e-12) {
        if (std::abs(offset) > half) lo = 1e300;
        return;
      }
      double a = (-half - offset) / slope, b = (half - offset) / slope;
      if (a > b) std::swap(a, b);
      lo = std::max(lo, a);
      hi = std::min(hi, b);
    };
    limit(c, -t * sn, hx);
    limit(sn, t * c, hy);
    sLow = std::max(sLow, lo);
    sHigh = std::min(sHigh, hi);
  }
  if (sHigh - sLow < 2.0) return out;
  out.origin = std::ceil(sLow);
  const int bins = static_cast<int>(std::floor(sHigh) - out.origin) + 1;
  std::vector<double> sum(static_cast<size_t>(bins) + 1, 0.0), weight(sum.size(), 0.0), offset(sum.size(), 0.0);
  std::vector<int> count(static_cast<size_t>(bins) + 1, 0);
  // The pixels taken, in the order met, with their bins: bucketed below without weighing them again.
  std::vector<StripPixel> taken;
  std::vector<int> takenBin;
  for (int y = 0; y < h; ++y) {
    const double dy = y - cy;
    const float* row = region.values.data() + static_cast<size_t>(y) * w;
    int xFrom = 0, xTo = w - 1;
    columnsOfStrip(cx, dy, c, sn, tLow - 2.0, tHigh + 2.0, w, xFrom, xTo);
    double s = (xFrom - cx) * c + dy * sn - out.origin;
    double t = -(xFrom - cx) * sn + dy * c;
    for (int x = xFrom; x <= xTo; ++x, s += c, t -= sn) {
      const double inside = stripWeight(t, tLow, tHigh);
      if (inside <= 0 || s < -1e-6 || s >= bins - 1) continue;
      const int i = std::max(0, static_cast<int>(s));
      const double f = s - i;
      const double v = row[x];
      sum[static_cast<size_t>(i)] += inside * v * (1.0 - f);
      weight[static_cast<size_t>(i)] += inside * (1.0 - f);
      offset[static_cast<size_t>(i)] += inside * (1.0 - f) * f;
      sum[static_cast<size_t>(i) + 1] += inside * v * f;
      weight[static_cast<size_t>(i) + 1] += inside * f;
      offset[static_cast<size_t>(i) + 1] += inside * f * (f - 1.0);
      ++count[static_cast<size_t>(i)];
      if (!withPixels) continue;
      taken.push_back(StripPixel{s, static_cast<float>(t), row[x], static_cast<float>(inside)});
      takenBin.push_back(i);
    }
  }
  // Every bin between the ends holds pixels; an empty one could only be an end, and ends the profile.
  for (int i = 0; i < bins; ++i) {
    const double wt = weight[static_cast<size_t>(i)];
    if (wt <= 0) break;
    out.samples.push_back(sum[static_cast<size_t>(i)] / wt);
    out.positions.push_back(i + offset[static_cast<size_t>(i)] / wt);
  }
  if (!withPixels) return out;
  // The pixels themselves, bucketed by the bin their s falls in, for locating marks without the blur and
  // the phase-dependent error of merging rows into bins.
  out.binStart.assign(static_cast<size_t>(bins) + 1, 0);
  for (int i = 0; i < bins; ++i)
    out.binStart[static_cast<size_t>(i) + 1] = out.binStart[static_cast<size_t>(i)] + count[static_cast<size_t>(i)];
  out.pixels.resize(static_cast<size_t>(out.binStart.back()));
  std::vector<int> fill(out.binStart.begin(), out.binStart.end() - 1);
  for (size_t k = 0; k < taken.size(); ++k)
    out.pixels[static_cast<size_t>(fill[static_cast<size_t>(takenBin[k])]++)] = taken[k];
  return out;
}

void wellCoveredSpan(const std::vector<double>& weights, int& first, int& last) {
  first = 0;
  last = -1;
  if (weights.empty()) return;
  const double best = *std::max_element(weights.begin(), weights.end());
  if (best <= 0) return;
  const int n = static_cast<int>(weights.size());
  while (first < n && weights[static_cast<size_t>(first)] < kCoveredShare * best) ++first;
  last = n - 1;
  while (last >= first && weights[static_cast<size_t>(last)] < kCoveredShare * best) --last;
}

namespace {

// What one band says about the stripes: the complex amplitude of the stripes' frequency, taken about the
// middle of the band's stripes (the envelope centroid), and the same for the two halves of the band on
// either side of that middle.
struct BandPhase {
  bool valid = false;
  double amplitude = 0.0;
  double centre = 0.0;
  std::complex<double> coefficient;  // about `centre`
  double leftCentre = 0.0, rightCentre = 0.0;
  std::complex<double> left, right;  // about s = 0
};

std::vector<std::complex<double>> phasors(const BandedProjection& projection, double frequency) {
  std::vector<std::complex<double>> phasor(static_cast<size_t>(projection.bins()));
  for (int i = 0; i < projection.bins(); ++i)
    phasor[static_cast<size_t>(i)] = std::polar(1.0, -2.0 * std::numbers::pi * frequency * (projection.sMin() + i));
  return phasor;
}

BandPhase bandPhase(const BandedProjection& projection, int band, double frequency,
                    const std::vector<std::complex<double>>& phasor) {
  BandPhase b;
  std::vector<double> means, weights;
  projection.bandProfile(band, means, weights);
  int first = 0, last = -1;
  wellCoveredSpan(weights, first, last);
  const int n = last - first + 1;
  if (n < 2.0 / frequency) return b;
  double mean = 0.0;
  for (int i = first; i <= last; ++i) mean += means[static_cast<size_t>(i)];
  mean /= n;
  std::vector<double> windowed(static_cast<size_t>(n));
  const std::vector<double>& hann = hannWindow(n);
  double windowSum = 0.0, envelope = 0.0, envelopeAt = 0.0;
  std::complex<double> sum;
  for (int i = first; i <= last; ++i) {
    const double wnd = hann[static_cast<size_t>(i - first)];
    const double v = wnd * (means[static_cast<size_t>(i)] - mean);
    windowed[static_cast<size_t>(i - first)] = v;
    sum += v * phasor[static_cast<size_t>(i)];
    windowSum += wnd;
    envelope += std::abs(v);
    envelopeAt += std::abs(v) * (projection.sMin() + i);
  }
  if (windowSum <= 0 || envelope <= 0) return b;
  b.valid = true;
  b.amplitude = std::abs(sum) / windowSum;
  b.centre = envelopeAt / envelope;
  b.coefficient = sum * std::polar(1.0, 2.0 * std::numbers::pi * frequency * b.centre);
  double leftWeight = 0.0, rightWeight = 0.0;
  for (int i = first; i <= last; ++i) {
    const double s = projection.sMin() + i;
    const double v = windowed[static_cast<size_t>(i - first)];
    if (s < b.centre) {
      b.left += v * phasor[static_cast<size_t>(i)];
      leftWeight += std::abs(v);
      b.leftCentre += std::abs(v) * s;
    } else {
      b.right += v * phasor[static_cast<size_t>(i)];
      rightWeight += std::abs(v);
      b.rightCentre += std::abs(v) * s;
    }
  }
  if (leftWeight > 0) b.leftCentre /= leftWeight;
  if (rightWeight > 0) b.rightCentre /= rightWeight;
  return b;
}

}  // namespace

std::vector<bool> bandsWithStripesAt(const BandedProjection& projection, double frequency, double share) {
  const std::vector<std::complex<double>> phasor = phasors(projection, frequency);
  std::vector<double> amplitude(static_cast<size_t>(projection.bands()), 0.0);
  for (int j = 0; j < projection.bands(); ++j)
    amplitude[static_cast<size_t>(j)] = bandPhase(projection, j, frequency, phasor).amplitude;
  // Smoothed over neighbouring bands: in noise a single thin band's amplitude is unsure.
  std::vector<double> smooth(amplitude.size(), 0.0);
  for (size_t j = 0; j < amplitude.size(); ++j) {
    const double before = j > 0 ? amplitude[j - 1] : amplitude[j];
    const double after = j + 1 < amplitude.size() ? amplitude[j + 1] : amplitude[j];
    smooth[j] = (before + 2.0 * amplitude[j] + after) / 4.0;
  }
  amplitude.swap(smooth);
  const double strongest = amplitude.empty() ? 0.0 : *std::max_element(amplitude.begin(), amplitude.end());
  std::vector<bool> keep(amplitude.size(), false);
  for (size_t j = 0; j < amplitude.size(); ++j) keep[j] = strongest > 0 && amplitude[j] >= share * strongest;
  return keep;
}

StripeAngle refineStripeAngle(const GreyRegion& region, double normalAngle, double frequency, int iterations) {
  StripeAngle result;
  result.normalAngle = normalAngle;
  if (frequency <= 0) return result;
  const double along = region.width * std::abs(std::sin(normalAngle)) + region.height * std::abs(std::cos(normalAngle));
  // Thin bands: marks may be as short as one and a half periods, and the fit of their drift needs several
  // bands inside them. Across a band of two pixels a stripe even 30 degrees off drifts by little more than
  // one pixel, so the first angle may be rough.
  result.bandHeight = std::clamp(along / 128.0, 2.0, 8.0);

  for (int iteration = 0; iteration < iterations; ++iteration) {
    const BandedProjection projection(region, result.normalAngle, result.bandHeight);
    const int bands = projection.bands();
    const std::vector<std::complex<double>> phasor = phasors(projection, frequency);
    std::vector<BandPhase> phase(static_cast<size_t>(bands));
    double strongest = 0.0;
    for (int j = 0; j < bands; ++j) {
      phase[static_cast<size_t>(j)] = bandPhase(projection, j, frequency, phasor);
      strongest = std::max(strongest, phase[static_cast<size_t>(j)].amplitude);
    }
    if (strongest <= 0) return result;
    result.bandsWithStripes.assign(static_cast<size_t>(bands), false);

    // The stripes' spacing along each band is period / cos(error), not the period: measured from the turn
    // of phase between the two halves of each band, it sets the frequency the phases are read at. Read at
    // a frequency even slightly off, a band's phase would turn with where along the band its stripes lie,
    // and that moves from band to band wherever the region or the marks' ends cut the stripes at a slant.
    double offsetSum = 0.0, offsetWeight = 0.0;
    for (int j = 0; j < bands; ++j) {
      const BandPhase& b = phase[static_cast<size_t>(j)];
      if (!b.valid || b.amplitude < kStripeBandShare * strongest) continue;
      result.bandsWithStripes[static_cast<size_t>(j)] = true;
      const double distance = b.rightCentre - b.leftCentre;
      if (distance < 1.0 / frequency || std::abs(b.left) <= 0 || std::abs(b.right) <= 0) continue;
      const double turn = std::arg(b.right * std::conj(b.left));
      // The left half is read about s = 0 like the right; their phases differ by 2 pi (f' - f) distance.
      const double w = b.amplitude * b.amplitude * distance * distance;
      offsetSum += w * turn / (2.0 * std::numbers::pi * distance);
      offsetWeight += w;
    }
    const double local = offsetWeight > 0 ? frequency + offsetSum / offsetWeight : frequency;
    const double localPeriod = 1.0 / local;

    std::vector<double> t, shift, weight;
    double previous = 0.0;
    for (int j = 0; j < bands; ++j) {
      if (!result.bandsWithStripes[static_cast<size_t>(j)]) continue;
      const BandPhase& b = phase[static_cast<size_t>(j)];
      // Where along the normal the stripes sit in this band, unwrapped against the previous band.
      double s = b.centre - std::arg(b.coefficient) / (2.0 * std::numbers::pi * local);
      if (!shift.empty()) s += localPeriod * std::round((previous - s) / localPeriod);
      previous = s;
      t.push_back(projection.bandCentre(j));
      shift.push_back(s);
      weight.push_back(b.amplitude * b.amplitude);
    }
    const size_t n = t.size();
    if (n < 3) return result;
    double sw = 0, st = 0, ss = 0;
    for (size_t k = 0; k < n; ++k) {
      sw += weight[k];
      st += weight[k] * t[k];
      ss += weight[k] * shift[k];
    }
    const double tBar = st / sw, sBar = ss / sw;
    double stt = 0, sts = 0;
    for (size_t k = 0; k < n; ++k) {
      stt += weight[k] * (t[k] - tBar) * (t[k] - tBar);
      sts += weight[k] * (t[k] - tBar) * (shift[k] - sBar);
    }
    if (stt <= 0) return result;
    const double slope = sts / stt;
    double residual = 0;
    for (size_t k = 0; k < n; ++k) {
      const double r = shift[k] - sBar - slope * (t[k] - tBar);
      residual += weight[k] * r * r;
    }
    const double variance = residual / static_cast<double>(n > 2 ? n - 2 : 1) / stt;
    // A stripe that drifts by ds along dt leans by atan(ds/dt): its normal turns the other way. A drift
    // within twice its own uncertainty is noise, and turning by it would only stir the angle; a large
    // one is taken a few degrees at a time, as the bands' phases are trustworthy only near the angle.
    const double deviation = std::sqrt(std::max(0.0, variance));
    const double delta = std::clamp(std::atan(slope), -kLargestTurn, kLargestTurn);
    result.uncertainty = deviation;
    if (std::abs(delta) < 2.0 * deviation) break;
    result.normalAngle -= delta;
    // Along the turned normal the stripes are closer: spacing x cos(delta).
    frequency = local / std::cos(delta);
    if (std::abs(delta) < 1e-6) break;
  }
  return result;
}

}  // namespace lumivex::detection
