#include "measure/detection/graduation_pitch.h"

#include "measure/detection/graduation_search.h"
#include "measure/detection/grey_picture.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <optional>

namespace lumivex::detection {
namespace {

using namespace graduation;

constexpr double kPi = std::numbers::pi;
constexpr int kSearchedSide = 64;  // a region this large may hold more than the micrometer
constexpr size_t kStripsSearched = 6;
constexpr double kSearchedCoherence = 15.0;
constexpr double kSearchedUncertainty = 0.005;
// A calibration this uncertain (expanded, relative) is no calibration: marks that scatter so much are
// not a graduation measured, whatever repeat was found in them.
constexpr double kUselessUncertainty = 0.02;
// No pitch is known better than this share of itself: lens distortion and the sensor's own pixel pitch
// vary more than that across a field, whatever the fit of many marks says.
constexpr double kRelativeFloor = 1e-5;

GreyRegion greyRegion(const BgrView& picture, const QRect& area) {
  const GreyPicture grey(picture, area);
  GreyRegion region{grey.width(), grey.height(), {}};
  region.values.resize(static_cast<size_t>(grey.width()) * grey.height());
  for (int y = 0; y < grey.height(); ++y) {
    const uint8_t* row = grey.row(y);
    float* out = region.values.data() + static_cast<size_t>(y) * grey.width();
    for (int x = 0; x < grey.width(); ++x) out[x] = row[x];
  }
  return region;
}

double scatterOf(const std::vector<float>& values) {
  double sum = 0, squares = 0;
  for (float v : values) {
    sum += v;
    squares += static_cast<double>(v) * v;
  }
  const double n = static_cast<double>(values.size());
  return std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
}

double normalisedAngle(double a) {
  while (a > kPi / 2) a -= kPi;
  while (a <= -kPi / 2) a += kPi;
  return a;
}

// The segment of the line {p : p . normal = s} for t in [tLow, tHigh], clipped to the rectangle.
bool markSegment(double normalAngle, double s, double tLow, double tHigh, QPointF centre, const QRectF& box, QPointF& a,
                 QPointF& b) {
  const QPointF n(std::cos(normalAngle), std::sin(normalAngle));
  const QPointF m(-n.y(), n.x());
  const QPointF origin = centre + s * n;
  double lo = tLow, hi = tHigh;
  auto clip = [&](double direction, double start, double low, double high) {
    if (std::abs(direction) < 1e-12) return start >= low && start <= high;
    double t1 = (low - start) / direction, t2 = (high - start) / direction;
    if (t1 > t2) std::swap(t1, t2);
    lo = std::max(lo, t1);
    hi = std::min(hi, t2);
    return lo <= hi;
  };
  if (!clip(m.x(), origin.x(), box.left(), box.right()) || !clip(m.y(), origin.y(), box.top(), box.bottom()))
    return false;
  a = origin + lo * m;
  b = origin + hi * m;
  return true;
}

// The graduation at one candidate frequency: the bands holding stripes of it, their profile, the marks and
// the fit. Nothing when the profile shows no clear peak there or the places do not repeat.
// Strips of a large region that look graduated: the region cut into bands along each axis, each band's
// profile searched for a clear repeat, and neighbouring bands that repeat with the same period joined and
// widened by a band on either side. Joined strips first, and among them the shortest period: a
// micrometer's labels or its every tenth, longer mark repeat too, more slowly. Region coordinates.
std::vector<QRect> graduatedStrips(const GreyRegion& grey) {
  struct Candidate {
    bool joined;  // of two bands or more: a lone band's repeat is often noise
    double frequency;
    QRect rect;
  };
  std::vector<Candidate> found;
  for (const bool vertical : {true, false}) {
    const double extent = vertical ? grey.height : grey.width;
    const BandedProjection projection(grey, vertical ? 0.0 : kPi / 2, std::clamp(extent / 48.0, 8.0, 32.0));
    const int bands = projection.bands();
    std::vector<double> prominence(static_cast<size_t>(bands), 0.0), frequency(static_cast<size_t>(bands), 0.0);
    std::vector<double> means, weights;
    for (int j = 0; j < bands; ++j) {
      projection.bandProfile(j, means, weights);
      int first = 0, last = -1;
      wellCoveredSpan(weights, first, last);
      const int n = last - first + 1;
      if (n < kMinimumLength) continue;
      const ProfileSpectrum spectrum(std::vector<double>(means.begin() + first, means.begin() + last + 1));
      const auto peak = spectrum.strongest(kMinPeriods / n, 0.5);
      if (!peak) continue;
      prominence[static_cast<size_t>(j)] = spectrum.prominence(*peak);
      frequency[static_cast<size_t>(j)] = peak->frequency;
    }
    const double half = projection.bands() > 1 ? (projection.bandCentre(1) - projection.bandCentre(0)) / 2.0 : 0.0;
    for (int low = 0; low < bands;) {
      if (prominence[static_cast<size_t>(low)] < 2.0 * kMinProminence) {
        ++low;
        continue;
      }
      const double f = frequency[static_cast<size_t>(low)];
      int high = low;
      while (high + 1 < bands && prominence[static_cast<size_t>(high) + 1] >= kMinProminence &&
             std::abs(frequency[static_cast<size_t>(high) + 1] - f) <= 0.03 * f)
        ++high;
      const double tLow = projection.bandCentre(std::max(0, low - 1)) - half;
      const double tHigh = projection.bandCentre(std::min(bands - 1, high + 1)) + half;
      QRect rect;
      if (vertical) {  // t runs down the rows: y = cy + t
        const double cy = (grey.height - 1) / 2.0;
        rect = QRect(QPoint(0, static_cast<int>(std::floor(cy + tLow))),
                     QPoint(grey.width - 1, static_cast<int>(std::ceil(cy + tHigh))));
      } else {  // the normal along y, t = -(x - cx): x = cx - t
        const double cx = (grey.width - 1) / 2.0;
        rect = QRect(QPoint(static_cast<int>(std::floor(cx - tHigh)), 0),
                     QPoint(static_cast<int>(std::ceil(cx - tLow)), grey.height - 1));
      }
      found.push_back(Candidate{high > low, f, rect.intersected(QRect(0, 0, grey.width, grey.height))});
      low = high + 1;
    }
  }
  std::sort(found.begin(), found.end(),
            [](const Candidate& a, const Candidate& b) { return a.frequency > b.frequency; });
  std::vector<QRect> rects;
  for (const Candidate& c : found) rects.push_back(c.rect);
  return rects;
}

GraduationPitch measureArea(const BgrView& picture, const QRect& area) {
  GraduationPitch result;
  if (area.width() < kMinimumSide || area.height() < kMinimumSide ||
      std::max(area.width(), area.height()) < kMinimumLength) {
    result.quality = GraduationQuality::kRegionTooSmall;
    return result;
  }
  const GreyRegion grey = greyRegion(picture, area);
  const QPointF regionCentre(area.left() + (area.width() - 1) / 2.0, area.top() + (area.height() - 1) / 2.0);
  if (scatterOf(grey.values) < kFlatScatter) {
    result.quality = GraduationQuality::kNoContrast;
    return result;
  }

  // Directions to try: the strongest peaks of the 2-D spectrum, and the two axes. Each is tried with a few
  // rounds of refinement; the two whose profiles repeat most clearly are refined in full and searched for
  // a graduation, and the more coherent graduation wins.
  std::vector<double> angles;
  const std::vector<StripeCandidate> candidates =
      stripeCandidates(grey.values, grey.width, grey.height, kStripeCandidates);
  for (const StripeCandidate& c : candidates)
    if (c.magnitude >= kWeakestCandidate * candidates.front().magnitude) angles.push_back(c.normalAngle);
  angles.push_back(0.0);
  angles.push_back(kPi / 2);
  std::vector<Direction> directions;
  std::vector<double> tried;
  for (double a : angles) {
    const bool seen = std::any_of(tried.begin(), tried.end(),
                                  [a](double b) { return std::abs(normalisedAngle(a - b)) < 2.0 * kPi / 180.0; });
    if (seen) continue;
    tried.push_back(a);
    std::optional<Direction> d = evaluateDirection(grey, a, kTrialRounds);
    if (!d) continue;
    // Rough directions that settle on the same stripes need not be tried again.
    tried.push_back(d->stripe.normalAngle);
    directions.push_back(std::move(*d));
  }
  std::sort(directions.begin(), directions.end(),
            [](const Direction& a, const Direction& b) { return a.prominence > b.prominence; });
  if (directions.empty() || directions.front().prominence < kMinProminence) {
    const int lone = directions.empty() ? 0 : countLoneMarks(directions.front().profile.samples);
    result.marksFound = lone;
    result.quality =
        lone >= 1 && lone < kMinimumMarks ? GraduationQuality::kTooFewMarks : GraduationQuality::kNoPeriodicStructure;
    return result;
  }
  std::optional<Graduation> chosen;
  int marksSeen = 0;
  double shortestSeen = 0.0;
  bool tooFaint = false;
  for (size_t i = 0; i < directions.size() && i < kDirectionsSearched; ++i) {
    if (directions[i].prominence < kMinProminence) break;
    const Direction d = evaluateDirection(grey, directions[i].stripe.normalAngle, kFullRounds).value_or(directions[i]);
    if (shortestSeen == 0.0) shortestSeen = 1.0 / d.peak.frequency;
    std::optional<Graduation> g = graduationAlong(grey, regionCentre, d, marksSeen);
    if (!g) continue;
    if (!settle(grey, regionCentre, d, *g)) {
      tooFaint = true;
      continue;
    }
    if (!chosen || g->lattice.marks.coherence > chosen->lattice.marks.coherence) chosen = std::move(g);
    // Unmistakable: the other directions cannot do better.
    if (chosen->lattice.marks.coherence >= kUnmistakable) break;
  }
  if (!chosen) {
    if (shortestSeen > 0 && shortestSeen < kAliasingPeriod) {
      result.quality = GraduationQuality::kAliasing;
      result.periodSeen = shortestSeen;
    } else if (tooFaint) {
      result.quality = GraduationQuality::kTooFaint;
    } else {
      const int lone =
          marksSeen >= 1 && marksSeen < kMinimumMarks ? marksSeen : countLoneMarks(directions.front().profile.samples);
      result.marksFound = lone;
      result.quality =
          lone >= 1 && lone < kMinimumMarks ? GraduationQuality::kTooFewMarks : GraduationQuality::kNoPeriodicStructure;
    }
    return result;
  }
  const LatticeChoice& lattice = chosen->lattice;
  const LatticeFit& fit = lattice.fit;
  result.marksFound = static_cast<int>(lattice.marks.index.size());
  result.marksUsed = fit.usedCount;
  result.coherence = lattice.marks.coherence;
  if (fit.pitch < kAliasingPeriod) {
    result.quality = GraduationQuality::kAliasing;
    result.periodSeen = fit.pitch;
    return result;
  }
  if (fit.usedCount < kMinimumMarks) {
    result.quality = GraduationQuality::kTooFewMarks;
    return result;
  }

  // Projected at an angle off by d, marks seem 1 / cos d further apart: a bias of about pitch x d^2 / 2.
  const double angleTerm = fit.pitch * chosen->angleUncertainty * chosen->angleUncertainty;
  result.quality = GraduationQuality::kGood;
  result.pitch = fit.pitch;
  result.standardUncertainty = std::max(std::hypot(fit.standardUncertainty, angleTerm), kRelativeFloor * fit.pitch);
  result.coverageFactor = studentT95(fit.degreesOfFreedom);
  if (result.relativeUncertainty() > kUselessUncertainty) {
    result.quality = GraduationQuality::kTooRagged;
    result.scatterSeen = result.relativeUncertainty();
    result.pitch = 0.0;
    result.standardUncertainty = 0.0;
    return result;
  }
  result.darkMarks = lattice.darkMarks;

  const double a = normalisedAngle(chosen->normalAngle);
  const bool vertical = std::abs(std::cos(a)) >= std::abs(std::sin(a));
  result.direction = vertical ? MarkDirection::kVertical : MarkDirection::kHorizontal;
  // Direction of the marks on screen (y down), pointed up for vertical marks and right for horizontal ones.
  double mx = -std::sin(a), my = std::cos(a);
  if ((vertical && my > 0) || (!vertical && mx < 0)) {
    mx = -mx;
    my = -my;
  }
  const double lean = vertical ? std::atan2(-mx, -my) : std::atan2(-my, mx);
  result.angleDegrees = lean * 180.0 / kPi;

  // Mark lines over the strip that holds the marks.
  const QRectF box(QPointF(area.left() - 0.5, area.top() - 0.5), QPointF(area.right() + 0.5, area.bottom() + 0.5));
  const int firstIndex = lattice.marks.index.empty() ? 0 : lattice.marks.index.front();
  for (size_t i = 0; i < lattice.marks.index.size(); ++i) {
    const double s = chosen->profile.origin + lattice.marks.position[i];
    GraduationMark mark;
    mark.index = lattice.marks.index[i] - firstIndex;
    mark.residual = fit.residual[i];
    mark.used = fit.used[i];
    if (markSegment(chosen->normalAngle, s, chosen->tLow, chosen->tHigh, regionCentre, box, mark.from, mark.to))
      result.marks.push_back(mark);
  }
  return result;
}

}  // namespace

GraduationPitch measureGraduationPitch(const BgrView& picture, const QRect& requested) {
  if (!picture.isBgr24()) {
    GraduationPitch result;
    result.quality = GraduationQuality::kNotAPicture;
    return result;
  }
  const QRect area = spanOf(requested) & picture.rect();
  GraduationPitch result = measureArea(picture, area);
  const bool searchable =
      result.quality == GraduationQuality::kNoPeriodicStructure || result.quality == GraduationQuality::kTooFewMarks ||
      result.quality == GraduationQuality::kTooFaint || result.quality == GraduationQuality::kTooRagged;
  if (result.ok() || !searchable || area.width() < kSearchedSide || area.height() < kSearchedSide) return result;
  // A large region with more than the micrometer in it: other objects drown the graduation's repeat.
  // Look again on the strips of it that repeat clearly.
  const std::vector<QRect> strips = graduatedStrips(greyRegion(picture, area));
  for (size_t i = 0; i < strips.size() && i < kStripsSearched; ++i) {
    const QRect strip = strips[i].translated(area.topLeft());
    if (strip.width() * strip.height() > 0.8 * area.width() * area.height()) continue;
    GraduationPitch again = measureArea(picture, strip);
    // Found by looking for it, a graduation must be beyond doubt.
    if (again.ok() && again.coherence >= kSearchedCoherence && again.relativeUncertainty() <= kSearchedUncertainty)
      return again;
  }
  return result;
}

QString graduationQualityText(const GraduationPitch& r) {
  switch (r.quality) {
    case GraduationQuality::kGood:
      return QStringLiteral("good");
    case GraduationQuality::kNotAPicture:
      return QStringLiteral("not a 24-bit picture");
    case GraduationQuality::kRegionTooSmall:
      return QStringLiteral("region too small: at least %1 x %2 pixels needed").arg(kMinimumLength).arg(kMinimumSide);
    case GraduationQuality::kNoContrast:
      return QStringLiteral("no contrast: the region is one flat grey");
    case GraduationQuality::kNoPeriodicStructure:
      return QStringLiteral("no periodic structure: no evenly spaced marks in the region");
    case GraduationQuality::kAliasing:
      return QStringLiteral("aliasing: marks %1 pixels apart, at least %2 needed; magnify more")
          .arg(r.periodSeen, 0, 'f', 2)
          .arg(kAliasingPeriod, 0, 'f', 0);
    case GraduationQuality::kTooFaint:
      return QStringLiteral("marks too faint: finer marks show between the clear ones but cannot be placed");
    case GraduationQuality::kTooRagged:
      return QStringLiteral("marks too ragged: they would give the scale only to within %1 %")
          .arg(100.0 * r.scatterSeen, 0, 'f', 1);
    case GraduationQuality::kTooFewMarks:
      return QStringLiteral("too few marks: %1 found, at least %2 needed").arg(r.marksFound).arg(kMinimumMarks);
  }
  return {};
}

}  // namespace lumivex::detection
