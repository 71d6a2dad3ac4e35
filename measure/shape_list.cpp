#include "measure/shape_list.h"

#include "core/localisation.h"
#include "core/prompter.h"

namespace lumivex {

bool ShapeList::append(std::unique_ptr<MeasureShape> shape) {
  if (!shape || shape->kind == ShapeKind::Unset) return false;
  shapes_.push_back(std::move(shape));
  return true;
}

void ShapeList::setLabelAnchor(QPoint anchor) {
  MeasureShape* shape = last();
  if (!shape) return;
  const int index = labelAnchorIndex(shape->kind, static_cast<int>(shape->points.size()));
  if (index >= 0 && index < shape->points.size()) shape->points[index] = anchor;
}

void ShapeList::clearSelection() {
  for (auto& shape : shapes_) shape->selected = false;
}

int ShapeList::deleteSelected(QWidget* parent) {
  const QString title = LookupText("MsgTitle", 64, QStringLiteral("Lumivex"));
  int asked = 0;
  int removed = 0;
  for (auto i = static_cast<std::ptrdiff_t>(shapes_.size()) - 1; i >= 0; --i) {
    if (!shapes_[static_cast<std::size_t>(i)]->selected) continue;
    ++asked;
    const MessageAnswer answer =
        prompter().message(parent, title, LookupText("SureDelete", 128, QStringLiteral("Are you sure to delete?")),
                           MessageIcon::Question, MessageButtons::YesNo);
    if (answer == MessageAnswer::Yes) {
      shapes_.erase(shapes_.begin() + i);
      ++removed;
    }
  }
  if (asked == 0) {
    prompter().message(parent, title, LookupText("SelectImage", 128, QStringLiteral("Please select a metafile")),
                       MessageIcon::Warning, MessageButtons::Ok);
  }
  return removed;
}

void ShapeList::removeLast() {
  if (!shapes_.empty()) shapes_.pop_back();
}

void ShapeList::destroyAll() { shapes_.clear(); }

ShapeList& shapeList() {
  static ShapeList list;
  return list;
}

LabelCounters& labelCounters() {
  static LabelCounters counters;
  return counters;
}

}  // namespace lumivex
