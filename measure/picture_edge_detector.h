#pragma once

#include "measure/edge_detector.h"

namespace lumivex {

class CxImage;

// Detection on a picture shown zoomed out by (zoomX, zoomY) picture pixels per content pixel: the still
// canvas's picture at its zoom, or the live view's measurement frame at its frame-to-video ratios. Points
// go to the picture rounded half up and come back divided and rounded half up. The picture is borrowed
// and may change between calls (image operations, a new frame), but must outlive the detector.
class PictureEdgeDetector : public EdgeDetector {
 public:
  PictureEdgeDetector(CxImage& picture, double zoomX, double zoomY, int detectionRange);

  void setZoom(double zoomX, double zoomY);
  void setDetectionRange(int range) { range_ = range; }

  std::optional<QPoint> snapToEdge(QPoint p) override;
  std::optional<Segment> lineAlongStroke(QPoint a, QPoint b) override;
  std::optional<Segment> lineInStrokeBox(QPoint a, QPoint b) override;
  bool overlayEdges(const QRect& area) override;

  QPoint toPicture(QPoint content) const;
  QPoint toContent(QPoint picture) const;

 private:
  CxImage& picture_;
  double zoomX_;
  double zoomY_;
  int range_;
};

}  // namespace lumivex
