#include "export/report_row.h"

#include "measure/measure_shape.h"
#include "measure/shape_builder.h"
#include "measure/shape_list.h"

#include <initializer_list>

namespace lumivex {
namespace {

constexpr int kTotal = -1;  // the cell holds the continuous-line total, not a label

struct Cell {
  ReportRow::Column column;
  int label;
};

struct Entry {
  const char* name;
  std::initializer_list<Cell> cells;
};

using C = ReportRow;
constexpr std::initializer_list<Cell> kLengthCells{{C::kLength, 0}};
constexpr std::initializer_list<Cell> kTotalLengthCells{{C::kLength, kTotal}};
constexpr std::initializer_list<Cell> kRectangleCells{{C::kWidth, 1}, {C::kHeight, 2}, {C::kArea, 0}};
constexpr std::initializer_list<Cell> kAreaCells{{C::kArea, 0}};
constexpr std::initializer_list<Cell> kCircleCells{{C::kRadius1, 1}, {C::kArea, 0}, {C::kGirth, 2}};
constexpr std::initializer_list<Cell> kTwoCirclesCells{{C::kLength, 2}, {C::kRadius1, 0}, {C::kRadius2, 1}};
constexpr std::initializer_list<Cell> kAngleCells{{C::kAngle, 0}};
constexpr std::initializer_list<Cell> kArcCells{{C::kRadius1, 0}, {C::kAngle, 1}, {C::kArc, 2}};

// Names are kept letter for letter ("Ploygon", "dot Line"): files people already use are sorted and
// filtered on them.
std::optional<Entry> stillEntry(ShapeKind kind) {
  switch (kind) {
    case ShapeKind::Line:
      return Entry{"Line", kLengthCells};
    case ShapeKind::DotLine:
      return Entry{"Dot Line", kLengthCells};
    case ShapeKind::ParallelLine:
      return Entry{"Parallel Line", kLengthCells};
    case ShapeKind::ContinuousLine:
      return Entry{"Continual Line", kTotalLengthCells};
    case ShapeKind::Rectangle:
      return Entry{"Rectangle", kRectangleCells};
    case ShapeKind::Polygon:
      return Entry{"Ploygon", kAreaCells};
    case ShapeKind::RadiusCircle:
      return Entry{"Radius Circle", kCircleCells};
    case ShapeKind::DiameterCircle:
      return Entry{"Diameter Circle", kCircleCells};
    case ShapeKind::ThreePointCircle:
      return Entry{"Three Point Circle", kCircleCells};
    case ShapeKind::TwoCircles:
      return Entry{"distance of two Circles", kTwoCirclesCells};
    case ShapeKind::Angle:
      return Entry{"three point angle", kAngleCells};
    case ShapeKind::FourPointAngle:
      return Entry{"four point angle", kAngleCells};
    case ShapeKind::AutoLineSpacing:
    case ShapeKind::AutoLineLength1:
    case ShapeKind::AutoLineLength2:
      return Entry{"Line", kLengthCells};
    case ShapeKind::AutoCircle:
      return Entry{"Identify Circle", kCircleCells};
    case ShapeKind::AutoAngle:
      return Entry{"Auto Angle-Detection", kAngleCells};
    case ShapeKind::Arc:
    case ShapeKind::AutoArc:
      return Entry{"Arc", kArcCells};
    default:
      return std::nullopt;
  }
}

std::optional<Entry> liveEntry(int tool) {
  switch (tool) {
    case 1:
    case 24:
      return Entry{"Line", kLengthCells};
    case 2:
      return Entry{"dot Line", kLengthCells};
    case 3:
      return Entry{"Parallel Line", kLengthCells};
    case 4:
      return Entry{"Continual Line", kTotalLengthCells};
    case 5:
      return Entry{"Rectangle", kRectangleCells};
    case 6:
      return Entry{"Ploygon", kAreaCells};
    case 8:
      return Entry{"Radius Circle", kCircleCells};
    case 9:
      return Entry{"Diameter Circle", kCircleCells};
    case 10:
      return Entry{"Three Point Circle", kCircleCells};
    case 11:
      return Entry{"distance of two Circles", kTwoCirclesCells};
    case 12:
      return Entry{"three point angle", kAngleCells};
    case 13:
    case 25:
      return Entry{"four point angle", kAngleCells};
    case 17:
      return Entry{"Arc Measurement", kArcCells};
    case 21:
      return Entry{"Auto Circle Measurement", kCircleCells};
    case 22:
      return Entry{"Auto Line Measurement", kLengthCells};
    case 23:
      return Entry{"Auto Arc Measurement", kArcCells};
    default:
      return std::nullopt;
  }
}

}  // namespace

QStringList ReportRow::toStringList() const { return QStringList(cells.begin(), cells.end()); }

QStringList reportHeader(ReportSource source) {
  return {QStringLiteral("measuring objective"),
          QStringLiteral("Length"),
          QStringLiteral("Radius1"),
          QStringLiteral("Radius2"),
          QStringLiteral("Width"),
          QStringLiteral("Height"),
          QStringLiteral("Area"),
          QStringLiteral("Angle"),
          QStringLiteral("Girth"),
          source == ReportSource::Live ? QStringLiteral("Arc-length") : QStringLiteral("Arc")};
}

std::optional<ReportRow> reportRow(ReportSource source, const MeasureShape& shape, const TotalFormat& total) {
  const std::optional<Entry> entry =
      source == ReportSource::Still ? stillEntry(shape.kind) : liveEntry(static_cast<int>(shape.kind));
  if (!entry) return std::nullopt;
  ReportRow row;
  row.cells[ReportRow::kName] = QString::fromLatin1(entry->name);
  for (const Cell& cell : entry->cells)
    row.cells[cell.column] =
        cell.label == kTotal ? reportContinuousTotal(shape, total) : shape.labels.value(cell.label);
  return row;
}

std::vector<ReportRow> reportRows(ReportSource source, const std::vector<const MeasureShape*>& shapes,
                                  const TotalFormat& total) {
  std::vector<ReportRow> rows;
  rows.reserve(shapes.size());
  for (const MeasureShape* shape : shapes)
    if (shape)
      if (std::optional<ReportRow> row = reportRow(source, *shape, total)) rows.push_back(std::move(*row));
  return rows;
}

QString reportContinuousTotal(const MeasureShape& shape, const TotalFormat& total) {
  // Segment label j stands at point 2j + 2; a label without its anchor (a record cut short) is not a
  // finished segment.
  const qsizetype finished = std::max<qsizetype>(0, (shape.points.size() - 1) / 2);
  const QStringList segments = shape.labels.mid(0, std::min(finished, shape.labels.size()));
  return continuousTotalText(segments, total.decimals, total.unitName);
}

std::vector<const MeasureShape*> shapesOf(const ShapeList& list) {
  std::vector<const MeasureShape*> shapes;
  shapes.reserve(static_cast<std::size_t>(list.count()));
  for (int i = 0; i < list.count(); ++i) shapes.push_back(&list.at(i));
  return shapes;
}

}  // namespace lumivex
