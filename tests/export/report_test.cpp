#include "export/report_block.h"
#include "export/report_row.h"
#include "measure/shape_builder.h"
#include "measure/shape_list.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace lumivex {
namespace {

using Cells = std::array<const char*, ReportRow::kColumns>;

// Labels that say which index they are, so a cell shows which label it received.
MeasureShape shapeOfKind(int kind, QStringList labels = {"x0", "x1", "x2"}) {
  MeasureShape shape;
  shape.kind = static_cast<ShapeKind>(kind);
  shape.labels = std::move(labels);
  return shape;
}

// A continuous line in the stored layout V0, V1, A1, V2, A2 with the given segment texts.
MeasureShape continuousLine(int kind, const QStringList& segments) {
  MeasureShape shape = shapeOfKind(kind, segments);
  shape.points = {{0, 0}};
  for (int i = 0; i < segments.size(); ++i) shape.points << QPoint(10 * (i + 1), 0) << QPoint(10 * i + 5, 5);
  return shape;
}

struct Case {
  int kind;
  std::optional<Cells> row;  // nothing: the kind has no row
  const char* blockName;     // nullptr: the kind has no block
  std::vector<const char*> blockLines;
};

void checkTable(ReportSource source, const std::vector<Case>& cases) {
  const TotalFormat total;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    const MeasureShape shape = shapeOfKind(c.kind);
    const std::optional<ReportRow> row = reportRow(source, shape, total);
    ASSERT_EQ(row.has_value(), c.row.has_value());
    if (row) {
      for (int col = 0; col < ReportRow::kColumns; ++col) EXPECT_EQ(row->cells[col], QString((*c.row)[col])) << col;
    }
    const std::optional<ReportBlock> block = reportBlock(source, shape, total);
    ASSERT_EQ(block.has_value(), c.blockName != nullptr);
    if (!block) continue;
    EXPECT_EQ(block->name, QString(c.blockName));
    QStringList lines;
    for (const char* line : c.blockLines) lines << QString(line);
    EXPECT_EQ(block->lines, lines);
  }
}

TEST(ReportTable, StillSourceKinds) {
  const Cells line{"Line", "x0", "", "", "", "", "", "", "", ""};
  const std::vector<const char*> length{"Length:x0"};
  const std::vector<const char*> circleLines{"Radius1:x1", "Area:x0", "Girth:x2"};
  checkTable(
      ReportSource::Still,
      {
          {1, line, "Line", length},
          {22, Cells{"Dot Line", "x0", "", "", "", "", "", "", "", ""}, "Dot Line", length},
          {12, Cells{"Parallel Line", "x0", "", "", "", "", "", "", "", ""}, "Parallel Line", length},
          {3,
           Cells{"Rectangle", "", "", "", "x1", "x2", "x0", "", "", ""},
           "Rectangle",
           {"Width:x1", "Height:x2", "Area:x0"}},
          {7, Cells{"Ploygon", "", "", "", "", "", "x0", "", "", ""}, "Ploygon", {"Area:x0"}},
          {2, Cells{"Radius Circle", "", "x1", "", "", "", "x0", "", "x2", ""}, "Radius Circle", circleLines},
          {8, Cells{"Diameter Circle", "", "x1", "", "", "", "x0", "", "x2", ""}, "Diameter Circle", circleLines},
          {9, Cells{"Three Point Circle", "", "x1", "", "", "", "x0", "", "x2", ""}, "Three Point Circle", circleLines},
          {11,
           Cells{"distance of two Circles", "x2", "x0", "x1", "", "", "", "", "", ""},
           "distance of two Circles",
           {"Length:x2", "Radius1:x0", "Radius2:x1"}},
          {5, Cells{"three point angle", "", "", "", "", "", "", "x0", "", ""}, "three point angle", {"Angle:x0"}},
          {10, Cells{"four point angle", "", "", "", "", "", "", "x0", "", ""}, "four point angle", {"Angle:x0"}},
          {18, line, "Auto Line-Detection", length},
          {23, line, "Auto Line-Length1", length},
          {24, line, "Auto Line-Length2", length},
          {19, Cells{"Identify Circle", "", "x1", "", "", "", "x0", "", "x2", ""}, "Auto Circle-Detection",
           circleLines},
          {21,
           Cells{"Auto Angle-Detection", "", "", "", "", "", "", "x0", "", ""},
           "Auto Angle-Detection",
           {"Angle:x0"}},
          {222, Cells{"Arc", "", "x0", "", "", "", "", "x1", "", "x2"}, "Arc", {"Radius:x0", "Angle:x1", "Arc:x2"}},
          {333, Cells{"Arc", "", "x0", "", "", "", "", "x1", "", "x2"}, "Arc", {"Radius:x0", "Angle:x1", "Arc:x2"}},
          // Texts, labels, the unset kind and live-only codes give nothing.
          {4, std::nullopt, nullptr, {}},
          {13, std::nullopt, nullptr, {}},
          {14, std::nullopt, nullptr, {}},
          {17, std::nullopt, nullptr, {}},
          {25, std::nullopt, nullptr, {}},
          {100, std::nullopt, nullptr, {}},
          {0, std::nullopt, nullptr, {}},
      });
}

