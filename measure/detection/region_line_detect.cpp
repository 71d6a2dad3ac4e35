#include "measure/detection/region_line_detect.h"

#include "measure/detection/edge_morphology.h"
#include "measure/detection/grey_picture.h"
#include "measure/detection/hough_search.h"
#include "measure/detection/otsu_threshold.h"

namespace lumivex::detection {
namespace {

constexpr int kLowestThreshold = 6;
constexpr int kLowestDilatedThreshold = 11;

// Rows of the work buffer run in the picture's stored order: row 0 is the region's bottom row. The band
// geometry and the transform's result order both depend on it.
BinaryImage binarise(const BgrView& picture, const QRect& region) {
  const GreyPicture grey(picture, region);
  const Histogram histogram = grey.histogram();
  const int brightFrom = brightFromAtLeast(histogram, otsuThreshold(histogram));
  BinaryImage binary(grey.width(), grey.height(), kDark);
  for (int j = 0; j < binary.height; ++j) {
    const uint8_t* src = grey.row(grey.height() - 1 - j);
    uint8_t* dst = binary.row(j);
    for (int i = 0; i < binary.width; ++i) dst[i] = src[i] >= brightFrom ? kBright : kDark;
  }
  return binary;
}

void brightFrame(BinaryImage& image) {
  const int w = image.width;
  const int h = image.height;
  for (int j = 0; j < h; ++j) {
    uint8_t* row = image.row(j);
    if (j < 2 || j >= h - 2) {
      std::fill(row, row + w, kBright);
      continue;
    }
    for (int i = 0; i < std::min(2, w); ++i) row[i] = kBright;
    for (int i = std::max(0, w - 2); i < w; ++i) row[i] = kBright;
  }
}

// Quarter boundaries by integer division; quarter q of a length n covers [q n / 4, (q + 1) n / 4).
int quarterOf(int position, int length) {
  for (int q = 1; q < 4; ++q) {
    if (position < q * length / 4) return q - 1;
  }
  return 3;
}

bool insideBand(OrientationClass orientation, int rowQuarter, int columnQuarter) {
  switch (orientation) {
    case OrientationClass::kDownRight:
      // Bottom quarter with the right quarter, up to the top quarter with the left one.
      return columnQuarter == 3 - rowQuarter;
    case OrientationClass::kUpRight:
      return columnQuarter == rowQuarter;
    case OrientationClass::kVertical:
      return columnQuarter == 1 || columnQuarter == 2;
    case OrientationClass::kHorizontal:
      return rowQuarter == 1 || rowQuarter == 2;
  }
  return false;
}

void maskOutsideBand(BinaryImage& image, OrientationClass orientation) {
  std::vector<int> columnQuarter(static_cast<size_t>(image.width));
  for (int i = 0; i < image.width; ++i) columnQuarter[static_cast<size_t>(i)] = quarterOf(i, image.width);
  for (int j = 0; j < image.height; ++j) {
    const int rowQuarter = quarterOf(j, image.height);
    uint8_t* row = image.row(j);
    for (int i = 0; i < image.width; ++i) {
      if (!insideBand(orientation, rowQuarter, columnQuarter[static_cast<size_t>(i)])) row[i] = kBright;
    }
  }
}

void invert(BinaryImage& image) {
  for (uint8_t& v : image.bytes) v = static_cast<uint8_t>(255 - v);
}

std::optional<LineSegment> detect(const BgrView& picture, const QRect& requested,
                                  std::optional<OrientationClass> orientation) {
  if (!picture.isBgr24()) return std::nullopt;
  const QRect region = spanOf(requested) & picture.rect();
  if (region.isEmpty()) return std::nullopt;

  BinaryImage work = binarise(picture, region);
  outlineDark(work);
  brightFrame(work);
  if (orientation) maskOutsideBand(work, *orientation);
  invert(work);

  std::optional<BufferSegment> found;
  if (orientation) {
    found = shortestHoughSegment(work, kLowestThreshold);
  } else {
    found = shortestHoughSegment(dilate3x3(work), kLowestDilatedThreshold);
  }
  if (!found) return std::nullopt;
  if (found->x1 == found->x2 && found->y1 == found->y2) return std::nullopt;

  const auto toPicture = [&](int bx, int by) { return QPoint(region.left() + bx, region.bottom() - by); };
  LineSegment segment{toPicture(found->x1, found->y1), toPicture(found->x2, found->y2)};
  const int bottomRow = picture.height - 1;
  for (const QPoint& p : {segment.p1, segment.p2}) {
    if (p.x() == 0 || p.y() == bottomRow) return std::nullopt;
  }
  return segment;
}

}  // namespace

std::optional<LineSegment> RegionLineDetect(const BgrView& picture, const QRect& region, OrientationClass orientation) {
  return detect(picture, region, orientation);
}

std::optional<LineSegment> RegionLineDetectDilated(const BgrView& picture, const QRect& region) {
  return detect(picture, region, std::nullopt);
}

}  // namespace lumivex::detection
