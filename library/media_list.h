#pragma once

#include "library/media_entry.h"

#include <QString>

#include <vector>

namespace lumivex {

// One list of the browser (pictures or videos), oldest first, with its first visible index and its
// current index. Pure bookkeeping: the strip does the drawing and the file system work.
class MediaList {
 public:
  static constexpr int kSlots = 6;

  const std::vector<MediaEntry>& entries() const { return entries_; }
  int count() const { return static_cast<int>(entries_.size()); }
  int firstVisible() const { return firstVisible_; }
  int currentIndex() const { return current_; }

  // An entry found at start-up; the view follows to the last six.
  void appendScanned(const QString& path);
  // A new capture: becomes the current entry, shown in the fifth slot when the list is long.
  void addCaptured(const QString& path);

  // Clears the current entry. Every entry loses its current flag, so a stale one (Save all marks a whole
  // range) can never be taken for the user's choice by a later command.
  void clearCurrent();
  // Makes the entry current; false for an index outside the list.
  bool setCurrent(int index);
  // The first entry flagged listed and current, or -1.
  int currentEntry() const;

  // Removes the entry with this path (compared without regard to case); false when there is none.
  bool removePath(const QString& path);
  bool removeAt(int index);
  void clear();

  void setFlags(int index, std::uint32_t flags);

  // The scroll bar: range 0..rangeMax() with a page of six; disabled while rangeMax() < kSlots.
  int rangeMax() const { return count() > kSlots ? count() - 1 : kSlots - 1; }
  bool scrollable() const { return rangeMax() >= kSlots; }
  // Clamps the position to 0..rangeMax() and makes it the first visible index.
  void scrollTo(int position);
  // Applies the scroll bar rules after the list changed (a short list always starts at 0).
  void updateRange();

 private:
  std::vector<MediaEntry> entries_;
  int firstVisible_ = 0;
  int current_ = -1;
};

}  // namespace lumivex
