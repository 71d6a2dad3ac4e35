#pragma once

#include "core/frame_overlay.h"
#include "measure/canvas_feedback.h"
#include "measure/comparison_object.h"
#include "measure/drawing_style.h"
#include "measure/live_marks.h"
#include "measure/measure_shape.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class QPainter;

namespace lumivex {

// The scale and circles overlays as last computed (switching one on, a magnification change).
struct LiveOverlayScale {
  bool scale = false;
  bool circles = false;
  double rate = 0.0;
  QString unit;
  CaptureClass captureClass = CaptureClass::Other;
  double videoPixelSize = 0.0;  // one video pixel
  double stillPixelSize = 0.0;  // one pixel of a full-size still
  // Marks along the video area's half width and half height.
  std::vector<AxisMark> scaleX, scaleY, circleX, circleY;
};

// Everything the frame thread draws, frozen: one snapshot holds the shapes, the input in progress, the
// comparison objects and the switches, so a frame never mixes two states. The GUI thread builds a new
// one for every change and publishes it whole.
struct LiveSnapshot {
  // Finished shapes in drawable kinds, oldest first; shared between snapshots until the list changes.
  std::shared_ptr<const std::vector<MeasureShape>> shapes;
  std::optional<MeasureShape> active;  // the record whose label is being placed
  CanvasFeedback feedback;
  DrawingStyle style;  // the feedback's pen and label font
  QList<ComparisonObject> comparisons;
  std::shared_ptr<const LiveOverlayScale> overlay;  // shared until the overlay scale changes
  // Bumped by the GUI thread whenever the shapes (shapesRevision) or the comparison objects and overlay
  // scale (comparisonRevision) change, so the frame thread knows when its cached layers are stale.
  std::uint64_t shapesRevision = 0;
  std::uint64_t comparisonRevision = 0;
  // What a continuous line's total is formatted with.
  int decimals = 3;
  QString unitName = QStringLiteral("mm");
};

// The live shapes and the shape being drawn, at sx, sy target pixels per video pixel.
void drawLiveShapes(QPainter& painter, const LiveSnapshot& snapshot, double sx, double sy);
// Scale, circles and comparison objects over an area of the given size.
void drawLiveComparison(QPainter& painter, const LiveSnapshot& snapshot, QSize area, double sx, double sy);
// The scale and circles alone on a full-size still (their marks at the still's own pixel size).
void drawStillScaleAndCircles(QPainter& painter, const LiveOverlayScale& overlay, QSize picture);
// The white cross line through the middle of an area.
void drawCrossLine(QPainter& painter, QSize area);

// One published snapshot, shared by the GUI thread (writer) and the frame thread (reader). The lock is
// held only for a pointer copy.
class LiveSnapshotSlot {
 public:
  void publish(std::shared_ptr<const LiveSnapshot> snapshot);
  std::shared_ptr<const LiveSnapshot> current() const;

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const LiveSnapshot> snapshot_;
};

// A picture of what does not change from frame to frame, drawn once on the frame thread and blended
// over every frame until its revision, the area or the scale changes: text and antialiased figures are
// far too slow to draw 30 times a second, and drawing them allocates.
class OverlayLayer {
 public:
  // Draws the layer onto the painter, re-rendering it with `render` when the key changed.
  template <typename Render>
  void blend(QPainter& painter, std::uint64_t revision, QSize area, double sx, double sy, Render render);
  // The same straight onto an RGB32 frame, without a painter: nothing is allocated unless the layer
  // has to be rendered again.
  template <typename Render>
  void blendOnto(QImage& frame, std::uint64_t revision, double sx, double sy, Render render);

 private:
  template <typename Render>
  void refresh(std::uint64_t revision, QSize area, double sx, double sy, Render render);

  QImage image_;
  bool valid_ = false;
  std::uint64_t revision_ = 0;
  QSize area_;
  double sx_ = 0, sy_ = 0;
  QRect used_;  // the part that holds anything
  // The stretches of a row that hold anything: what blendOnto touches.
  struct Run {
    int y = 0;
    int first = 0;
    int last = 0;
  };
  std::vector<Run> runs_;
};

// The two frame overlays of the live view: shapes before the time stamp and cross line, the scale,
// circles and comparison objects after them. Frame thread only (each keeps its own layer).
class LiveShapesOverlay : public FrameOverlay {
 public:
  explicit LiveShapesOverlay(std::shared_ptr<LiveSnapshotSlot> slot) : slot_(std::move(slot)) {}
  void draw(QPainter& painter, const QSize& area, double scaleX, double scaleY) override;
  void drawOnFrame(QImage& frame, double scaleX, double scaleY) override;

 private:
  std::shared_ptr<LiveSnapshotSlot> slot_;
  OverlayLayer layer_;
};

class LiveComparisonOverlay : public FrameOverlay {
 public:
  explicit LiveComparisonOverlay(std::shared_ptr<LiveSnapshotSlot> slot) : slot_(std::move(slot)) {}
  void draw(QPainter& painter, const QSize& area, double scaleX, double scaleY) override;
  void drawOnFrame(QImage& frame, double scaleX, double scaleY) override;

 private:
  std::shared_ptr<LiveSnapshotSlot> slot_;
  OverlayLayer layer_;
};

}  // namespace lumivex
