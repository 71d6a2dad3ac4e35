#include "app/live_view.h"

#include "app/files_controller.h"
#include "app/live_micrometer.h"
#include "app/live_tools_controller.h"
#include "app/main_controls.h"
#include "app/video_area.h"
#include "capture/still/still_capture.h"
#include "core/app_events.h"
#include "core/capture_service.h"
#include "core/capture_state.h"
#include "core/localisation.h"
#include "core/prompter.h"
#include "core/write_failure_notice.h"
#include "measure/calibration_dialog.h"
#include "measure/calibration_file.h"
#include "measure/calibration_state.h"
#include "measure/micrometer_scale.h"
#include "measure/rate_derivation.h"
#include "measure/shape_builder.h"
#include "measure/shape_renderer.h"
#include "measure/values_dialog.h"
#include "widgets/magnifier_box.h"
#include "widgets/skin_renderer.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <cmath>
#include <utility>

namespace lumivex {
namespace {

// The live code of a record the canvas made (the inverse of liveToolToShapeKind).
int liveCodeOf(ShapeKind kind) {
  for (int code = 1; code <= 25; ++code) {
    const std::optional<LiveTool> tool = liveToolFromCode(code);
    if (tool && liveToolToShapeKind(*tool) == kind) return code;
  }
  return static_cast<int>(kind);
}

QString currentUnit() { return knownUnit(calibrationState().unitName.text()); }

std::optional<QStringList> runValuesDialog(QWidget* parent, int id, const QString& title,
                                           const QList<ValuesDialog::Field>& fields, ValuesDialog::Check check) {
  ValuesDialog dialog(id, title, fields, std::move(check), parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.values();
}

QString enterDigital() { return LookupText("EnterDigital", 128, QStringLiteral("Please enter digital!")); }

}  // namespace

LiveView::LiveView(QWidget& window, MainControls& controls, CaptureService& capture, LiveToolsController& tools,
                   FilesController& files)
    : window_(window),
      controls_(controls),
      capture_(capture),
      tools_(tools),
      files_(files),
      detector_(frame_, 1.0, 1.0, 20),
      slot_(std::make_shared<LiveSnapshotSlot>()),
      drawn_(std::make_shared<const std::vector<MeasureShape>>()) {
  canvas_.setHost(this);
  canvas_.setDetector(&detector_);
  canvas_.setLabelCounters(&counters_);
  canvas_.setAutoComplete(true);
  canvas_.setPictureArea(QRect(1, 1, kLiveWidth, kLiveHeight));

  askers_.calibrationDistance = [](QWidget* parent, const QString& unit) -> std::optional<double> {
    CalibrationDialog dialog(unit, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.actualDistance();
  };
  askers_.micrometerPitch = [](QWidget* parent, const QString& unit) -> std::optional<double> {
    CalibrationDialog dialog(unit, parent);
    dialog.setDistance(micrometerPitchInUnit(10.0, unit));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.actualDistance();
  };
  askers_.rulerLength = [this](QWidget* parent, const QString& unit) -> std::optional<double> {
    const double factor = unitFactor(), r = rate();
    const auto values = runValuesDialog(parent, 404, LookupText("TipRuler", 64, QStringLiteral("Length-Line")),
                                        ValuesDialog::rulerFields(unit), [factor, r](const QStringList& v) {
                                          const std::optional<double> length = positiveValue(v.value(0));
                                          const std::optional<int> px =
                                              length ? pixelsOf(*length, factor, r) : std::nullopt;
                                          return px && *px > 0 ? QString() : enterDigital();
                                        });
    if (!values) return std::nullopt;
    return positiveValue(values->value(0));
  };
  askers_.gaugeVertex = [](QWidget* parent) -> std::optional<QPoint> {
    const auto values = runValuesDialog(
        parent, 1319, LookupText("Coordinate", 64, QStringLiteral("Coordinate(X,Y)")), ValuesDialog::gaugeFields(),
        [](const QStringList& v) {
          return gaugeVertex(v.value(0), v.value(1))
                     ? QString()
                     : LookupText("EnterDigitalXY", 128, QStringLiteral("Please enter digital X[1--639],Y[1--480]!"));
        });
    if (!values) return std::nullopt;
    return gaugeVertex(values->value(0), values->value(1));
  };
  askers_.toleranceCircle = [](QWidget* parent, const QString& unit) -> std::optional<std::array<double, 3>> {
    const auto values = runValuesDialog(parent, 407, LookupText("Circle", 64, QStringLiteral("Circle")),
                                        ValuesDialog::toleranceFields(unit), [](const QStringList& v) {
                                          for (int i = 0; i < 3; ++i) {
                                            if (!positiveValue(v.value(i))) return enterDigital();
                                          }
                                          return QString();
                                        });
    if (!values) return std::nullopt;
    return std::array<double, 3>{*positiveValue(values->value(0)), *positiveValue(values->value(1)),
                                 *positiveValue(values->value(2))};
  };

  LiveMeasureHooks& h = tools_.hooks();
  h.clearPendingInput = [this] { clearPendingInput(); };
  h.clearPendingPoints = [this] { clearPendingInput(); };
  h.requestMeasurementFrame = [this] {
    // Without a running stream no frame would come, and the pending grab would swallow the next still.
    if (capture_.isRunning()) files_.stills().grabToMemory();
  };
  h.isDrawing = [this] {
    return canvas_.inCycle() || rulerStart_.has_value() || drag_.has_value() || micrometer_ != nullptr;
  };
  h.addLiveText = [this](const QString& text, QPoint at) { addText(text, at); };
  h.deleteAll = [this] { deleteAll(); };
  h.mouse = [this](QMouseEvent* event) { mouse(event); };
  h.undo = [this] { undo(); };
  h.redo = [this] { redo(); };
  h.toggleScale = [this] { toggleScale(); };
  h.toggleCircles = [this] { toggleCircles(); };
  h.magnificationChanged = [this](const QString& m) { magnificationChanged(m); };
  h.liveCalibrationDone = [this] { liveCalibrationDone(); };
  h.openAngleGauge = [this](QWidget* parent) { openAngleGauge(parent); };
  h.openToleranceCircle = [this](QWidget* parent) { openToleranceCircle(parent); };

  files_.stills().setBurnIn([this](QPainter& painter, double scale) { burnIn(painter, scale, capture_.crosshair()); });
  files_.stills().setGrabSink([this](CxImage&& picture) { setMeasurementFrame(std::move(picture)); });
  capture_.setOverlays(std::make_shared<LiveShapesOverlay>(slot_), std::make_shared<LiveComparisonOverlay>(slot_));
  overlay_.unit = currentUnit();
  publish();
}

LiveView::~LiveView() {
  // The frame thread must not draw from a view that is gone.
  capture_.setOverlays(nullptr, nullptr);
  files_.stills().setBurnIn({});
  files_.stills().setGrabSink({});
}

bool LiveView::inLiveArea(QPoint video) {
  return video.x() >= 1 && video.x() <= kLiveWidth && video.y() >= 1 && video.y() <= kLiveHeight;
}

double LiveView::unitFactor() const { return canvas_.unitFactor(); }

double LiveView::rate() const { return canvas_.rate().rate; }

void LiveView::mouse(QMouseEvent* event) {
  // Measuring takes the normal window's video area only: the full-screen picture is scaled differently
  // on each axis and has no magnifier or menu beside it.
  if (controls_.videoArea()->geometry() != MainControls::kVideoAreaRect) return;
  CanvasEvent type = CanvasEvent::Move;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      type = CanvasEvent::Press;
      break;
    case QEvent::MouseButtonRelease:
      type = CanvasEvent::Release;
      break;
    case QEvent::MouseButtonDblClick:
      type = CanvasEvent::DoubleClick;
      break;
    case QEvent::MouseMove:
      type = CanvasEvent::Move;
      break;
    default:
      return;
  }
  CanvasButton button = CanvasButton::None;
  if (event->button() == Qt::LeftButton) button = CanvasButton::Left;
  if (event->button() == Qt::RightButton) button = CanvasButton::Right;
  handleVideoEvent(type, button, event->position().toPoint());
}

bool LiveView::handleVideoEvent(CanvasEvent event, CanvasButton button, QPoint p) {
  if (!inLiveArea(p)) return false;
  syncCanvas();
  canvasMouse_ = p;
  if (event == CanvasEvent::Move) updateMagnifier(p);
  if (micrometer_) {
    handleMicrometerEvent(event, button, p);
    publish();
    return true;
  }
  const bool dragged = handleComparisonDrag(event, button, p);
  updateGripCursor(p);
  if (dragged) {
    publish();
    return true;
  }
  if (canvasTool_ == LiveTool::Ruler) {
    if (event == CanvasEvent::Press && button == CanvasButton::Left) {
      handleRulerClick(p);
    } else if (event == CanvasEvent::Press && button == CanvasButton::Right) {
      rulerStart_.reset();
    }
    publish();
    return true;
  }
  if (!liveToolCanvasMode(canvasTool_)) return true;
  const bool changed = canvas_.handle(event, button, p);
  collectFinished();
  if (changed) publish();
  return true;
}

std::optional<double> LiveView::askCalibrationDistance() {
  return askers_.calibrationDistance ? askers_.calibrationDistance(&window_, currentUnit()) : std::nullopt;
}

void LiveView::calibrationMeasured(double value) {
  // Stored by the window on 0x800d, once the click that finished the line is done.
  pendingCalibration_ = value;
  postAppEvent<LiveCalibrationDoneEvent>(&window_);
}

void LiveView::warn(const char* key, const QString& defaultText) {
  prompter().message(&window_, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")), LookupText(key, 128, defaultText),
                     MessageIcon::Warning, MessageButtons::Ok);
}

void LiveView::syncCanvas() {
  canvas_.setStyle(tools_.style());
  const int w = captureState().width.load(), h = captureState().height.load();
  canvas_.setUnitScale(liveSizeFactor(w, h));
  // A new derivation (a tool chosen) replaces the rate; a live calibration since then keeps its own.
  const ViewRate& derived = tools_.rate();
  if (derived.rate != syncedRate_.rate || derived.referenceRate != syncedRate_.referenceRate) {
    syncedRate_ = derived;
    canvas_.setRate(derived, rateSizeScale(w, h, captureState().highResolutionModel.load()));
    canvas_.setScaleUncertainty(
        calibrationUncertaintyInUse(controls_.magnificationEdit()->text(), controls_.calibrationEdit()->text()));
  }
  const LiveTool tool = tools_.activeTool();
  const bool calibration = tools_.lineCalibrationMode();
  if (tool == canvasTool_ && calibration == canvasCalibration_) return;
  canvasTool_ = tool;
  canvasCalibration_ = calibration;
  rulerStart_.reset();
  const std::optional<ToolMode> mode = liveToolCanvasMode(tool);
  canvas_.setTool(mode ? CanvasTool{*mode, kMeasureFlagMeasure} : CanvasTool{});
  if (calibration) canvas_.setCalibrationMode(true);
  collectFinished();
}

void LiveView::collectFinished() {
  ShapeList& list = canvas_.shapes();
  if (list.isEmpty()) return;
  const int active = canvas_.activeShapeIndex();
  std::optional<MeasureShape> placing;
  for (int i = 0; i < list.count(); ++i) {
    MeasureShape shape = list.at(i);
    if (i == active) {
      placing = std::move(shape);
      continue;
    }
    shape.kind = static_cast<ShapeKind>(liveCodeOf(shape.kind));
    shape.selected = false;
    shapes_.append(std::move(shape));
  }
  list.destroyAll();
  if (placing) list.append(std::make_unique<MeasureShape>(std::move(*placing)));
  rebuildDrawn();
}

void LiveView::rebuildDrawn() {
  auto drawn = std::make_shared<std::vector<MeasureShape>>();
  drawn->reserve(shapes_.shapes().size());
  exportShapes_.clear();
  for (const MeasureShape& shape : shapes_.shapes()) {
    exportShapes_.push_back(&shape);
    const std::optional<LiveTool> tool = liveToolFromCode(static_cast<int>(shape.kind));
    const std::optional<ShapeKind> kind = tool ? liveToolToShapeKind(*tool) : std::nullopt;
    if (!kind) continue;
    MeasureShape copy = shape;
    copy.kind = *kind;
    drawn->push_back(std::move(copy));
  }
  drawn_ = std::move(drawn);
}

bool LiveView::handleComparisonDrag(CanvasEvent event, CanvasButton button, QPoint p) {
  if (drag_) {
    if (drag_->object >= comparisons_.size()) {
      drag_.reset();
      return false;
    }
    if (event == CanvasEvent::Move) {
      dragComparison(comparisons_[drag_->object], drag_->point, p - dragLast_, p);
      dragLast_ = p;
    } else if (event == CanvasEvent::Release) {
      drag_.reset();
    }
    return true;
  }
  if (comparisons_.isEmpty() || event != CanvasEvent::Press || button != CanvasButton::Left) return false;
  // Objects are hit first, but never in the middle of a shape's clicks.
  if (canvas_.inCycle() || rulerStart_) return false;
  drag_ = hitComparison(comparisons_, p);
  dragLast_ = p;
  return drag_.has_value();
}

void LiveView::handleRulerClick(QPoint p) {
  if (!rulerStart_) {
    rulerStart_ = p;
    return;
  }
  const QPoint a = *rulerStart_;
  rulerStart_.reset();
  const QString unit = currentUnit();
  const std::optional<double> length = askers_.rulerLength(&window_, unit);
  if (!length) return;
  if (std::optional<ComparisonObject> ruler =
          makeRuler(a, p, *length, unitFactor(), rate(), calibrationState().decimals, unit, tools_.style())) {
    comparisons_.append(std::move(*ruler));
  }
}

void LiveView::undo() {
  // The newest live shape; only when there is none, the newest comparison object.
  if (!shapes_.undo() && !comparisons_.isEmpty()) comparisons_.removeLast();
  drag_.reset();
  rebuildDrawn();
  publish();
}

void LiveView::redo() {
  if (shapes_.redo()) {
    rebuildDrawn();
    publish();
  }
}

void LiveView::deleteAll() {
  canvas_.cancelCycle();
  canvas_.shapes().destroyAll();
  shapes_.clear();
  comparisons_.clear();
  rulerStart_.reset();
  drag_.reset();
  counters_.reset();
  rebuildDrawn();
  publish();
}

void LiveView::clearPendingInput() {
  micrometer_.reset();
  canvas_.cancelCycle();
  rulerStart_.reset();
  drag_.reset();
  publish();
}

void LiveView::toggleScale() {
  if (!overlay_.scale && !tools_.hooks().deriveRate(&window_)) return;
  overlay_.scale = !overlay_.scale;
  syncCanvas();
  recomputeOverlay();
  publish();
}

void LiveView::toggleCircles() {
  if (!overlay_.circles && !tools_.hooks().deriveRate(&window_)) return;
  overlay_.circles = !overlay_.circles;
  syncCanvas();
  recomputeOverlay();
  publish();
}

void LiveView::recomputeOverlay() {
  const int w = captureState().width.load(), h = captureState().height.load();
  overlay_.rate = rate();
  overlay_.unit = currentUnit();
  overlay_.captureClass = captureClassOf(w);
  overlay_.videoPixelSize = overlayVideoPixelSize(overlay_.unit, overlay_.rate, w, h);
  overlay_.stillPixelSize = overlayStillPixelSize(overlay_.unit, overlay_.rate);
  const double ps = overlay_.videoPixelSize;
  overlay_.scaleX =
      overlay_.scale ? scaleMarks(overlay_.unit, overlay_.rate, ps, kLiveWidth / 2) : std::vector<AxisMark>{};
  overlay_.scaleY =
      overlay_.scale ? scaleMarks(overlay_.unit, overlay_.rate, ps, kLiveHeight / 2) : std::vector<AxisMark>{};
  overlay_.circleX = overlay_.circles
                         ? circleMarks(overlay_.unit, overlay_.rate, ps, kLiveWidth / 2, overlay_.captureClass)
                         : std::vector<AxisMark>{};
  overlay_.circleY = overlay_.circles
                         ? circleMarks(overlay_.unit, overlay_.rate, ps, kLiveHeight / 2, overlay_.captureClass)
                         : std::vector<AxisMark>{};
  overlayShared_ = std::make_shared<const LiveOverlayScale>(overlay_);
}

void LiveView::magnificationChanged(const QString& magnification) {
  // The scale box follows the calibration stored for the magnification, or is emptied.
  controls_.calibrationEdit()->setText(lookupCalibration(magnification).value_or(QString()));
  if (!overlay_.scale && !overlay_.circles) return;
  const int w = captureState().width.load(), h = captureState().height.load();
  const RateInput input{magnification, controls_.calibrationEdit()->text(), w, h,
                        captureState().highResolutionModel.load()};
  // No warning here: the overlays keep their last rate until a usable magnification is typed.
  if (const std::optional<RateResult> derived = computeRate(input)) {
    syncCanvas();
    canvas_.setRate(*derived, rateSizeScale(w, h, input.highResolutionModel));
    canvas_.setScaleUncertainty(calibrationUncertaintyInUse(magnification, input.calibrationValue));
  }
  recomputeOverlay();
  publish();
}

void LiveView::liveCalibrationDone() {
  if (!pendingCalibration_) return;
  const QString value = calibrationText(*pendingCalibration_);
  pendingCalibration_.reset();
  const QString magnification = controls_.magnificationEdit()->text();
  const WriteResult written = storeCalibration(magnification, value);
  if (!written.ok()) showWriteFailure(&window_, QStringLiteral("CalibrationIni.ini"), written);
  // A line calibration's uncertainty is not kept (whatever a micrometer left for it no longer holds); a
  // micrometer calibration's is.
  const std::optional<double> uncertainty = std::exchange(pendingUncertainty_, std::nullopt);
  const QString confirmation = std::exchange(pendingConfirmation_, QString());
  if (written.ok()) storeCalibrationUncertainty(magnification, uncertainty);
  // As kept in the file (four digits), as every later derivation will read it.
  canvas_.setScaleUncertainty(written.ok() && uncertainty ? calibrationUncertaintyInUse(magnification, value)
                                                          : std::nullopt);
  controls_.calibrationEdit()->setText(value);
  if (!confirmation.isEmpty()) {
    // Live results use the new calibration at once.
    const int w = captureState().width.load(), h = captureState().height.load();
    const bool highResolution = captureState().highResolutionModel.load();
    if (const std::optional<RateResult> derived = computeRate({magnification, value, w, h, highResolution}))
      canvas_.setRate(*derived, rateSizeScale(w, h, highResolution));
  }
  if (overlay_.scale || overlay_.circles) {
    recomputeOverlay();
    publish();
  }
  if (!confirmation.isEmpty() && written.ok()) {
    prompter().message(&window_, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")), confirmation,
                       MessageIcon::Information, MessageButtons::Ok);
  }
}

void LiveView::openAngleGauge(QWidget* parent) {
  if (const std::optional<QPoint> vertex = askers_.gaugeVertex(parent)) {
    comparisons_.append(makeAngleGauge(*vertex, tools_.style()));
    publish();
  }
}

void LiveView::openToleranceCircle(QWidget* parent) {
  syncCanvas();
  const QString unit = currentUnit();
  const std::optional<std::array<double, 3>> values = askers_.toleranceCircle(parent, unit);
  if (!values) return;
  if (std::optional<ComparisonObject> circle =
          makeToleranceCircle((*values)[0], (*values)[1], (*values)[2], unitFactor(), rate(),
                              calibrationState().decimals, unit, tools_.style())) {
    comparisons_.append(std::move(*circle));
    publish();
  }
}

void LiveView::addText(const QString& text, QPoint at) {
  const DrawingStyle& style = tools_.style();
  MeasureShape shape = makeText(at, text, style.textColor, style.textFont);
  applyStyle(shape, style.shapeStyle());
  shape.kind = static_cast<ShapeKind>(liveToolCode(LiveTool::Text));
  shapes_.append(std::move(shape));
  rebuildDrawn();
  publish();
}

void LiveView::setMeasurementFrame(CxImage frame) {
  frame_ = std::move(frame);
  if (!frame_.IsValid()) return;
  const int w = static_cast<int>(frame_.GetWidth()), h = static_cast<int>(frame_.GetHeight());
  detector_.setZoom(w / static_cast<double>(kLiveWidth), frameRowsPerVideoRow(w, h));
  detector_.setDetectionRange(tools_.style().detectionRange);
  frameImage_ = frame_.ToQImage();
  magnifierFed_ = false;
}

void LiveView::updateMagnifier(QPoint video) {
  MagnifierBox* box = controls_.magnifier();
  if (!box || frameImage_.isNull()) return;
  const int w = frameImage_.width(), h = frameImage_.height();
  const QPointF centre(std::round(video.x() * w / static_cast<double>(kLiveWidth)),
                       std::round(video.y() * frameRowsPerVideoRow(w, h)));
  if (!magnifierFed_) {
    box->setSource(frameImage_, centre);
    magnifierFed_ = true;
  } else {
    box->setCentre(centre);
  }
}

void LiveView::updateGripCursor(QPoint video) {
  const bool grip = drag_.has_value() || (!comparisons_.isEmpty() && !canvas_.inCycle() && !rulerStart_ &&
                                          hitComparison(comparisons_, video).has_value());
  if (grip == gripCursor_) return;
  gripCursor_ = grip;
  controls_.videoArea()->setCursor(
      SkinRenderer::cursor(grip ? QStringLiteral("cursor-386.svg") : QStringLiteral("cursor-258.svg"), QPoint(16, 16)));
}

void LiveView::burnIn(QPainter& painter, double scale, bool crossLine) const {
  const QSize picture(painter.device()->width(), painter.device()->height());
  const ShapeTransform transform = ShapeTransform::zoomed(scale, scale);
  const CalibrationState& state = calibrationState();
  const TotalFormat total{state.decimals, state.unitName.text()};
  for (const MeasureShape& shape : *drawn_) drawShape(painter, shape, transform, total);
  if (crossLine) drawCrossLine(painter, picture);
  drawStillScaleAndCircles(painter, overlay_, picture);
}

void LiveView::publish() {
  auto s = std::make_shared<LiveSnapshot>();
  s->shapes = drawn_;
  if (const int active = canvas_.activeShapeIndex(); active >= 0) s->active = canvas_.shapes().at(active);
  s->feedback = canvas_.feedback();
  if (micrometer_) micrometer_->addFeedback(s->feedback);
  if (rulerStart_) {
    s->feedback.crosses.append(*rulerStart_);
    s->feedback.lines.append(Segment{*rulerStart_, canvasMouse_});
  }
  s->style = tools_.style();
  s->comparisons = comparisons_;
  s->overlay = overlayShared_;
  if (drawn_ != lastDrawn_) ++shapesRevision_;
  if (overlayShared_ != lastOverlay_ || comparisons_ != lastComparisons_) ++comparisonRevision_;
  lastDrawn_ = drawn_;
  lastOverlay_ = overlayShared_;
  lastComparisons_ = comparisons_;
  s->shapesRevision = shapesRevision_;
  s->comparisonRevision = comparisonRevision_;
  const CalibrationState& state = calibrationState();
  s->decimals = state.decimals;
  s->unitName = state.unitName.text();
  slot_->publish(std::move(s));
  controls_.videoArea()->update();
}

}  // namespace lumivex
