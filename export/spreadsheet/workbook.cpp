#include "export/spreadsheet/workbook.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace lumivex {
namespace {

const QDate kEpoch(1899, 12, 30);

}  // namespace

WorkbookCell WorkbookCell::ofText(const QString& value) {
  WorkbookCell cell;
  cell.type = value.isEmpty() ? Type::Empty : Type::Text;
  cell.text = value;
  return cell;
}

WorkbookCell WorkbookCell::ofNumber(double value) {
  WorkbookCell cell;
  cell.type = Type::Number;
  cell.number = value;
  return cell;
}

QString WorkbookCell::displayText() const {
  switch (type) {
    case Type::Empty:
      return {};
    case Type::Text:
      return text;
    case Type::Number:
      return QString::number(number, 'g', 15);
    case Type::Boolean:
      return number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Type::Date: {
      const double days = std::floor(number);
      const QDate date = kEpoch.addDays(static_cast<qint64>(days));
      if (!hasTime) return date.toString(Qt::ISODate);
      const int seconds = static_cast<int>(std::lround((number - days) * 86400.0));
      return QDateTime(date, QTime(0, 0)).addSecs(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
  }
  return {};
}

bool WorkbookSheet::isEmpty() const {
  return std::all_of(rows.begin(), rows.end(), [](const auto& row) {
    return std::all_of(row.begin(), row.end(), [](const WorkbookCell& cell) { return cell.isEmpty(); });
  });
}

int WorkbookSheet::columnCount() const {
  std::size_t widest = 0;
  for (const auto& row : rows) widest = std::max(widest, row.size());
  return static_cast<int>(widest);
}

void WorkbookSheet::trim() {
  for (auto& row : rows)
    while (!row.empty() && row.back().isEmpty()) row.pop_back();
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
}

WorkbookSheet* Workbook::find(const QString& name) {
  for (WorkbookSheet& sheet : sheets)
    if (sheet.name.compare(name, Qt::CaseInsensitive) == 0) return &sheet;
  return nullptr;
}

const WorkbookSheet* Workbook::find(const QString& name) const { return const_cast<Workbook*>(this)->find(name); }

DateFormat classifyNumberFormat(int id, const QString& customCode) {
  DateFormat result;
  if (customCode.isEmpty()) {
    result.date = (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
    result.time = (id >= 18 && id <= 22) || (id >= 45 && id <= 47);
    return result;
  }
  // Letters inside quotes or brackets, and escaped ones, are text or colours, not date parts. A month
  // ("m") never comes without a day, a year or, as minutes, a second.
  bool quoted = false;
  bool bracket = false;
  for (qsizetype i = 0; i < customCode.size(); ++i) {
    const QChar c = customCode[i].toLower();
    if (quoted) {
      quoted = c != u'"';
      continue;
    }
    if (bracket) {
      bracket = c != u']';
      continue;
    }
    if (c == u'"') quoted = true;
    if (c == u'[') bracket = true;
    if (c == u'\\' || c == u'_' || c == u'*') ++i;
    if (c == u'y' || c == u'd') result.date = true;
    if (c == u'h' || c == u's') result.date = result.time = true;
  }
  return result;
}

bool serialFromIsoText(const QString& text, double* serial, bool* hasTime) {
  // Date and time are read apart: a local date-time in a daylight-saving gap would not parse.
  const QStringList parts = text.trimmed().split(u' ');
  if (parts.size() > 2) return false;
  QDate date = kEpoch;
  QTime time;
  if (parts.size() == 2 || parts[0].size() == 10) {
    date = QDate::fromString(parts[0], Qt::ISODate);
    if (!date.isValid() || parts[0].size() != 10) return false;
  }
  if (parts.size() == 2 || parts[0].size() == 8) {
    time = QTime::fromString(parts.back(), QStringLiteral("HH:mm:ss"));
    if (!time.isValid()) return false;
  }
  if (!date.isValid() || (parts.size() == 1 && parts[0].size() != 10 && parts[0].size() != 8)) return false;
  *hasTime = time.isValid();
  *serial =
      static_cast<double>(kEpoch.daysTo(date)) + (time.isValid() ? time.msecsSinceStartOfDay() / 86400000.0 : 0.0);
  return true;
}

}  // namespace lumivex
