#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace lumivex {

struct MeasureShape;
class ShapeList;

// Which list the shapes come from. The still list stores ShapeKind codes, the live list the live tool
// codes (live 4 is a continuous line, still 4 a text), so each source has its own table and a shape is
// never looked up in the other's.
enum class ReportSource { Still, Live };

// The unit and decimals in force, used for a continuous line's total when its segment texts do not agree
// on their own.
struct TotalFormat {
  int decimals = 3;
  QString unitName = QStringLiteral("mm");
};

// One spreadsheet row of the measurement report: the entry name, then one cell per header column. A cell
// holds a copy of one of the shape's label texts as drawn, prefix included ("L:2.963mm" under "Length"),
// the continuous-line total, or the empty text. A label the shape does not have gives the empty text.
struct ReportRow {
  enum Column { kName, kLength, kRadius1, kRadius2, kWidth, kHeight, kArea, kAngle, kGirth, kArc, kColumns };
  std::array<QString, kColumns> cells;

  QStringList toStringList() const;
};

// The ten header texts, written once before the first row; the live source calls the last one "Arc-length".
QStringList reportHeader(ReportSource source);

// The row of one shape, or nothing for a kind the source does not report (texts, labels, unknown codes).
std::optional<ReportRow> reportRow(ReportSource source, const MeasureShape& shape, const TotalFormat& total);
// The rows of a list in list order, one per reported shape.
std::vector<ReportRow> reportRows(ReportSource source, const std::vector<const MeasureShape*>& shapes,
                                  const TotalFormat& total);

// A continuous line's total "T:..." over the segment labels that have their anchor in the point list, or
// the empty text when they sum to 0 or there is no segment.
QString reportContinuousTotal(const MeasureShape& shape, const TotalFormat& total);

// The shapes of the still list as the report functions take them (borrowed, valid while the list is).
std::vector<const MeasureShape*> shapesOf(const ShapeList& list);

}  // namespace lumivex