TEST(ReportTable, LiveSourceKinds) {
  const Cells line{"Line", "x0", "", "", "", "", "", "", "", ""};
  const std::vector<const char*> length{"Length:x0"};
  const std::vector<const char*> circleLines{"Radius1:x1", "Area:x0", "Girth:x2"};
  const Cells fourPoint{"four point angle", "", "", "", "", "", "", "x0", "", ""};
  checkTable(
      ReportSource::Live,
      {
          {1, line, "Line", length},
          {24, line, "Line", length},
          {2, Cells{"dot Line", "x0", "", "", "", "", "", "", "", ""}, "Dot Line", length},
          {3, Cells{"Parallel Line", "x0", "", "", "", "", "", "", "", ""}, "Parallel Line", length},
          {5,
           Cells{"Rectangle", "", "", "", "x1", "x2", "x0", "", "", ""},
           "Rectangle",
           {"Width:x1", "Height:x2", "Area:x0"}},
          {6, Cells{"Ploygon", "", "", "", "", "", "x0", "", "", ""}, "Ploygon", {"Area:x0"}},
          {8, Cells{"Radius Circle", "", "x1", "", "", "", "x0", "", "x2", ""}, "Radius Circle", circleLines},
          {9, Cells{"Diameter Circle", "", "x1", "", "", "", "x0", "", "x2", ""}, "Diameter Circle", circleLines},
          {10, Cells{"Three Point Circle", "", "x1", "", "", "", "x0", "", "x2", ""}, "Three Point Circle",
           circleLines},
          {11,
           Cells{"distance of two Circles", "x2", "x0", "x1", "", "", "", "", "", ""},
           "distance of two Circles",
           {"Length:x2", "Radius1:x0", "Radius2:x1"}},
          {12, Cells{"three point angle", "", "", "", "", "", "", "x0", "", ""}, "three point angle", {"Angle:x0"}},
          {13, fourPoint, "four point angle", {"Angle:x0"}},
          {25, fourPoint, "four point angle", {"Angle:x0"}},
          {17,
           Cells{"Arc Measurement", "", "x0", "", "", "", "", "x1", "", "x2"},
           "Arc Measurement",
           {"Radius:x0", "Angle:x1", "Arc:x2"}},
          {21,
           Cells{"Auto Circle Measurement", "", "x1", "", "", "", "x0", "", "x2", ""},
           "Auto Circle Measurement",
           {"Area:x0", "Radius:x1", "Girth:x2"}},
          {22, Cells{"Auto Line Measurement", "x0", "", "", "", "", "", "", "", ""}, "Auto Line Measurement", length},
          {23,
           Cells{"Auto Arc Measurement", "", "x0", "", "", "", "", "x1", "", "x2"},
           "Auto Arc Measurement",
           {"Radius:x0", "Angle:x1", "Arc:x2"}},
          // 7 (ellipse), labels, text, comparison tools and still-only codes give nothing.
          {7, std::nullopt, nullptr, {}},
          {14, std::nullopt, nullptr, {}},
          {15, std::nullopt, nullptr, {}},
          {16, std::nullopt, nullptr, {}},
          {18, std::nullopt, nullptr, {}},
          {19, std::nullopt, nullptr, {}},
          {20, std::nullopt, nullptr, {}},
          {222, std::nullopt, nullptr, {}},
          {333, std::nullopt, nullptr, {}},
      });
}

TEST(ReportTable, HeadersAndListOrder) {
  EXPECT_EQ(reportHeader(ReportSource::Still), (QStringList{"measuring objective", "Length", "Radius1", "Radius2",
                                                            "Width", "Height", "Area", "Angle", "Girth", "Arc"}));
  EXPECT_EQ(reportHeader(ReportSource::Live).back(), QStringLiteral("Arc-length"));
  EXPECT_EQ(reportHeaderLines(), (QStringList{"File Name:", "Time of establishment:"}));

  // An empty list and a list of texts and labels give no rows and no blocks.
  EXPECT_TRUE(reportRows(ReportSource::Still, {}, {}).empty());
  ShapeList list;
  list.append(std::make_unique<MeasureShape>(makeText({1, 1}, "note", 0, LogFont::defaultFont())));
  list.append(std::make_unique<MeasureShape>(makeCircleLabel({5, 5}, 1)));
  list.append(std::make_unique<MeasureShape>(makeSquareLabel({9, 9}, 1)));
  EXPECT_TRUE(reportRows(ReportSource::Still, shapesOf(list), {}).empty());
  EXPECT_TRUE(reportBlocks(ReportSource::Still, shapesOf(list), {}).empty());

  // Rows follow list order, one per reported shape; a live continuous line (4) is never a still text.
  const MeasureShape live4 = continuousLine(4, {"1.000mm", "2.500mm"});
  const MeasureShape live16 = shapeOfKind(16, {"note"});
  const MeasureShape live1 = shapeOfKind(1, {"L:2.963mm"});
  const std::vector<const MeasureShape*> live{&live4, &live16, &live1};
  const std::vector<ReportRow> rows = reportRows(ReportSource::Live, live, {});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].toStringList(), (QStringList{"Continual Line", "T:3.500mm", "", "", "", "", "", "", "", ""}));
  EXPECT_EQ(rows[1].cells[ReportRow::kLength], QStringLiteral("L:2.963mm"));
  EXPECT_TRUE(reportRows(ReportSource::Still, live, {}).size() == 1);  // only the live 1 reads as a still line
  const std::vector<ReportBlock> blocks = reportBlocks(ReportSource::Live, live, {});
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].lines, QStringList{"Length:T:3.500mm"});
  EXPECT_EQ(blocks[1].lines, QStringList{"Length:L:2.963mm"});
}

