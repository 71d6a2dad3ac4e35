#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>

namespace lumivex {

// The start time as the dialog's six fields give it. Hour 24 and minute or second 60 are accepted, as is
// a day the month does not have: they compare field by field like any other value.
struct StartFields {
  int year = 2008;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;

  static StartFields of(const QDateTime& local);
  // Field by field, year first (the seconds of now count, its milliseconds do not).
  bool isBefore(const QDateTime& now) const;
  // The first local time whose fields are not below these: the moment a clock reading fields reaches
  // them (hour 24 is the next day's midnight, 31 April is 1 May's).
  QDateTime earliestReaching() const;
};

// The dialog's numeric fields: control id, range and what they hold.
struct TimedField {
  int id;
  int minimum;
  int maximum;
};
inline constexpr std::array<TimedField, 9> kTimedFields{{
    {1017, 2008, 2032},  // start year
    {1018, 1, 12},       // month
    {1019, 1, 31},       // day
    {1020, 0, 24},       // hour
    {1021, 0, 60},       // minute
    {1022, 0, 60},       // second
    {1023, 0, 999},      // interval minutes
    {1024, 3, 60},       // interval seconds
    {1025, 1, 200},      // number of pictures
}};

// The series' size on disk in hundredths of a megabyte, as the dialog estimates it: pictures x bytes
// per frame x 1/19200 on the high-resolution model, x 5/65536 otherwise, truncated.
struct SizeEstimate {
  static std::int64_t hundredths(int pictures, std::int64_t frameBytes, bool highResolutionModel);
  // "%4d.%02d": whole megabytes and hundredths (0.05 MB reads "   0.05").
  static QString text(int pictures, std::int64_t frameBytes, bool highResolutionModel);
};

}  // namespace lumivex
