#include "library/media_list.h"

#include <algorithm>

namespace lumivex {

void MediaList::appendScanned(const QString& path) {
  entries_.push_back({path, MediaEntry::kScanned});
  firstVisible_ = count() > kSlots ? count() - kSlots : 0;
}

void MediaList::addCaptured(const QString& path) {
  const int newCount = count() + 1;
  firstVisible_ = newCount > kSlots ? newCount - 5 : 0;
  clearCurrent();
  entries_.push_back({path, MediaEntry::kAdded});
  current_ = count() - 1;
}

void MediaList::clearCurrent() {
  for (MediaEntry& entry : entries_) entry.flags &= ~MediaEntry::kCurrent;
  current_ = -1;
}

bool MediaList::setCurrent(int index) {
  if (index < 0 || index >= count()) return false;
  clearCurrent();
  entries_[static_cast<std::size_t>(index)].flags |= MediaEntry::kCurrent;
  current_ = index;
  return true;
}

int MediaList::currentEntry() const {
  for (int i = 0; i < count(); ++i) {
    if (entries_[static_cast<std::size_t>(i)].isCurrent()) return i;
  }
  return -1;
}

bool MediaList::removePath(const QString& path) {
  for (int i = 0; i < count(); ++i) {
    if (entries_[static_cast<std::size_t>(i)].path.compare(path, Qt::CaseInsensitive) == 0) return removeAt(i);
  }
  return false;
}

bool MediaList::removeAt(int index) {
  if (index < 0 || index >= count()) return false;
  entries_.erase(entries_.begin() + index);
  if (current_ == index) {
    current_ = -1;
  } else if (current_ > index) {
    --current_;
  }
  updateRange();
  return true;
}

void MediaList::clear() {
  entries_.clear();
  firstVisible_ = 0;
  current_ = -1;
}

void MediaList::setFlags(int index, std::uint32_t flags) {
  if (index >= 0 && index < count()) entries_[static_cast<std::size_t>(index)].flags = flags;
}

void MediaList::scrollTo(int position) { firstVisible_ = std::clamp(position, 0, rangeMax()); }

void MediaList::updateRange() {
  if (count() <= kSlots) {
    firstVisible_ = 0;
  } else {
    firstVisible_ = std::clamp(firstVisible_, 0, rangeMax());
  }
}

}  // namespace lumivex
