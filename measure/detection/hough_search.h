#pragma once

#include "measure/detection/edge_morphology.h"

#include <optional>
#include <vector>

namespace lumivex::detection {

// A segment in the coordinates of the work buffer handed to the Hough transform.
struct BufferSegment {
  int x1 = 0;
  int y1 = 0;
  int x2 = 0;
  int y2 = 0;
  friend bool operator==(const BufferSegment&, const BufferSegment&) = default;
};

// Which threshold the search starts from. kDiagonal tries every threshold from the buffer's diagonal
// down; kVoteBound skips the thresholds no line can reach (above the largest count of edge pixels on one
// accumulator cell), which gives the same segments with one transform instead of hundreds.
enum class HoughStart { kVoteBound, kDiagonal };

// Probabilistic Hough transform (rho 1, theta 1 degree, minimum length 0, maximum gap 100) of the
// nonzero pixels at one threshold, in the transform's own result order.
std::vector<BufferSegment> houghSegments(const BinaryImage& edges, int threshold);

// The largest vote any single (rho, theta) cell of the transform can collect.
int houghVoteBound(const BinaryImage& edges);

// Index of the shortest segment, lengths truncated to whole pixels, the last of equal ones winning.
// -1 for an empty list.
int shortestSegmentIndex(const std::vector<BufferSegment>& segments);

// Lowers the threshold one step at a time from the diagonal to `lowestThreshold` until some segment is
// found, and returns the shortest one of that transform.
std::optional<BufferSegment> shortestHoughSegment(const BinaryImage& edges, int lowestThreshold,
                                                  HoughStart start = HoughStart::kVoteBound);

// The 3 x 3 dilation of the nonzero set, one pass.
BinaryImage dilate3x3(const BinaryImage& image);

}  // namespace lumivex::detection
