#include "export/report_block.h"

#include "measure/measure_shape.h"

#include <initializer_list>

namespace lumivex {
namespace {

constexpr int kTotal = -1;  // the line holds the continuous-line total, not a label

struct Line {
  const char* caption;
  int label;
};

struct Entry {
  const char* name;
  std::initializer_list<Line> lines;
};

constexpr std::initializer_list<Line> kLengthLines{{"Length:", 0}};
constexpr std::initializer_list<Line> kTotalLines{{"Length:", kTotal}};
constexpr std::initializer_list<Line> kRectangleLines{{"Width:", 1}, {"Height:", 2}, {"Area:", 0}};
constexpr std::initializer_list<Line> kAreaLines{{"Area:", 0}};
constexpr std::initializer_list<Line> kCircleLines{{"Radius1:", 1}, {"Area:", 0}, {"Girth:", 2}};
constexpr std::initializer_list<Line> kTwoCirclesLines{{"Length:", 2}, {"Radius1:", 0}, {"Radius2:", 1}};
constexpr std::initializer_list<Line> kAngleLines{{"Angle:", 0}};
constexpr std::initializer_list<Line> kAutoCircleLines{{"Area:", 0}, {"Radius:", 1}, {"Girth:", 2}};
constexpr std::initializer_list<Line> kArcLines{{"Radius:", 0}, {"Angle:", 1}, {"Arc:", 2}};

// Arcs get a block too (radius, angle, arc length, as the live automatic arc has): the spreadsheet has
// always reported them, and a report that silently leaves measured arcs out is incomplete.
std::optional<Entry> stillEntry(ShapeKind kind) {
  switch (kind) {
    case ShapeKind::Line:
      return Entry{"Line", kLengthLines};
    case ShapeKind::DotLine:
      return Entry{"Dot Line", kLengthLines};
    case ShapeKind::ParallelLine:
      return Entry{"Parallel Line", kLengthLines};
    case ShapeKind::ContinuousLine:
      return Entry{"Continual Line", kTotalLines};
    case ShapeKind::Rectangle:
      return Entry{"Rectangle", kRectangleLines};
    case ShapeKind::Polygon:
      return Entry{"Ploygon", kAreaLines};
    case ShapeKind::RadiusCircle:
      return Entry{"Radius Circle", kCircleLines};
    case ShapeKind::DiameterCircle:
      return Entry{"Diameter Circle", kCircleLines};
    case ShapeKind::ThreePointCircle:
      return Entry{"Three Point Circle", kCircleLines};
    case ShapeKind::TwoCircles:
      return Entry{"distance of two Circles", kTwoCirclesLines};
    case ShapeKind::Angle:
      return Entry{"three point angle", kAngleLines};
    case ShapeKind::FourPointAngle:
      return Entry{"four point angle", kAngleLines};
    case ShapeKind::AutoLineSpacing:
      return Entry{"Auto Line-Detection", kLengthLines};
    case ShapeKind::AutoLineLength1:
      return Entry{"Auto Line-Length1", kLengthLines};
    case ShapeKind::AutoLineLength2:
      return Entry{"Auto Line-Length2", kLengthLines};
    case ShapeKind::AutoCircle:
      return Entry{"Auto Circle-Detection", kCircleLines};
    case ShapeKind::AutoAngle:
      return Entry{"Auto Angle-Detection", kAngleLines};
    case ShapeKind::Arc:
    case ShapeKind::AutoArc:
      return Entry{"Arc", kArcLines};
    default:
      return std::nullopt;
  }
}

std::optional<Entry> liveEntry(int tool) {
  switch (tool) {
    case 1:
    case 24:
      return Entry{"Line", kLengthLines};
    case 2:
      return Entry{"Dot Line", kLengthLines};
    case 3:
      return Entry{"Parallel Line", kLengthLines};
    case 4:
      return Entry{"Continual Line", kTotalLines};
    case 5:
      return Entry{"Rectangle", kRectangleLines};
    case 6:
      return Entry{"Ploygon", kAreaLines};
    case 8:
      return Entry{"Radius Circle", kCircleLines};
    case 9:
      return Entry{"Diameter Circle", kCircleLines};
    case 10:
      return Entry{"Three Point Circle", kCircleLines};
    case 11:
      return Entry{"distance of two Circles", kTwoCirclesLines};
    case 12:
      return Entry{"three point angle", kAngleLines};
    case 13:
    case 25:
      return Entry{"four point angle", kAngleLines};
    case 17:
      return Entry{"Arc Measurement", kArcLines};
    case 21:
      return Entry{"Auto Circle Measurement", kAutoCircleLines};
    case 22:
      return Entry{"Auto Line Measurement", kLengthLines};
    case 23:
      return Entry{"Auto Arc Measurement", kArcLines};
    default:
      return std::nullopt;
  }
}

}  // namespace

QStringList reportHeaderLines() { return {QStringLiteral("File Name:"), QStringLiteral("Time of establishment:")}; }

std::optional<ReportBlock> reportBlock(ReportSource source, const MeasureShape& shape, const TotalFormat& total) {
  const std::optional<Entry> entry =
      source == ReportSource::Still ? stillEntry(shape.kind) : liveEntry(static_cast<int>(shape.kind));
  if (!entry) return std::nullopt;
  ReportBlock block;
  block.name = QString::fromLatin1(entry->name);
  for (const Line& line : entry->lines) {
    const QString value = line.label == kTotal ? reportContinuousTotal(shape, total) : shape.labels.value(line.label);
    block.lines.append(QString::fromLatin1(line.caption) + value);
  }
  return block;
}

std::vector<ReportBlock> reportBlocks(ReportSource source, const std::vector<const MeasureShape*>& shapes,
                                      const TotalFormat& total) {
  std::vector<ReportBlock> blocks;
  blocks.reserve(shapes.size());
  for (const MeasureShape* shape : shapes)
    if (shape)
      if (std::optional<ReportBlock> block = reportBlock(source, *shape, total)) blocks.push_back(std::move(*block));
  return blocks;
}

}  // namespace lumivex
