#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace lumivex {

// The names of recordings: "Video_YYYY-MM-DD_hhmmss_N0001.avi" in the video folder, the counter one more
// than the largest number after the last capital N among the folder's .avi files (as stills count).
// Time-lapse videos share the counter under their own prefix.
class VideoNaming {
 public:
  static constexpr char kPrefix[] = "Video_";
  static constexpr char kTimelapsePrefix[] = "Timelapse_";
  static constexpr char kExtension[] = ".avi";
  static constexpr char kScratchName[] = "test.avi";

  // Every sub-folder whose name ends in .avi is handed to onFolder and does not count.
  static int nextCounter(const QString& folder, const std::function<void(const QString&)>& onFolder = {});
  static QString fileName(const QString& folder, const QDateTime& localTime, int counter, const char* prefix = kPrefix);
  // The next free name for a recording made now.
  static QString nextPath(const QString& folder, const QDateTime& localTime,
                          const std::function<void(const QString&)>& onFolder = {}, const char* prefix = kPrefix);
};

}  // namespace lumivex
