#pragma once

#include "core/atomic_file.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace lumivex {

// CalibrationIni.ini: one section per magnification holding one key of the same name, for example
// "[20]" followed by "20=12.3". Lines containing "//" are comments. Section names and keys match whole
// (trimmed, ignoring case), so "2", "20" and "200" never disturb each other. Lines are kept as bytes with
// their own line ends, so a store changes only the line it writes and every other line survives as it was.
class CalibrationFile {
 public:
  // Far larger than any calibration table; a bigger file is not read (nor written over).
  static constexpr qint64 kMaxBytes = 4 << 20;

  // Reads the whole file; a missing file is an empty one. False when the file exists but cannot be read.
  bool load(const QString& path);
  // Writes the lines back through a temporary file renamed over the old one.
  WriteResult save(const QString& path) const;
  QByteArray serialise() const;

  std::optional<QString> lookup(const QString& magnification) const;
  void store(const QString& magnification, const QString& value);

  int lineCount() const { return static_cast<int>(lines_.size()); }

 private:
  struct Line {
    QByteArray text;  // without its line end
    QByteArray end;   // "\n", "\r\n" or empty for a last line without one
  };
  int findSection(const QByteArray& name) const;
  int findKey(int headerIndex, const QByteArray& key) const;
  QByteArray newLineEnd() const;

  QByteArray bom_;
  QList<Line> lines_;
};

// The calibration stored for a magnification in the file at path, or nothing (also when the file cannot
// be read or the magnification text is empty).
std::optional<QString> lookupCalibration(const QString& path, const QString& magnification);
// Stores the value text ("%.1f") under the magnification; on failure the file is as it was and the
// result says why.
WriteResult storeCalibration(const QString& path, const QString& magnification, const QString& value);

// The same on AppContext::current().paths().calibrationFile().
std::optional<QString> lookupCalibration(const QString& magnification);
WriteResult storeCalibration(const QString& magnification, const QString& value);

}  // namespace lumivex
