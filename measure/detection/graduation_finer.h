#pragma once

#include "measure/detection/graduation_profile.h"

#include <optional>

namespace lumivex::detection::graduation {

struct Graduation;

// Finer marks between the marks of a graduation: with blur all but erasing the short marks of a
// micrometer, the longer every fifth or tenth mark may be all that the profile of the whole region
// shows, and its repeat would give a scale five or ten times too coarse. The short marks are only found
// where they are, so the region is cut into thin bands along the marks; in each band (and each pair of
// neighbouring bands) each place splitting every gap into `split` equal parts is compared with the points
// halfway to its neighbours. Finer marks make the places darker (lighter for light marks) gap after gap;
// the blur of the marks found only darkens the points next to them, which speaks against finer marks.
struct FinerMarks {
  int split = 0;      // finer marks per gap of the graduation found
  double tLow = 0.0;  // where they show, along the marks (region coordinates about its centre)
  double tHigh = 0.0;
  double t = 0.0;  // Student's t of the places' darkness over the gaps
};

inline constexpr double kFinerEvidence = 6.0;  // Student's t that proves finer marks
inline constexpr double kFinerEvenness = 2.0;  // Student's t each place of a gap must reach
inline constexpr int kFinerGaps = 8;           // gaps needed for a band to say anything
inline constexpr double kFinerBand = 3.0;      // pixels along the marks

// The finest split with proof of marks, or nothing.
std::optional<FinerMarks> finerMarksBetween(const GreyRegion& grey, const Graduation& g);

}  // namespace lumivex::detection::graduation
