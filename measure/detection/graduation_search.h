#pragma once

#include "measure/detection/graduation_marks.h"
#include "measure/detection/graduation_profile.h"
#include "measure/detection/graduation_spectrum.h"

#include <QPointF>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The search for a graduation inside one region, step by step: used by measureGraduationPitch and its tests.
namespace lumivex::detection::graduation {

inline constexpr int kMinimumSide = 4;
inline constexpr int kMinimumLength = 16;
inline constexpr double kFlatScatter = 1.0;       // grey levels: below this the region is one flat grey
inline constexpr double kMinProminence = 20.0;    // a peak this far above the spectrum's floor may be a graduation
inline constexpr double kMinCoherence = 6.0;      // Student's t of the marks standing out from the gaps: the proof
inline constexpr double kCoreBandShare = 0.5;     // bands with at least this share of the strongest band's stripes
inline constexpr double kMinEvenness = 0.3;       // weakest group of places over the strongest (see FoundMarks)
inline constexpr double kMaxScatterShare = 0.25;  // residual scatter over the pitch of a real graduation
inline constexpr double kAliasingPeriod = 3.0;
inline constexpr int kMinimumMarks = 5;
inline constexpr double kMinPeriods = 6.0;  // a repeat needs this many periods across the region to be told apart
inline constexpr int kStripeCandidates = 4;
inline constexpr double kWeakestCandidate = 0.1;  // of the strongest peak of the 2-D spectrum
inline constexpr double kUnmistakable = 30.0;     // coherence after which no other direction is tried
// How far the pixel grid may pull a mark's centre, pixels, times the period: a little more than sharp
// marks a fifth of a period wide show when their edges alias (0.1 pixels at 4 pixels per period, 0.05 at
// 8, 0.02 at 20); blurred optics leave far less.
inline constexpr double kLockingShare = 0.5;
inline constexpr int kTrialRounds = 2;
inline constexpr int kFullRounds = 10;
inline constexpr size_t kDirectionsSearched = 4;
inline constexpr int kPeaksTried = 8;
inline constexpr int kLeanRounds = 4;
inline constexpr int kFinestSplit = 8;         // a graduation found is searched for finer marks up to this many between
inline constexpr double kSettledLean = 2e-4;   // radians, about 0.01 degrees
inline constexpr double kUnknownLean = 0.035;  // radians, 2 degrees: how far the spectra's angle may be off

// The profile of a projection over its well-covered bins.
struct Profile {
  std::vector<double> samples;
};
Profile profileOf(const BandedProjection& projection, const std::vector<bool>& keep);

// Marks of a lone line or two: runs of samples far from the profile's straight trend, counted on the side
// with more of them. Used to say "too few marks" rather than "nothing periodic" when that is the truth.
int countLoneMarks(const std::vector<double>& samples);

// Where a point at s (relative to a strip's origin) on the strip's middle line falls on the pixel grid,
// across the marks: the fraction of a pixel of x for marks near vertical, of y for marks near horizontal.
using GridPhase = std::function<double(double)>;

struct LatticeChoice {
  double period = 0.0;
  bool darkMarks = true;
  FoundMarks marks;
  LatticeFit fit;
};

// The marks and their fit at one period; without a fit when the places, located on the profile alone,
// already fail the tests of coherence and evenness (their figures are then kept, for the verdict).
std::optional<LatticeChoice> latticeAt(const StripProfile& strip, double tLow, double tHigh, double period,
                                       const GridPhase& gridPhase);

// A direction refined band by band (a few rounds when only trying it), with the profile across its stripes
// and that profile's strongest peak.
struct Direction {
  StripeAngle stripe;
  std::shared_ptr<BandedProjection> projection;
  Profile profile;
  ProfileSpectrum::Peak peak;
  double prominence = 0.0;
};
std::optional<Direction> evaluateDirection(const GreyRegion& grey, double normalAngle, int rounds);

// A graduation found on a strip across the marks.
struct Graduation {
  double normalAngle = 0.0;
  double angleUncertainty = 0.0;  // radians
  double frequency = 0.0;
  double tLow = 0.0;
  double tHigh = 0.0;
  StripProfile profile;
  LatticeChoice lattice;
};

// What became of a look for a graduation at one frequency.
enum class Verdict {
  kFound,
  kNothing,   // no clear peak there, or no strip holds it
  kUneven,    // places clearly empty in turn: a harmonic, or a period unrelated to the marks
  kTooFaint,  // evenly filled as far as can be told, but too faint or ragged to be sure of
};

// The graduation on the strip tLow <= t <= tHigh across the normal at `normalAngle`.
Verdict graduationOnStrip(const GreyRegion& grey, QPointF regionCentre, double normalAngle, double tLow, double tHigh,
                          double frequency, int& marksSeen, Graduation& g);
// The marks' core for a frequency: the longest run of bands that hold it clearly.
bool coreStrip(const BandedProjection& projection, double frequency, double& tLow, double& tHigh);
// graduationOnStrip on the core strip.
Verdict graduationAt(const GreyRegion& grey, QPointF regionCentre, const BandedProjection& projection, double frequency,
                     int& marksSeen, Graduation& g);

// The graduation along one direction: the shortest period whose peak stands out and whose places hold
// marks all along (the strongest peak may be a harmonic of narrow marks).
std::optional<Graduation> graduationAlong(const GreyRegion& grey, QPointF regionCentre, const Direction& d,
                                          int& marksSeen);
// Sets the angle by the marks' own lean and looks for finer marks between the ones found (with blur all
// but erasing the short marks, the repeat of every fifth, longer one may be what stood out first). False
// when finer marks seem to be there but are too faint to be sure of: the coarser repeat would then give
// a wrong scale.
bool settle(const GreyRegion& grey, QPointF regionCentre, const Direction& d, Graduation& g);

}  // namespace lumivex::detection::graduation
