#include "capture/recorder/video_naming.h"

#include "capture/still/still_naming.h"

namespace lumivex {

int VideoNaming::nextCounter(const QString& folder, const std::function<void(const QString&)>& onFolder) {
  return StillNaming::nextCounter(folder, QLatin1String(kExtension), onFolder);
}

QString VideoNaming::fileName(const QString& folder, const QDateTime& localTime, int counter, const char* prefix) {
  const QDate d = localTime.date();
  const QTime t = localTime.time();
  return folder + QLatin1Char('/') +
         QString::asprintf("%s%4d-%02d-%02d_%02d%02d%02d_N%04d%s", prefix, d.year(), d.month(), d.day(), t.hour(),
                           t.minute(), t.second(), counter, kExtension);
}

QString VideoNaming::nextPath(const QString& folder, const QDateTime& localTime,
                              const std::function<void(const QString&)>& onFolder, const char* prefix) {
  return fileName(folder, localTime, nextCounter(folder, onFolder), prefix);
}

}  // namespace lumivex
