#pragma once

#include <span>

namespace lumivex {

class CxImage;

// The neighbourhood operations behind CxImage's Median and Filter. Both read the unchanged picture and
// write into one copy that then replaces it; palette pictures are widened to 24 bits first. The window
// of side k covers offsets -k/2 .. k - k/2 - 1 (rows counted from the bottom), clipped to the picture.
namespace image_ops {

// Each selected pixel takes the whole colour at index count/2 of its neighbours sorted by grey
// (306 R + 601 G + 117 B) >> 10. Equal greys are ordered top row first, then left to right.
bool median(CxImage& image, long kernelSize);
// kernel: kernelSize rows of kernelSize weights, the first row being the top one on screen. Inside the
// picture channel = sum / factor + offset; at the border the sum is scaled by whole-kernel weight over the
// weight used; factor 0 or no weight used gives sum + offset; results clamped to 0..255.
bool filter(CxImage& image, std::span<const long> kernel, long kernelSize, long factor, long offset);

}  // namespace image_ops
}  // namespace lumivex
