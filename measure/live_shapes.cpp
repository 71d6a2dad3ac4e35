#include "measure/live_shapes.h"

#include <algorithm>

namespace lumivex {

void LiveShapeList::append(MeasureShape shape) {
  shapes_.push_back(std::move(shape));
  // What was undone before this shape stays undone: a redo must not bring it back over the new one.
  redo_.clear();
  watermark_ = -1;
}

bool LiveShapeList::undo() {
  if (shapes_.empty()) return false;
  if (watermark_ < 0) watermark_ = count();
  redo_.push_back(std::move(shapes_.back()));
  shapes_.pop_back();
  watermark_ = std::max(0, watermark_ - 1);
  return true;
}

bool LiveShapeList::redo() {
  if (redo_.empty() || count() > watermark_) return false;
  shapes_.push_back(std::move(redo_.back()));
  redo_.pop_back();
  ++watermark_;
  return true;
}

void LiveShapeList::clear() {
  shapes_.clear();
  redo_.clear();
  watermark_ = -1;
}

}  // namespace lumivex
