#pragma once

#include "measure/detection/graduation_profile.h"

#include <vector>

namespace lumivex::detection {

// The profile less its moving average over exactly one period (the end samples counted by the part of
// them the window covers). Every harmonic of the graduation and any slow change of lighting go; what is
// left swings around zero at each mark. NaN where the window does not fit inside the profile.
std::vector<double> periodDetrended(const std::vector<double>& profile, double period);

// Marks looked for one period apart along a detrended profile.
struct FoundMarks {
  std::vector<int> index;        // graduation number, counted from an arbitrary first one
  std::vector<double> position;  // sub-pixel centroid, in samples of the profile
  std::vector<double> depth;     // mean signal over the middle half period around the place
  // How surely the profile repeats with this period: Student's t of (signal at the places - signal half
  // a period away) over all places. A true graduation gives tens; a harmonic of it (every other place a
  // gap) or a period unrelated to the marks gives about zero.
  double coherence = 0.0;
  // The weakest over the strongest mean depth among the places grouped by their number modulo 2, 3, ... 7. A harmonic
  // of the graduation leaves whole groups empty (every other or every third place on a gap): near zero. A true
  // graduation: near one.
  double evenness = 0.0;
};

// `darkMarks`: the marks are dips of the profile (dark on light), else peaks. Places are one period apart,
// phased by the profile's fundamental. Each mark is the centroid of the signal above 15 % of its highest
// value within one period centred on the mark, repeated until it settles; a place whose centroid wanders
// more than a third of a period holds no mark. Places before the first and after the last clearly marked
// one (depth at least 35 % of the upper quartile) are left out: the region may reach past the scale's
// ends. Between them every settled place counts, however faint: at low contrast a depth threshold would
// drop real marks, and a missing mark's stray centroid is an outlier the fit drops.
// `positions` tells where each sample truly lies (sample i near i).
FoundMarks locateMarks(const std::vector<double>& detrended, const std::vector<double>& positions, double period,
                       bool darkMarks);

// Moves each mark to where its dip is symmetric among the strip's pixels themselves, each at its own s:
// the centre of a Hann window one period wide at which the window's fundamental (cos, sin) moment of
// (pixel - background) has no sine part. This is the centroid of the dip's fundamental; being linear in
// the pixels it keeps no bias from how the rows of a slanted mark fall on the pixel grid, which merging
// rows into one-pixel bins first would leave. `background` holds the profile's one-period moving average
// per bin (NaN where unknown). Only pixels with tFrom <= t < tTo count. A mark whose centre wanders more
// than a third of a period from where it started is dropped. Each mark's depth becomes the cosine part of
// that moment per unit of window weight: how strongly the mark shows among these pixels.
void refineOnPixels(const StripProfile& strip, const std::vector<double>& background, double period, bool darkMarks,
                    double tFrom, double tTo, FoundMarks& marks);

// Least-squares fit of position = offset + pitch x index, with outliers dropped.
struct LatticeFit {
  bool fitted = false;
  double pitch = 0.0;
  double offset = 0.0;
  double standardUncertainty = 0.0;  // of the pitch: residuals (widened for correlation) and grid pull
  double lockingUncertainty = 0.0;   // the grid pull's share
  int degreesOfFreedom = 0;
  double residualScatter = 0.0;  // root mean square residual of the marks used
  std::vector<bool> used;        // per mark of the input
  std::vector<double> residual;  // per mark of the input, from the final fit
  int usedCount = 0;
};

// Marks further from the fitted line than 3.5 robust standard deviations (1.4826 x the median absolute
// residual, at least 0.005 pixels) are dropped and the fit repeated until nothing changes. The uncertainty
// is the slope's standard error, multiplied by sqrt((1 + r) / (1 - r)) when neighbouring residuals
// correlate (r > 0, lag one): a slowly wandering error is then not taken for independent noise. With
// `gridPhase` (each mark's position on the pixel grid, a fraction of a pixel) it also holds how far a pull
// of the grid on each centre of `lockingSigma` pixels, repeating with that phase, could tilt the line.
LatticeFit fitLattice(const std::vector<int>& index, const std::vector<double>& position,
                      const std::vector<double>& gridPhase = {}, double lockingSigma = 0.0);

// The two-sided 95 % quantile of Student's t distribution (the coverage factor of an uncertainty with
// that many degrees of freedom).
double studentT95(int degreesOfFreedom);

}  // namespace lumivex::detection
