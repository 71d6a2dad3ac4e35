#pragma once

#include "measure/canvas_feedback.h"
#include "measure/canvas_tool.h"
#include "measure/drawing_style.h"
#include "measure/rate_derivation.h"
#include "measure/result_text.h"
#include "measure/shape_list.h"
#include "measure/units.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QStringList>

#include <cstdint>
#include <optional>

class QWidget;

namespace lumivex {

class CanvasHost;
class EdgeDetector;

enum class CanvasEvent { Press, Release, Move, DoubleClick };
enum class CanvasButton { None, Left, Right };

// The click sequences of every measuring and drawing tool, without a widget. Input: mouse events with
// their button and a point in content coordinates (the view position plus the scroll offset, so shapes do
// not care about scrolling). Output: records appended to the controller's own ShapeList, and the feedback
// figures a view paints over them. The still canvas drives it with its picture's content points; the
// live view with video coordinates. GUI thread only.
//
// A tool cycle runs idle -> collecting (first click) -> placing (measuring mode: the label of the record
// just appended follows the mouse until a click fixes it) -> idle. A right click or a new tool returns to
// idle and drops the record of the unfinished cycle.
class CanvasController {
 public:
  CanvasController();

  // Borrowed collaborators; both may be null (no host: no calibration dialog and no warnings; no
  // detector: the automatic tools keep the user's own points).
  void setHost(CanvasHost* host) { host_ = host; }
  void setDetector(EdgeDetector* detector) { detector_ = detector; }
  // The running numbers of circle and square labels (process-wide by default).
  void setLabelCounters(LabelCounters* counters) { counters_ = counters; }

  // The rectangle left clicks are accepted in: the visible part of the picture, in content coordinates.
  // While a cycle runs, moves are clamped to it (Qt cannot confine the pointer).
  void setPictureArea(const QRect& area) { area_ = area; }
  const QRect& pictureArea() const { return area_; }

  // What new results are computed with: the view's pixels per content pixel k (the unit factor is the
  // current unit's factor times k, so a unit chosen anywhere meanwhile is used at once), its rate and the
  // size scale of its calibration (rateSizeScale), and the style new records copy.
  void setUnitScale(double k) { unitScale_ = k; }
  double unitFactor() const;
  void setRate(const ViewRate& rate, double sizeScale);
  const ViewRate& rate() const { return rate_; }
  // The relative expanded uncertainty of the calibration the rate comes from; nullopt when unknown.
  void setScaleUncertainty(std::optional<double> relative) { scaleUncertainty_ = relative; }
  void setStyle(const DrawingStyle& style) { style_ = style; }
  const DrawingStyle& style() const { return style_; }

  // Chooses a tool: ends any cycle (a record already appended stays where its label is, points collected
  // for one not yet appended are dropped), ends calibration mode (set it again after the tool), closes
  // the lens and clears the selection.
  //
  // The select tool chosen right after the four-point angle tool picks pairs: it keeps the two shapes
  // clicked last selected (a third click drops the older one), and when both are straight lines (line,
  // parallel line, dot line's base, automatic line lengths) the angle between them is appended as a
  // four-point angle record on their ends, whose label is then placed like any other. So the angle of
  // two lines already measured is read without drawing them again.
  void setTool(CanvasTool tool);
  bool picksPairs() const { return pairSelection_; }
  const CanvasTool& tool() const { return tool_; }
  // Line calibration: the parallel-line or automatic line-spacing tool then hands its line to the
  // calibration dialog instead of labelling it.
  void setCalibrationMode(bool on) { calibration_ = on; }
  bool calibrationMode() const { return calibration_; }
  // The live view's automatic tools complete by themselves (circle and arc at the third point, line
  // length at the second) instead of on a right click.
  void setAutoComplete(bool on) { autoComplete_ = on; }

  // The text tool: an empty text warns "Please input text!" and leaves the canvas idle; otherwise a
  // Text record is appended at the last clicked position and follows the mouse until a click fixes it.
  void startText(const QString& text, std::uint32_t color, const LogFont& font);

  // One mouse event. Returns true when anything drawn changed (shapes, feedback, lens).
  bool handle(CanvasEvent event, CanvasButton button, QPoint point);

  // The workspace's move command: false (and "Please select a metafile") without a selected shape.
  bool startMove();
  // The workspace's delete command (asks for every selected record). Returns the number removed.
  int deleteSelected(QWidget* parent);
  // Drops the unfinished cycle as a right click does, the record being placed with it.
  void cancelCycle();
  // Ends the cycle keeping a record already appended (its label stays where it is).
  void settleCycle();
  void clearSelection();

