#pragma once

#include "measure/detection/grey_picture.h"

namespace lumivex::detection {

// Otsu's threshold t in 0..254: bins 0..t form the dark class. The first t with the largest between-class
// value wins; a t that leaves one class empty is skipped, so a histogram with one filled bin (or none)
// gives 0.
int otsuThreshold(const Histogram& histogram);

}  // namespace lumivex::detection