TEST(ReportTable, MissingAndPaintModeLabels) {
  // Records without labels (cut short, or made by hand) give empty cells and captions alone.
  for (int kind : {1, 2, 3, 11, 222}) {
    const MeasureShape bare = shapeOfKind(kind, {});
    const std::optional<ReportRow> row = reportRow(ReportSource::Still, bare, {});
    ASSERT_TRUE(row);
    for (int col = 1; col < ReportRow::kColumns; ++col) EXPECT_TRUE(row->cells[col].isEmpty());
    const std::optional<ReportBlock> block = reportBlock(ReportSource::Still, bare, {});
    ASSERT_TRUE(block);
    for (const QString& line : block->lines) EXPECT_TRUE(line.endsWith(u':')) << line.toStdString();
  }
  // Paint-mode shapes keep their row with empty values.
  std::optional<MeasureShape> painted = makeRadiusCircle({0, 0}, {10, 0}, {10, 0}, {0.02963, 10, 3, "mm"});
  ASSERT_TRUE(painted);
  blankLabels(*painted);
  const std::optional<ReportRow> row = reportRow(ReportSource::Still, *painted, {});
  ASSERT_TRUE(row);
  EXPECT_EQ(row->toStringList(), (QStringList{"Radius Circle", "", "", "", "", "", "", "", "", ""}));
  const MeasureShape paintedLine = continuousLine(6, {"", ""});
  EXPECT_EQ(reportRow(ReportSource::Still, paintedLine, {})->cells[ReportRow::kLength], QString());
}

TEST(ReportTable, ContinuousLineTotal) {
  struct TotalCase {
    QStringList segments;
    TotalFormat current;
    const char* expected;
  };
  const std::vector<TotalCase> cases{
      {{"1.000mm", "2.500mm"}, {3, "mm"}, "T:3.500mm"},
      // Measured in mm, unit switched to inch afterwards: the sum stays in mm with its own decimals.
      {{"1.000mm", "2.500mm"}, {2, "inch"}, "T:3.500mm"},
      {{"0.12inch", "0.30inch"}, {5, "mm"}, "T:0.42inch"},
      // Segments that disagree take the current unit and decimals.
      {{"1.00mm", "2.500mm"}, {2, "cm"}, "T:3.50cm"},
      {{"1.000mm", "2.500cm"}, {3, "mm"}, "T:3.500mm"},
      {{"0.000mm", "0.000mm"}, {3, "mm"}, ""},
      {{}, {3, "mm"}, ""},
  };
  for (const TotalCase& c : cases) {
    SCOPED_TRACE(c.segments.join(' ').toStdString());
    for (ReportSource source : {ReportSource::Still, ReportSource::Live}) {
      const MeasureShape shape = continuousLine(source == ReportSource::Still ? 6 : 4, c.segments);
      EXPECT_EQ(reportRow(source, shape, c.current)->cells[ReportRow::kLength], QString(c.expected));
      EXPECT_EQ(reportBlock(source, shape, c.current)->lines, QStringList{"Length:" + QString(c.expected)});
    }
    // The renderer's total follows the same rule.
    MeasureShape drawn = continuousLine(6, c.segments);
    EXPECT_EQ(continuousTotalText(drawn, c.current.decimals, c.current.unitName), QString(c.expected));
  }
  // A label without its anchor point is not a finished segment: only the first counts here.
  MeasureShape cut = continuousLine(6, {"1.000mm", "2.500mm"});
  cut.points.resize(3);
  EXPECT_EQ(reportRow(ReportSource::Still, cut, {})->cells[ReportRow::kLength], QStringLiteral("T:1.000mm"));
  cut.points.clear();
  EXPECT_EQ(reportRow(ReportSource::Still, cut, {})->cells[ReportRow::kLength], QString());
}

}  // namespace
}  // namespace lumivex
