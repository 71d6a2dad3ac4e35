#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace lumivex {

// The names of still pictures: "Still_" + local date and time + optional "<magnification>X" + "_N" +
// a four-digit counter. BMP and JPEG stills are numbered separately.
class StillNaming {
 public:
  static constexpr char kPrefix[] = "Still_";

  // The number after the last capital N of a file name, cut at its last dot; 0 without an N or digits.
  static int counterOf(const QString& fileName);

  // One more than the largest counter among the folder's files with this extension (".jpg" or ".bmp",
  // matched without regard to case); 1 in an empty folder. Every sub-folder whose name matches is handed
  // to onFolder and skipped.
  static int nextCounter(const QString& folder, const QString& extension,
                         const std::function<void(const QString&)>& onFolder = {});

  // folder + "/Still_YYYY-MM-DD_hhmmss[_<mag>X]_N<counter><extension>"
  static QString fileName(const QString& folder, const QDateTime& localTime, const QString& magnification, int counter,
                          const QString& extension);
};

}  // namespace lumivex
