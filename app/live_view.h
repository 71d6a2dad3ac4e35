#pragma once

#include "image/cx_image.h"
#include "measure/canvas_controller.h"
#include "measure/canvas_host.h"
#include "measure/comparison_object.h"
#include "measure/live_shapes.h"
#include "measure/live_snapshot.h"
#include "measure/live_tool.h"
#include "measure/picture_edge_detector.h"
#include "measure/shape_list.h"

#include <QImage>
#include <QList>
#include <QPoint>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QMouseEvent;
class QPainter;
class QWidget;

namespace lumivex {

class CaptureService;
class FilesController;
class LiveMicrometer;
class LiveToolsController;
class MainControls;

// Measuring on the live picture: the live shape list with its redo stack, the input in progress (through
// a CanvasController in video coordinates, 1..640 x 1..480), the comparison objects, the scale and
// circles overlays, the measurement frame the automatic tools and the magnifier read, and the live line
// calibration. It fills in the live tools' hooks, publishes an immutable snapshot to the frame thread
// after every change and burns the overlays into stills. GUI thread only.
class LiveView : private CanvasHost {
 public:
  // The dialogs the live view asks; tests replace them.
  struct Askers {
    std::function<std::optional<double>(QWidget* parent, const QString& unit)> calibrationDistance;
    std::function<std::optional<double>(QWidget* parent, const QString& unit)> rulerLength;
    std::function<std::optional<QPoint>(QWidget* parent)> gaugeVertex;
    std::function<std::optional<std::array<double, 3>>(QWidget* parent, const QString& unit)> toleranceCircle;
    std::function<std::optional<double>(QWidget* parent, const QString& unit)> micrometerPitch;
  };

  LiveView(QWidget& window, MainControls& controls, CaptureService& capture, LiveToolsController& tools,
           FilesController& files);
  ~LiveView() override;
  LiveView(const LiveView&) = delete;
  LiveView& operator=(const LiveView&) = delete;

  Askers& askers() { return askers_; }

  const LiveShapeList& shapes() const { return shapes_; }
  const QList<ComparisonObject>& comparisons() const { return comparisons_; }
  const LiveOverlayScale& overlayScale() const { return overlay_; }
  bool hasMeasurementFrame() const { return frame_.IsValid(); }
  const CxImage& measurementFrame() const { return frame_; }
  std::shared_ptr<const LiveSnapshot> snapshot() const { return slot_->current(); }
  const CanvasController& canvas() const { return canvas_; }
  // Pointers to the live records for the exports, oldest first.
  std::vector<const MeasureShape*> exportShapes() const { return exportShapes_; }

  // The live actions (the hooks call these).
  void mouse(QMouseEvent* event);
  // One mouse event in video coordinates; false when it was refused (outside the live area).
  bool handleVideoEvent(CanvasEvent event, CanvasButton button, QPoint video);
  void undo();
  void redo();
  void deleteAll();
  void clearPendingInput();
  void toggleScale();
  void toggleCircles();
  void magnificationChanged(const QString& magnification);
  void liveCalibrationDone();
  void openAngleGauge(QWidget* parent);
  void openToleranceCircle(QWidget* parent);
  void addText(const QString& text, QPoint at);
  void setMeasurementFrame(CxImage frame);
  // The automatic micrometer calibration (2000): the next drag on the live picture goes over the
  // graduations of the measurement frame (live_view_micrometer.cpp).
  void startMicrometerCalibration();
  const LiveMicrometer* micrometer() const { return micrometer_.get(); }

  // Draws the live shapes, the cross line, the scale and the circles into a still of the capture size.
  void burnIn(QPainter& painter, double scale, bool crossLine) const;

  // Video coordinates accepted by every live mouse handler.
  static bool inLiveArea(QPoint video);

 private:
  // CanvasHost.
  std::optional<double> askCalibrationDistance() override;
  void calibrationMeasured(double value) override;
  void warn(const char* key, const QString& defaultText) override;

  // Brings the canvas to the live tools' current tool, rate and style.
  void syncCanvas();
  // Moves every record the canvas has finished into the live list.
  void collectFinished();
  bool handleComparisonDrag(CanvasEvent event, CanvasButton button, QPoint p);
  void handleRulerClick(QPoint p);
  void recomputeOverlay();
  void handleMicrometerEvent(CanvasEvent event, CanvasButton button, QPoint p);
  void measureMicrometer(QRect videoRegion);
  void rebuildDrawn();
  void updateMagnifier(QPoint video);
  // The move cursor over what a left click would drag, the measuring cursor elsewhere.
  void updateGripCursor(QPoint video);
  void publish();
  double unitFactor() const;
  double rate() const;

  QWidget& window_;
  MainControls& controls_;
  CaptureService& capture_;
  LiveToolsController& tools_;
  FilesController& files_;
  Askers askers_;

  LiveShapeList shapes_;
  QList<ComparisonObject> comparisons_;
  LiveOverlayScale overlay_;
  LabelCounters counters_;  // the live labels' own numbers
  CanvasController canvas_;
  CxImage frame_;
  PictureEdgeDetector detector_;
  LiveTool canvasTool_ = LiveTool::None;
  bool canvasCalibration_ = false;
  std::optional<QPoint> rulerStart_;
  std::optional<ComparisonHit> drag_;
  QPoint dragLast_;
  std::optional<double> pendingCalibration_;
  std::optional<double> pendingUncertainty_;  // a micrometer calibration's, stored with it
  QString pendingConfirmation_;               // and its confirmation, shown once stored
  std::unique_ptr<LiveMicrometer> micrometer_;
  ViewRate syncedRate_;
  QPoint canvasMouse_;
  QImage frameImage_;  // the measurement frame for the magnifier
  bool magnifierFed_ = false;
  bool gripCursor_ = false;
  std::shared_ptr<const LiveOverlayScale> overlayShared_;

  std::shared_ptr<LiveSnapshotSlot> slot_;
  std::shared_ptr<const std::vector<MeasureShape>> drawn_;  // the live list in drawable kinds
  std::vector<const MeasureShape*> exportShapes_;
  // What the last snapshot held, to tell the frame thread which of its cached layers are stale.
  std::shared_ptr<const std::vector<MeasureShape>> lastDrawn_;
  std::shared_ptr<const LiveOverlayScale> lastOverlay_;
  QList<ComparisonObject> lastComparisons_;
  std::uint64_t shapesRevision_ = 0;
  std::uint64_t comparisonRevision_ = 0;
};

}  // namespace lumivex
