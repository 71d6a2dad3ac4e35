#include "capture/timed/timed_capture_rules.h"

#include <tuple>

namespace lumivex {

StartFields StartFields::of(const QDateTime& local) {
  const QDate d = local.date();
  const QTime t = local.time();
  return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

bool StartFields::isBefore(const QDateTime& now) const {
  const StartFields n = of(now);
  return std::tie(year, month, day, hour, minute, second) <
         std::tie(n.year, n.month, n.day, n.hour, n.minute, n.second);
}

QDateTime StartFields::earliestReaching() const {
  const QDate first(year, month, 1);
  if (!first.isValid()) return {};
  if (day > first.daysInMonth()) return QDateTime(first.addMonths(1), QTime(0, 0));
  const QDate date(year, month, day);
  // Carry 60 seconds into the minute and 60 minutes into the hour; hour 24 is the next midnight.
  int h = hour;
  int m = minute;
  int s = second;
  if (s >= 60) {
    s = 0;
    ++m;
  }
  if (m >= 60) {
    m = 0;
    s = 0;
    ++h;
  }
  if (h >= 24) return QDateTime(date.addDays(1), QTime(0, 0));
  return QDateTime(date, QTime(h, m, s));
}

std::int64_t SizeEstimate::hundredths(int pictures, std::int64_t frameBytes, bool highResolutionModel) {
  const std::int64_t bytes = static_cast<std::int64_t>(pictures) * frameBytes;
  return highResolutionModel ? bytes / 19200 : bytes * 5 / 65536;
}

QString SizeEstimate::text(int pictures, std::int64_t frameBytes, bool highResolutionModel) {
  const std::int64_t d = hundredths(pictures, frameBytes, highResolutionModel);
  const std::int64_t whole = d / 100;
  return QString::asprintf("%4lld.%02lld", static_cast<long long>(whole), static_cast<long long>(d - 100 * whole));
}

}  // namespace lumivex
