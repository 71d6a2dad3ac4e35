#pragma once

#include <cstddef>
#include <vector>

namespace lumivex::detection {

// Grey values of a picture region as floating point, rows top-down.
struct GreyRegion {
  int width = 0;
  int height = 0;
  std::vector<float> values;

  float at(int x, int y) const { return values[static_cast<size_t>(y) * static_cast<size_t>(width) + x]; }
};

// How far a region reaches from its centre (pixel centres) along the normal at `normalAngle` (s) and
// across it (t), each way.
struct RegionReach {
  double s = 0.0;
  double t = 0.0;
};
RegionReach reachOf(const GreyRegion& region, double normalAngle);

// The region projected onto the normal of a family of stripes, cut into bands across them. A pixel at
// offset (dx, dy) from the region's centre has s = dx cos a + dy sin a along the normal and
// t = -dx sin a + dy cos a along the stripes; its value is shared between the two bins around s (bins one
// pixel apart, bin i centred on s = sMin + i), in band floor((t - tMin) / bandHeight).
class BandedProjection {
 public:
  BandedProjection(const GreyRegion& region, double normalAngle, double bandHeight);

  double normalAngle() const { return normalAngle_; }
  int bins() const { return bins_; }
  int bands() const { return bands_; }
  double sMin() const { return sMin_; }
  // t of the middle of band j.
  double bandCentre(int j) const { return tMin_ + (j + 0.5) * bandHeight_; }

  // Mean value per bin over the bands marked in `keep` (all when empty), and the weight behind each mean.
  void profile(const std::vector<bool>& keep, std::vector<double>& means, std::vector<double>& weights) const;
  void bandProfile(int band, std::vector<double>& means, std::vector<double>& weights) const;

 private:
  double normalAngle_;
  double bandHeight_;
  double sMin_ = 0.0;
  double tMin_ = 0.0;
  int bins_ = 0;
  int bands_ = 0;
  std::vector<double> sum_;     // [band * bins + bin]
  std::vector<double> weight_;  // same layout
};

// The angle of the stripes' normal refined from the drift of their phase from band to band, and the bands
// that hold them.
struct StripeAngle {
  double normalAngle = 0.0;
  double uncertainty = 0.0;  // standard uncertainty of the angle, radians (0 when it could not be fitted)
  std::vector<bool> bandsWithStripes;
  double bandHeight = 1.0;
};

// Starting from a rough `normalAngle` (within about 30 degrees) and the stripes' frequency (cycles per
// pixel), at most `iterations` rounds of projecting and fitting.
StripeAngle refineStripeAngle(const GreyRegion& region, double normalAngle, double frequency, int iterations = 10);

// The bands whose profile holds stripes of this frequency: amplitude (smoothed over the neighbouring
// bands) at least `share` of the strongest band's.
std::vector<bool> bandsWithStripesAt(const BandedProjection& projection, double frequency, double share);

// The profile across stripes at `normalAngle` over the strip tLow <= t <= tHigh of the region (the marks'
// core), cut to the part of s where that strip lies wholly inside the region. Where the region's edge or
// the strip's own edge crossed a mark at a slant, more of one side of the mark would count than of the
// other; so the strip's edges are soft (a pixel counts by how much of it lies inside, to first order)
// and its ends stop where the region's edges begin to cut it.
struct StripPixel {
  double s;  // relative to the profile's origin
  float t;
  float value;   // grey
  float weight;  // share of the pixel inside the strip
};
struct StripProfile {
  std::vector<double> samples;     // mean grey per bin, bins one pixel apart
  std::vector<double> positions;   // mean s of the pixels behind each bin, relative to `origin`
  double origin = 0.0;             // s of bin 0
  std::vector<StripPixel> pixels;  // bin i holds pixels [binStart[i], binStart[i + 1])
  std::vector<int> binStart;
};
// Without `withPixels` only the samples and their positions are made (a look at the profile's spectrum).
StripProfile stripProfile(const GreyRegion& region, double normalAngle, double tLow, double tHigh,
                          bool withPixels = true);

// The part of a projection's profile where every bin has enough weight: [first, last], or first > last
// when nothing qualifies. Bins at the ends of a slanted projection see only a corner of the region.
void wellCoveredSpan(const std::vector<double>& weights, int& first, int& last);

}  // namespace lumivex::detection
