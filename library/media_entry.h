#pragma once

#include <QString>

#include <cstdint>

namespace lumivex {

// One file of the media browser with its flag word.
struct MediaEntry {
  static constexpr std::uint32_t kListed = 1;
  static constexpr std::uint32_t kMarked = 2;
  static constexpr std::uint32_t kCurrent = 4;
  static constexpr std::uint32_t kScanned = kListed | kMarked;           // found at start-up
  static constexpr std::uint32_t kAdded = kListed | kMarked | kCurrent;  // a new capture or recording

  QString path;
  std::uint32_t flags = 0;

  bool isCurrent() const { return (flags & (kListed | kCurrent)) == (kListed | kCurrent); }
};

}  // namespace lumivex
