#pragma once

#include "measure/measure_shape.h"

#include <vector>

namespace lumivex {

// The live view's finished shapes, newest last, with their redo stack. Records keep their live tool
// code in `kind` (see liveToolToShapeKind). GUI thread only.
//
// Undo moves the newest shape onto the redo stack; redo appends the top of the stack again. A newly
// finished shape empties the stack, so a redo never takes back something drawn after the undo. The
// watermark is the list size the undo history started from (the first undo records it, each undo
// lowers it and each redo raises it); redo only re-appends while the list is at or below it.
class LiveShapeList {
 public:
  // A newly finished shape: the redo stack is emptied.
  void append(MeasureShape shape);
  // False when the list is empty.
  bool undo();
  // False when there is nothing to bring back.
  bool redo();
  // Every shape and redo entry, and the undo history.
  void clear();

  int count() const { return static_cast<int>(shapes_.size()); }
  bool isEmpty() const { return shapes_.empty(); }
  const MeasureShape& at(int index) const { return shapes_[static_cast<std::size_t>(index)]; }
  const std::vector<MeasureShape>& shapes() const { return shapes_; }
  int redoCount() const { return static_cast<int>(redo_.size()); }
  // -1 until the first undo after a clear.
  int watermark() const { return watermark_; }

 private:
  std::vector<MeasureShape> shapes_;
  std::vector<MeasureShape> redo_;
  int watermark_ = -1;
};

}  // namespace lumivex
