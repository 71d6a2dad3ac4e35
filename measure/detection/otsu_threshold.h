#pragma once

#include "measure/detection/grey_picture.h"

namespace lumivex::detection {

// Otsu's threshold t in 0..254: bins 0..t form the dark class. The first t with the largest between-class
// value wins; a t that leaves one class empty is skipped, so a histogram with one filled bin (or none)
// gives 0.
int otsuThreshold(const Histogram& histogram);

}  // namespace lumivex::detection

namespace lumivex::detection {

// The lowest grey value counted bright when pixels of grey >= t are bright. If that would leave no dark
// pixel although the histogram holds more than one value (always so for a two-tone picture, whose
// threshold is its darker value), the split is made above t instead, as the threshold's own classes are.
int brightFromAtLeast(const Histogram& histogram, int t);

}  // namespace lumivex::detection
