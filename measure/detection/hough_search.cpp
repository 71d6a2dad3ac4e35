#include "measure/detection/hough_search.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

namespace lumivex::detection {
namespace {

constexpr double kRho = 1.0;
constexpr double kTheta = 0.017453292519943295;  // one degree
constexpr double kMaxGap = 100.0;

cv::Mat wrap(const BinaryImage& image) {
  // The transform only reads its input.
  return cv::Mat(image.height, image.width, CV_8UC1, const_cast<uint8_t*>(image.bytes.data()),
                 static_cast<size_t>(image.width));
}

int truncatedLength(const BufferSegment& s) {
  const double dx = s.x2 - s.x1;
  const double dy = s.y2 - s.y1;
  return static_cast<int>(std::sqrt(dx * dx + dy * dy));
}

}  // namespace

std::vector<BufferSegment> houghSegments(const BinaryImage& edges, int threshold) {
  std::vector<BufferSegment> result;
  if (edges.width <= 0 || edges.height <= 0 || threshold <= 0) return result;
  std::vector<cv::Vec4i> lines;
  cv::HoughLinesP(wrap(edges), lines, kRho, kTheta, threshold, 0.0, kMaxGap);
  result.reserve(lines.size());
  for (const cv::Vec4i& l : lines) result.push_back(BufferSegment{l[0], l[1], l[2], l[3]});
  return result;
}

int houghVoteBound(const BinaryImage& edges) {
  // The transform's own cell arithmetic: single-precision sine and cosine of n * (float)theta, the
  // coordinate products summed in single precision and rounded to nearest. Accumulator values of the
  // probabilistic transform never exceed these full counts, since it votes each pixel at most once.
  // The angle n = 180 is included in case the transform counts it; an upper bound stays an upper bound.
  constexpr int kAngles = 181;
  const float theta = static_cast<float>(kTheta);
  std::array<float, kAngles> cosTable{};
  std::array<float, kAngles> sinTable{};
  for (int n = 0; n < kAngles; ++n) {
    cosTable[n] = static_cast<float>(std::cos(static_cast<double>(n) * theta));
    sinTable[n] = static_cast<float>(std::sin(static_cast<double>(n) * theta));
  }
  const int numRho = (edges.width + edges.height) * 2 + 1;
  const int offset = (numRho - 1) / 2;
  // One extra cell at each end absorbs rounding at the extremes.
  const int rowLength = numRho + 2;
  std::vector<int> accumulator(static_cast<size_t>(kAngles) * rowLength, 0);
  int best = 0;
  for (int y = 0; y < edges.height; ++y) {
    const uint8_t* row = edges.row(y);
    for (int x = 0; x < edges.width; ++x) {
      if (row[x] == 0) continue;
      const float fx = static_cast<float>(x);
      const float fy = static_cast<float>(y);
      int* cell = accumulator.data();
      for (int n = 0; n < kAngles; ++n, cell += rowLength) {
        const float r = fx * cosTable[n] + fy * sinTable[n];
        const int index = static_cast<int>(std::lrint(r)) + offset + 1;
        const int votes = ++cell[index];
        best = std::max(best, votes);
      }
    }
  }
  return best;
}

int shortestSegmentIndex(const std::vector<BufferSegment>& segments) {
  int index = -1;
  int shortest = INT_MAX;
  for (int i = 0; i < static_cast<int>(segments.size()); ++i) {
    const int length = truncatedLength(segments[i]);
    if (length <= shortest) {
      shortest = length;
      index = i;
    }
  }
  return index;
}

std::optional<BufferSegment> shortestHoughSegment(const BinaryImage& edges, int lowestThreshold, HoughStart start) {
  const double w = edges.width;
  const double h = edges.height;
  int threshold = static_cast<int>(std::sqrt(w * w + h * h));
  if (start == HoughStart::kVoteBound) threshold = std::min(threshold, houghVoteBound(edges));
  for (; threshold >= lowestThreshold; --threshold) {
    const std::vector<BufferSegment> segments = houghSegments(edges, threshold);
    if (!segments.empty()) return segments[static_cast<size_t>(shortestSegmentIndex(segments))];
  }
  return std::nullopt;
}

BinaryImage dilate3x3(const BinaryImage& image) {
  BinaryImage out(image.width, image.height, 0);
  if (image.width <= 0 || image.height <= 0) return out;
  cv::Mat dst(out.height, out.width, CV_8UC1, out.bytes.data(), static_cast<size_t>(out.width));
  cv::dilate(wrap(image), dst, cv::Mat());
  return out;
}

}  // namespace lumivex::detection
