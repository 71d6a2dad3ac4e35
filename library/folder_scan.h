#pragma once

#include <QString>
#include <QStringList>

namespace lumivex {

// The start-up scan of the browser's folders. Reads directory entries and file sizes only; nothing is
// decoded, so a folder of thousands of pictures lists at once. Results are full paths in name order
// (letters compared without regard to case), which for generated names is the order of capture.
class FolderScan {
 public:
  static constexpr qint64 kMinPictureBytes = 41;  // anything shorter cannot be a picture

  // Every readable file of the folder of at least 41 bytes. Sub-folders are skipped.
  static QStringList pictures(const QString& folder);
  // Every file of the folder whose name ends in ".avi" (any case).
  static QStringList videos(const QString& folder);
};

}  // namespace lumivex
