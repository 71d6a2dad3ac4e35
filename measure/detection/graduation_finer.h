#pragma once

#include "measure/detection/graduation_profile.h"

#include <optional>

namespace lumivex::detection::graduation {

struct Graduation;

// Finer marks between the marks of a graduation: with blur all but erasing the short marks of a
// micrometer, the longer every fifth or tenth mark may be all that the profile of the whole region
// shows, and its repeat would give a scale five or ten times too coarse. The short marks are only found
// where they are, so the region is cut into thin bands along the marks (alone and in pairs). In a band
// where every mark shows alike, the profile repeats with the finer period alone: its component at
// `split` / pitch stands out of the noise, is the strongest of the harmonics up to it and well above their
// mean. Where only the marks found show, the harmonics fall off with the blur and the mark's width. Phases play no
// part, so a lean measured a few degrees off does not hide the finer marks.
struct FinerMarks {
  int split = 0;      // finer marks per gap of the graduation found
  double tLow = 0.0;  // where they show, along the marks (region coordinates about its centre)
  double tHigh = 0.0;
  double strength = 0.0;  // the finer component over the noise
};

inline constexpr double kFinerEvidence = 4.0;   // the finer component over the noise's root mean square
inline constexpr double kFinerDominance = 1.5;  // the finer component over the coarser harmonics' mean
inline constexpr double kFinerGaps = 8.0;       // gaps of the graduation a band must span
inline constexpr double kFinerBand = 3.0;       // pixels along the marks
inline constexpr int kMaxSplit = 10;

// The finest split that shows, or nothing.
std::optional<FinerMarks> finerMarksBetween(const GreyRegion& grey, const Graduation& g);

// Finer marks blurred into one grey band: with a few pixels between them and a blur of about half that,
// the short marks of a micrometer no longer repeat in any band, but their ink is still there. Along the
// marks, a band where the row means lie far below the paper (more than kInkRatio times the ink one
// period of the marks found holds) while those marks do not stand out of it, at least kDarkPeriods of
// the pitch wide and outside the strip the marks were found on, is such a band. A scale's baseline is a
// dark band too, but as thin as a mark.
struct DarkBand {
  double tLow = 0.0;  // region coordinates along the marks, about its centre
  double tHigh = 0.0;
  double normalAngle = 0.0;  // of the scale, radians: t is measured across it
  bool dark = true;          // darker than the paper (dark marks), else lighter
};
inline constexpr double kInkRatio = 3.0;
inline constexpr double kClearShare = 0.6;   // rows where the marks found stand out this much of their clearest
inline constexpr double kFaintShare = 0.5;   // rows where they stand out less
inline constexpr double kDarkPeriods = 0.3;  // of the pitch found
inline constexpr double kDarkRows = 3.0;
std::optional<DarkBand> blurredFinerBand(const GreyRegion& grey, const Graduation& g);

// The band turned to lie along itself: marks found at a wrong lean (a ripple of the band can pass for a
// graduation some degrees off) leave the band drifting across the rows. Its darkest rows in each of
// kBandSegments pieces along the scale, fitted by a line, give the turn; the band is then found again at
// the new angle, as wide as before. Nothing when the band cannot be followed.
inline constexpr int kBandSegments = 8;
std::optional<DarkBand> straightenedBand(const GreyRegion& grey, const DarkBand& band);

}  // namespace lumivex::detection::graduation
