#include "measure/canvas_controller.h"

#include "core/localisation.h"
#include "measure/calibration_state.h"
#include "measure/canvas_host.h"
#include "measure/edge_detector.h"
#include "measure/shape_builder.h"
#include "measure/shape_hit_test.h"

#include <algorithm>

namespace lumivex {
namespace {

QPoint clampTo(QPoint p, const QRect& r) {
  if (r.isEmpty()) return p;
  return {std::clamp(p.x(), r.left(), r.right()), std::clamp(p.y(), r.top(), r.bottom())};
}

// Kinds whose cycle ends with the appending click even in measuring mode: the labels stand on their own
// point, or were placed click by click before the record was made.
bool placesNoLabel(ShapeKind kind) {
  return kind == ShapeKind::CircleLabel || kind == ShapeKind::SquareLabel || kind == ShapeKind::TwoCircles ||
         kind == ShapeKind::ContinuousLine;
}

}  // namespace

CanvasController::CanvasController() : counters_(&labelCounters()) {}

void CanvasController::setRate(const ViewRate& rate, double sizeScale) {
  rate_ = rate;
  sizeScale_ = sizeScale;
}

double CanvasController::unitFactor() const { return unitFactorFor(calibrationState().unitName.text()) * unitScale_; }

UnitConversion CanvasController::conversion() const {
  const CalibrationState& state = calibrationState();
  // Tools chosen without a rate (angles, paint tools) never show a length; keep their arithmetic finite.
  const double rate = rate_.rate > 0 ? rate_.rate : 1.0;
  UnitConversion units{unitFactor(), rate, state.decimals, state.unitName.text()};
  units.showUncertainty = state.showUncertainty;
  units.scaleUncertainty = scaleUncertainty_;
  return units;
}

void CanvasController::setTool(CanvasTool tool) {
  settleCycle();
  lens_.reset();
  // Select keeps the pair mode of a four-point angle chosen before it; any other tool ends it.
  if (tool.mode == ToolMode::FourPointAngle) {
    pairSelection_ = true;
  } else if (tool.mode != ToolMode::Select) {
    pairSelection_ = false;
  }
  tool_ = tool;
  calibration_ = false;
  clearSelection();
}

void CanvasController::clearSelection() {
  shapes_.clearSelection();
  picked_.clear();
  changed();
}

void CanvasController::startText(const QString& text, std::uint32_t color, const LogFont& font) {
  settleCycle();
  lens_.reset();
  if (text.isEmpty()) {
    tool_ = {ToolMode::NoTool, kMeasureFlagIdle};
    warn("InputText", QStringLiteral("Please input text!"));
    return;
  }
  tool_ = {ToolMode::Text, kMeasureFlagMeasure};
  pairSelection_ = false;
  MeasureShape shape = makeText(lastClick_, text, color, font);
  applyStyle(shape, style_.shapeStyle());
  shapes_.append(std::make_unique<MeasureShape>(std::move(shape)));
  changed();
  phase_ = Phase::PlacingText;
  mouse_ = lastClick_;
}

bool CanvasController::handle(CanvasEvent event, CanvasButton button, QPoint point) {
  switch (event) {
    case CanvasEvent::Press:
      if (button == CanvasButton::Left) return press(point);
      if (button == CanvasButton::Right) return rightPress(point);
      return false;
    case CanvasEvent::DoubleClick:
      return button == CanvasButton::Left && doubleClick(point);
    case CanvasEvent::Release:
      return button == CanvasButton::Left && release(point);
    case CanvasEvent::Move: {
      const bool live = phase_ != Phase::Idle || lens_.has_value();
      move(point);
      return live;
    }
  }
  return false;
}

bool CanvasController::press(QPoint p) {
  if (!area_.contains(p)) return false;
  lastClick_ = p;
  mouse_ = p;
  switch (phase_) {
    case Phase::Moving: {
      MeasureShape& shape = shapes_.at(moveIndex_);
      translateShape(shape, p - moveReference(shape));
      moveIndex_ = -1;
      phase_ = Phase::Idle;
      contentChanged();
      rebuildFeedback();
      return true;
    }
    case Phase::Placing:
    case Phase::PlacingText: {
      MeasureShape* shape = shapes_.last();
      if (shape && phase_ == Phase::PlacingText) {
        shape->points[0] = p;
        shape->points[1] = p + QPoint(60, 60);
        tool_ = {ToolMode::NoTool, kMeasureFlagIdle};
      } else if (shape && shape->kind != ShapeKind::AutoCircle) {
        // An automatic circle's labels stand at its centre: the click only ends the cycle.
        shapes_.setLabelAnchor(p);
      }
      contentChanged();
      endCycle();
      if (host_ && shape) host_->shapeFinished(*shape);
      return true;
    }
    default:
      break;
  }

  switch (tool_.mode) {
    case ToolMode::Select:
      select(p);
      return true;
    case ToolMode::Magnifier:
      lens_ = p;
      return true;
    case ToolMode::EdgePortion:
      dragStart_ = p;
      phase_ = Phase::Dragging;
      break;
    case ToolMode::NoTool:
    case ToolMode::Text:
      return false;
    case ToolMode::Line:
    case ToolMode::ParallelLine:
    case ToolMode::RadiusCircle:
    case ToolMode::DiameterCircle:
    case ToolMode::Rectangle:
    case ToolMode::AutoLineLength1:
      clickTwoPointTool(p);
      break;
    case ToolMode::DotLine:
    case ToolMode::Angle:
    case ToolMode::ThreePointCircle:
    case ToolMode::Arc:
      clickThreePointTool(p);
      break;
    case ToolMode::FourPointAngle:
      clickFourPointAngle(p);
      break;
    case ToolMode::AutoLineSpacing:
    case ToolMode::AutoAngle:
      clickStrokeTool(p);
      break;
    case ToolMode::TwoCircles:
      clickTwoCircles(p);
      break;
    case ToolMode::ContinuousLine:
      clickContinuousLine(p);
      break;
    case ToolMode::Polygon:
      clickPolygon(p);
      break;
    case ToolMode::AutoCircle:
    case ToolMode::AutoArc:
    case ToolMode::AutoLineLength2:
      clickAutomaticPoint(p);
      break;
    case ToolMode::CircleLabel:
    case ToolMode::SquareLabel: {
      const bool circle = tool_.mode == ToolMode::CircleLabel;
      const int number = circle ? counters_->nextCircle() : counters_->nextSquare();
      appendShape(circle ? makeCircleLabel(p, number) : makeSquareLabel(p, number));
      break;
    }
  }
  rebuildFeedback();
  return true;
}

bool CanvasController::rightPress(QPoint p) {
  if (lens_) {
    lens_.reset();
    return true;
  }
  const bool automatic =
      tool_.mode == ToolMode::AutoCircle || tool_.mode == ToolMode::AutoArc || tool_.mode == ToolMode::AutoLineLength2;
  if (automatic && phase_ == Phase::Collecting && !autoComplete_) {
    // Too few points: the right click does nothing, the points stay.
    const bool done = completeAutomatic(clampTo(p, area_));
    rebuildFeedback();
    return done;
  }
  if (phase_ == Phase::Idle) return false;
  cancelCycle();
  return true;
}

bool CanvasController::doubleClick(QPoint p) {
  if (!area_.contains(p)) return false;
  if (phase_ == Phase::Collecting && tool_.mode == ToolMode::ContinuousLine) {
    finishContinuousLine(p);
  } else if (phase_ == Phase::Collecting && tool_.mode == ToolMode::Polygon) {
    finishPolygon(p);
  } else {
    // A quick second click of any other tool is still a click.
    return press(p);
  }
  rebuildFeedback();
  return true;
}

bool CanvasController::release(QPoint p) {
  if (phase_ != Phase::Dragging || !dragStart_) return false;
  const QPoint end = clampTo(p, area_);
  const QRect rect = QRect(QPoint(std::min(dragStart_->x(), end.x()), std::min(dragStart_->y(), end.y())),
                           QPoint(std::max(dragStart_->x(), end.x()), std::max(dragStart_->y(), end.y())));
  endCycle();
  if (rect.width() <= 1 || rect.height() <= 1) {
    warn("SelectSection", QStringLiteral("Please select section first"));
  } else if (detector_ && detector_->overlayEdges(rect)) {
    contentChanged();
  }
  return true;
}

void CanvasController::move(QPoint p) {
  mouse_ = phase_ == Phase::Idle ? p : clampTo(p, confinement());
  if (lens_) lens_ = p;
  if (phase_ == Phase::Placing) {
    const MeasureShape* shape = shapes_.last();
    if (shape && shape->kind != ShapeKind::AutoCircle) shapes_.setLabelAnchor(mouse_);
  } else if (phase_ == Phase::PlacingText) {
    if (MeasureShape* shape = shapes_.last()) {
      shape->points[0] = mouse_;
      shape->points[1] = mouse_ + QPoint(60, 60);
    }
  }
  rebuildFeedback();
}

QRect CanvasController::confinement() const {
  if (phase_ == Phase::Collecting && tool_.mode == ToolMode::RadiusCircle && clicks_.size() == 1) {
    // The largest square around the centre that fits, so the circle stays inside the picture.
    const QPoint c = clicks_[0];
    const int half = std::max(
        0, std::min({c.x() - area_.left(), area_.right() - c.x(), c.y() - area_.top(), area_.bottom() - c.y()}));
    return QRect(c - QPoint(half, half), c + QPoint(half, half));
  }
  return area_;
}

int CanvasController::activeShapeIndex() const {
  if (phase_ == Phase::Placing || phase_ == Phase::PlacingText) return shapes_.count() - 1;
  return -1;
}

std::optional<MeasureShape> CanvasController::movingOutline() const {
  if (phase_ != Phase::Moving || moveIndex_ < 0 || moveIndex_ >= shapes_.count()) return std::nullopt;
  MeasureShape outline = shapes_.at(moveIndex_);
  translateShape(outline, mouse_ - moveReference(outline));
  outline.selected = false;
  return outline;
}

bool CanvasController::startMove() {
  settleCycle();
  for (int i = 0; i < shapes_.count(); ++i) {
    if (!shapes_.at(i).selected) continue;
    moveIndex_ = i;
    phase_ = Phase::Moving;
    mouse_ = moveReference(shapes_.at(i));
    return true;
  }
  warn("SelectImage", QStringLiteral("Please select a metafile"));
  return false;
}

int CanvasController::deleteSelected(QWidget* parent) {
  settleCycle();
  const int removed = shapes_.deleteSelected(parent);
  picked_.clear();
  if (removed > 0) {
    contentChanged();
  } else {
    changed();
  }
  return removed;
}

void CanvasController::cancelCycle() {
  if (phase_ == Phase::Placing || phase_ == Phase::PlacingText) {
    shapes_.removeLast();
    // The record came and went within the cycle: nothing a save would lose.
    if (contentChanges_ > 0) --contentChanges_;
    changed();
  }
  if (phase_ == Phase::PlacingText) tool_ = {ToolMode::NoTool, kMeasureFlagIdle};
  moveIndex_ = -1;
  endCycle();
}

void CanvasController::settleCycle() {
  const bool placing = phase_ == Phase::Placing || phase_ == Phase::PlacingText;
  if (phase_ == Phase::PlacingText) tool_ = {ToolMode::NoTool, kMeasureFlagIdle};
  moveIndex_ = -1;
  endCycle();
  if (placing && host_ && shapes_.last()) host_->shapeFinished(*shapes_.last());
}

void CanvasController::appendShape(std::optional<MeasureShape> shape) {
  if (!shape) {
    // The clicks form no such shape: refused at the completing click, nothing is stored.
    resetCycle();
    return;
  }
  applyStyle(*shape, style_.shapeStyle());
  const ShapeKind kind = shape->kind;
  const bool labelled = kind != ShapeKind::CircleLabel && kind != ShapeKind::SquareLabel;
  if (!measuring() && labelled) blankLabels(*shape);
  const bool calibrating =
      calibration_ && measuring() && (kind == ShapeKind::ParallelLine || kind == ShapeKind::AutoLineSpacing);
  if (calibrating && !shape->labels.isEmpty()) shape->labels[0].clear();
  shapes_.append(std::make_unique<MeasureShape>(std::move(*shape)));
  contentChanged();
  if (calibrating) calibrate(*shapes_.last());
  clicks_.clear();
  detected_.clear();
  if (!measuring() || placesNoLabel(kind)) {
    endCycle();
    if (host_) host_->shapeFinished(*shapes_.last());
    return;
  }
  phase_ = Phase::Placing;
}

void CanvasController::calibrate(MeasureShape& shape) {
  const double pixels = pixelDistance(shape.points[0], shape.points[1]);
  const std::optional<double> actual = host_ ? host_->askCalibrationDistance() : std::nullopt;
  const LineCalibrationResult result = finishLineCalibration(pixels, unitFactor(), actual, sizeScale_, rate_);
  if (!shape.labels.isEmpty()) shape.labels[0] = result.label;
  calibration_ = false;
  if (result.calibrated && host_) host_->calibrationMeasured(result.calibrationValue);
}

void CanvasController::endCycle() {
  phase_ = Phase::Idle;
  clicks_.clear();
  detected_.clear();
  vertices_.clear();
  anchors_.clear();
  texts_.clear();
  labelFollows_ = false;
  dragStart_.reset();
  rebuildFeedback();
}

void CanvasController::resetCycle() { endCycle(); }

void CanvasController::select(QPoint p) {
  for (int i = 0; i < shapes_.count(); ++i) {
    if (!hitsShape(shapes_.at(i), p)) continue;
    if (pairSelection_) {
      selectPair(i, p);
      return;
    }
    for (int j = 0; j < shapes_.count(); ++j) shapes_.at(j).selected = j == i;
    changed();
    return;
  }
}

namespace {

// The records whose first two points are the ends of a measured straight line.
bool isStraightLine(const MeasureShape& shape) {
  switch (shape.kind) {
    case ShapeKind::Line:
    case ShapeKind::ParallelLine:
    case ShapeKind::DotLine:
    case ShapeKind::AutoLineLength1:
    case ShapeKind::AutoLineLength2:
      return shape.points.size() >= 2;
    default:
      return false;
  }
}

}  // namespace

void CanvasController::selectPair(int index, QPoint p) {
  picked_.removeAll(index);
  picked_.append(index);
  while (picked_.size() > 2) picked_.removeFirst();
  for (int j = 0; j < shapes_.count(); ++j) shapes_.at(j).selected = picked_.contains(j);
  changed();
  if (picked_.size() < 2) return;
  const MeasureShape& first = shapes_.at(picked_[0]);
  const MeasureShape& second = shapes_.at(picked_[1]);
  if (!isStraightLine(first) || !isStraightLine(second)) return;
  std::optional<MeasureShape> angle =
      makeFourPointAngle(first.points[0], first.points[1], second.points[0], second.points[1], p, conversion());
  if (!angle) return;  // a line of no length has no direction: the pair stays selected
  clearSelection();
  appendShape(std::move(angle));
}

void CanvasController::warn(const char* key, const QString& defaultText) {
  if (host_) host_->warn(key, defaultText);
}

void CanvasController::rebuildFeedback() {
  feedback_ = CanvasFeedback{};
  if (phase_ == Phase::Dragging && dragStart_) {
    const QPoint a = *dragStart_, b = mouse_;
    feedback_.edgeSelection = QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                                    QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
    return;
  }
  if (phase_ == Phase::Collecting) addSequenceFeedback();
}

}  // namespace lumivex
