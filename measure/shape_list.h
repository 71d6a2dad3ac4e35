#pragma once

#include "measure/measure_shape.h"

#include <QPoint>

#include <memory>
#include <vector>

class QWidget;

namespace lumivex {

// The shapes of the picture open in the workspace, in creation order (the order of drawing and of the
// export rows). GUI thread only. The select tool's remembered indices belong to the canvas, which
// forgets them after clearSelection and deleteSelected.
class ShapeList {
 public:
  // Appends a finished record; a record whose kind is still Unset is refused.
  bool append(std::unique_ptr<MeasureShape> shape);
  // Moves the label anchor of the last shape (label placement).
  void setLabelAnchor(QPoint anchor);
  void clearSelection();
  // From the newest to the oldest selected record asks "Are you sure to delete?" and removes it on Yes;
  // with no record selected shows "Please select a metafile". Returns the number removed.
  int deleteSelected(QWidget* parent);
  // Removes the last record (a cycle cancelled by a right click).
  void removeLast();
  void destroyAll();

  int count() const { return static_cast<int>(shapes_.size()); }
  bool isEmpty() const { return shapes_.empty(); }
  const MeasureShape& at(int index) const { return *shapes_[static_cast<std::size_t>(index)]; }
  MeasureShape& at(int index) { return *shapes_[static_cast<std::size_t>(index)]; }
  MeasureShape* last() { return shapes_.empty() ? nullptr : shapes_.back().get(); }

 private:
  std::vector<std::unique_ptr<MeasureShape>> shapes_;
};

// The process-wide list of the still-picture shapes.
ShapeList& shapeList();

// The running numbers of circle and square labels: each new label shows counter + 1.
class LabelCounters {
 public:
  int nextCircle() { return ++circle_; }
  int nextSquare() { return ++square_; }
  // The workspace's select, pen-setting, revert, calibration and measuring menu buttons start over.
  void reset() { circle_ = square_ = 0; }

 private:
  int circle_ = 0;
  int square_ = 0;
};

LabelCounters& labelCounters();

}  // namespace lumivex
