#include "measure/picture_edge_detector.h"

#include "image/cx_image.h"
#include "measure/detection/cx_image_view.h"
#include "measure/detection/edge_overlay.h"
#include "measure/detection/edge_snap.h"
#include "measure/detection/region_line_detect.h"
#include "measure/detection/region_line_marking.h"

#include <algorithm>
#include <cmath>

namespace lumivex {
namespace {

int roundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }

// A stroke narrower than this on an axis is widened by it on both sides of that axis.
constexpr int kNarrowStroke = 20;

}  // namespace

PictureEdgeDetector::PictureEdgeDetector(CxImage& picture, double zoomX, double zoomY, int detectionRange)
    : picture_(picture), zoomX_(zoomX), zoomY_(zoomY), range_(detectionRange) {}

void PictureEdgeDetector::setZoom(double zoomX, double zoomY) {
  zoomX_ = zoomX;
  zoomY_ = zoomY;
}

QPoint PictureEdgeDetector::toPicture(QPoint content) const {
  return {roundHalfUp(content.x() * zoomX_), roundHalfUp(content.y() * zoomY_)};
}

QPoint PictureEdgeDetector::toContent(QPoint picture) const {
  return {roundHalfUp(picture.x() / zoomX_), roundHalfUp(picture.y() / zoomY_)};
}

std::optional<QPoint> PictureEdgeDetector::snapToEdge(QPoint p) {
  const QPoint at = toPicture(p);
  const std::optional<QPoint> found = detection::EdgeSnap(detection::bgrViewOf(picture_), at.x(), at.y(), range_);
  if (!found) return std::nullopt;
  return toContent(*found);
}

std::optional<Segment> PictureEdgeDetector::lineAlongStroke(QPoint a, QPoint b) {
  const std::optional<detection::MarkedRegion> region = detection::regionFromMarking(toPicture(a), toPicture(b));
  if (!region) return std::nullopt;
  const auto found = detection::RegionLineDetect(detection::bgrViewOf(picture_), region->region, region->orientation);
  if (!found) return std::nullopt;
  return Segment{toContent(found->p1), toContent(found->p2)};
}

std::optional<Segment> PictureEdgeDetector::lineInStrokeBox(QPoint a, QPoint b) {
  QRect box(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
            QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
  if (box.width() < kNarrowStroke) box.adjust(-kNarrowStroke, 0, kNarrowStroke, 0);
  if (box.height() < kNarrowStroke) box.adjust(0, -kNarrowStroke, 0, kNarrowStroke);
  const QRect region(toPicture(box.topLeft()), toPicture(box.bottomRight()));
  const auto found = detection::RegionLineDetectDilated(detection::bgrViewOf(picture_), region);
  if (!found) return std::nullopt;
  return Segment{toContent(found->p1), toContent(found->p2)};
}

bool PictureEdgeDetector::overlayEdges(const QRect& area) {
  const QRect region(toPicture(area.topLeft()), toPicture(area.bottomRight()));
  return detection::EdgeOverlay(detection::bgrSurfaceOf(picture_), region);
}

}  // namespace lumivex
