#include "capture/still/still_naming.h"

#include "core/atomic_file.h"

#include <QDirIterator>
#include <QFileInfo>

#include <limits>

namespace lumivex {

int StillNaming::counterOf(const QString& fileName) {
  const qsizetype n = fileName.lastIndexOf(QLatin1Char('N'));
  if (n < 0) return 0;
  QString tail = fileName.mid(n + 1);
  // The dot is looked for from the end down to the second character only: a leading dot is kept.
  const qsizetype dot = tail.lastIndexOf(QLatin1Char('.'));
  if (dot >= 1) tail.truncate(dot);
  long long value = 0;
  for (const QChar c : tail) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
    value = value * 10 + (c.unicode() - u'0');
    if (value > std::numeric_limits<int>::max() - 1) return std::numeric_limits<int>::max() - 1;
  }
  return static_cast<int>(value);
}

int StillNaming::nextCounter(const QString& folder, const QString& extension,
                             const std::function<void(const QString&)>& onFolder) {
  int largest = 0;
  QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
  while (it.hasNext()) {
    it.next();
    const QString name = it.fileName();
    if (!name.endsWith(extension, Qt::CaseInsensitive) || name.size() <= extension.size()) continue;
    // A file being written by the atomic writer is not a picture yet (and its random tail may hold an N).
    if (AtomicFile::isTemporaryName(name)) continue;
    if (it.fileInfo().isDir()) {
      if (onFolder) onFolder(name);
      continue;
    }
    largest = std::max(largest, counterOf(name));
  }
  return largest + 1;
}

QString StillNaming::fileName(const QString& folder, const QDateTime& localTime, const QString& magnification,
                              int counter, const QString& extension) {
  const QDate d = localTime.date();
  const QTime t = localTime.time();
  QString name = QString::asprintf("%s%4d-%02d-%02d_%02d%02d%02d", kPrefix, d.year(), d.month(), d.day(), t.hour(),
                                   t.minute(), t.second());
  if (!magnification.isEmpty()) name += QLatin1Char('_') + magnification + QLatin1Char('X');
  name += QStringLiteral("_N") + QString::asprintf("%04d", counter) + extension;
  return folder + QLatin1Char('/') + name;
}

}  // namespace lumivex
