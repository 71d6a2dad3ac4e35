#pragma once

#include "measure/detection/bgr_view.h"

#include <QPointF>
#include <QRect>
#include <QString>

#include <vector>

namespace lumivex::detection {

// Why a region gave no pitch, or kGood.
enum class GraduationQuality {
  kGood,
  kNotAPicture,          // not a 24-bit picture
  kRegionTooSmall,       // under 4 pixels across, or under 16 long
  kNoContrast,           // the region is one flat grey
  kNoPeriodicStructure,  // nothing repeats regularly (random texture, text, a lone edge)
  kAliasing,             // marks closer than 3 pixels apart: the picture cannot place them
  kTooFewMarks,          // fewer than 5 usable marks
  kTooFaint,             // finer marks show between the clear ones but cannot be placed surely
  kTooRagged,            // the marks scatter so far from even steps that the scale would be useless
};

enum class MarkDirection { kVertical, kHorizontal };

// One graduation mark found, as its centre line across the region, in picture pixels (y downwards, pixel
// centres on whole numbers).
struct GraduationMark {
  QPointF from;
  QPointF to;
  int index = 0;          // graduation number, counted from the first mark found
  double residual = 0.0;  // pixels from the fitted lattice, across the marks
  bool used = false;      // false: dropped as an outlier (a dirty or damaged mark)
};

struct GraduationPitch {
  GraduationQuality quality = GraduationQuality::kNoPeriodicStructure;
  bool ok() const { return quality == GraduationQuality::kGood; }

  double pitch = 0.0;                // pixels between neighbouring marks, measured across them
  double standardUncertainty = 0.0;  // of the pitch, pixels
  double coverageFactor = 2.0;       // Student's t for about 95 % with the fit's degrees of freedom
  double expandedUncertainty() const { return coverageFactor * standardUncertainty; }
  // Expanded uncertainty over the pitch (0.0003 for 0.03 %).
  double relativeUncertainty() const { return pitch > 0 ? expandedUncertainty() / pitch : 0.0; }

  int marksUsed = 0;
  // How surely the marks stand out of the gaps between them: Student's t over all places (6 at least for
  // any result; a clear graduation gives tens to hundreds).
  double coherence = 0.0;
  int marksFound = 0;  // with kTooFewMarks: how many there were
  // Lean of the marks from the nearest axis, degrees, counter-clockwise on screen positive.
  double angleDegrees = 0.0;
  MarkDirection direction = MarkDirection::kVertical;
  bool darkMarks = true;
  double periodSeen = 0.0;   // with kAliasing: the period the spectrum showed, pixels
  double scatterSeen = 0.0;  // with kTooRagged: the relative expanded uncertainty the marks gave
  std::vector<GraduationMark> marks;
};

// Finds the graduation marks of a stage micrometer inside `region` (inclusive corners, clipped to the
// picture): marks straight and parallel, within 45 degrees of vertical or horizontal, dark on light or
// light on dark. Direction and a first period from the spectrum, the angle refined band by band, then
// every mark's sub-pixel centroid on the profile across the marks and a least-squares fit of position
// against graduation number with outliers dropped. Pure: reads the picture only.
GraduationPitch measureGraduationPitch(const BgrView& picture, const QRect& region);

// The quality in English, with the figures behind it ("too few marks: 3 found, at least 5 needed").
QString graduationQualityText(const GraduationPitch& result);

}  // namespace lumivex::detection