  ShapeList& shapes() { return shapes_; }
  const ShapeList& shapes() const { return shapes_; }

  // Between the first and the last click of a cycle (the view then clamps moves).
  bool inCycle() const { return phase_ != Phase::Idle; }
  // The rectangle moves are clamped to while a cycle runs: the picture area, or for a radius circle the
  // largest square around its centre that fits the area.
  QRect confinement() const;
  const CanvasFeedback& feedback() const { return feedback_; }
  // The record whose label (or text) follows the mouse, -1 when none: views draw it above their cache.
  int activeShapeIndex() const;
  // The outline of a shape being moved, at its current place.
  std::optional<MeasureShape> movingOutline() const;
  // The magnifier lens centre, while the lens is shown.
  std::optional<QPoint> lensCentre() const { return lens_; }
  QPoint mouse() const { return mouse_; }

  // Counts every change of the drawn list (appends, removals, moves, selection, placed labels), so a
  // view knows when its cached drawing is stale. The active record's label moves are not counted.
  std::uint64_t revision() const { return revision_; }
  // Counts the changes a save would lose: records added, deleted or moved, labels placed, edges painted.
  std::uint64_t contentChanges() const { return contentChanges_; }

  // The conversion new results use (the process-wide decimals and unit with this view's factor and rate).
  UnitConversion conversion() const;

 private:
  enum class Phase { Idle, Collecting, Placing, PlacingText, Moving, Dragging };

  bool press(QPoint p);
  bool rightPress(QPoint p);
  bool doubleClick(QPoint p);
  bool release(QPoint p);
  void move(QPoint p);
  void rebuildFeedback();

  // Per-tool sequences (canvas_sequences.cpp). Each gets an accepted left click.
  void clickTwoPointTool(QPoint p);
  void clickThreePointTool(QPoint p);
  void clickFourPointAngle(QPoint p);
  void clickTwoCircles(QPoint p);
  void clickContinuousLine(QPoint p);
  void clickPolygon(QPoint p);
  void clickStrokeTool(QPoint p);
  void clickAutomaticPoint(QPoint p);
  bool completeAutomatic(QPoint p);
  void finishContinuousLine(QPoint p);
  void finishPolygon(QPoint p);
  void addSequenceFeedback();

  // Appends a finished record (or refuses a nullopt one, ending the cycle), then places its label in
  // measuring mode or ends the cycle in paint mode.
  void appendShape(std::optional<MeasureShape> shape);
  void calibrate(MeasureShape& shape);
  void endCycle();
  void resetCycle();
  void select(QPoint p);
  void selectPair(int index, QPoint p);
  void warn(const char* key, const QString& defaultText);
  void changed() { ++revision_; }
  void contentChanged() {
    ++revision_;
    ++contentChanges_;
  }
  bool measuring() const { return tool_.measureFlag != kMeasureFlagPaint; }

  CanvasHost* host_ = nullptr;
  EdgeDetector* detector_ = nullptr;
  LabelCounters* counters_ = nullptr;
  ShapeList shapes_;
  QRect area_{0, 0, 640, 480};
  double unitScale_ = 1.0;
  ViewRate rate_;
  double sizeScale_ = 1.0;
  std::optional<double> scaleUncertainty_;
  DrawingStyle style_;
  CanvasTool tool_;
  bool calibration_ = false;
  bool autoComplete_ = false;

  Phase phase_ = Phase::Idle;
  QList<QPoint> clicks_;    // the clicks of the cycle so far
  QList<QPoint> detected_;  // the automatic point tools' edge points
  // Continuous line and two circles keep their record outside the list until they finish.
  QList<QPoint> vertices_;
  QList<QPoint> anchors_;
  QStringList texts_;
  bool labelFollows_ = false;  // continuous line and two circles: a label follows the mouse
  QPoint mouse_;
  QPoint lastClick_{20, 20};
  std::optional<QPoint> dragStart_;
  std::optional<QPoint> lens_;
  int moveIndex_ = -1;
  bool pairSelection_ = false;
  QList<int> picked_;  // pair selection: the selected records, older first
  QPoint moveOffset_;
  CanvasFeedback feedback_;
  std::uint64_t revision_ = 0;
  std::uint64_t contentChanges_ = 0;
};

}  // namespace lumivex
