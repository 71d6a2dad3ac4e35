// The report and drawing exports of 10,000 shapes (about 40,000 report paragraphs).
#include "export/cad_drawing.h"
#include "export/dxf_export.h"
#include "export/report_block.h"
#include "export/word_report.h"
#include "measure/shape_builder.h"
#include "measure/units.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace lumivex {
namespace {

std::vector<MeasureShape> manyShapes(int count) {
  const UnitConversion u{kMmFactor, 10, 3, QStringLiteral("mm")};
  std::vector<MeasureShape> shapes;
  shapes.reserve(static_cast<std::size_t>(count));
  for (int i = 0; shapes.size() < static_cast<std::size_t>(count); ++i) {
    const int x = i % 600, y = (i * 7) % 440;
    // Four report lines each (name and three values): 10,000 shapes make 40,000 paragraphs.
    switch (i % 4) {
      case 0:
        shapes.push_back(*makeRadiusCircle({x + 20, y + 20}, {x + 35, y + 20}, {x, y}, u));
        break;
      case 1:
        shapes.push_back(*makeRectangle({x, y}, {x + 25, y + 15}, {x, y}, u));
        break;
      case 2:
        shapes.push_back(*makeDiameterCircle({x, y}, {x + 30, y + 10}, {x, y}, u));
        break;
      default:
        shapes.push_back(*makeTwoCircles({QPoint{x, y + 10}, {x + 10, y}, {x + 20, y + 11}}, {x, y},
                                         {QPoint{x + 40, y + 10}, {x + 50, y}, {x + 60, y + 9}}, {x, y}, {x, y}, u));
        break;
    }
  }
  return shapes;
}

std::vector<const MeasureShape*> pointers(const std::vector<MeasureShape>& shapes) {
  std::vector<const MeasureShape*> out;
  for (const MeasureShape& s : shapes) out.push_back(&s);
  return out;
}

void writeReport(benchmark::State& state, const char* name) {
  const std::vector<MeasureShape> shapes = manyShapes(10000);
  QTemporaryDir dir;
  const QString picture = dir.filePath(QStringLiteral("10000.bmp"));
  QImage image(640, 480, QImage::Format_RGB888);
  image.fill(Qt::gray);
  image.save(picture, "BMP");
  const QString path = dir.filePath(QLatin1String(name));
  std::size_t paragraphs = 0;
  for (auto _ : state) {
    WordReport report;
    report.StartWordProcessor();
    report.ApplyFont(QStringLiteral("Arial"), 12.0, 0, 0);
    report.ApplyFontStyle(false, false, 1);
    report.ApplyAlignment(0);
    for (const QString& line : reportHeaderLines()) {
      report.WriteText(line);
      report.EndParagraph();
    }
    for (const ReportBlock& block : reportBlocks(ReportSource::Still, pointers(shapes), TotalFormat{})) {
      report.WriteText(block.name);
      report.EndParagraph();
      for (const QString& line : block.lines) {
        report.WriteText(line);
        report.EndParagraph();
      }
    }
    report.InsertPicture(picture);
    paragraphs = report.document()->paragraphs().size();
    if (!report.SaveDocument(path)) state.SkipWithError("not written");
  }
  state.counters["paragraphs"] = static_cast<double>(paragraphs);
  state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
}

void BM_WordReportDocx10000(benchmark::State& state) { writeReport(state, "report.docx"); }
void BM_WordReportRtf10000(benchmark::State& state) { writeReport(state, "report.doc"); }

void BM_Dxf10000(benchmark::State& state) {
  const std::vector<MeasureShape> shapes = manyShapes(10000);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("drawing.dxf"));
  CadDrawing cad;
  if (!cad.usable()) {
    state.SkipWithError("libCadIO.so not found");
    return;
  }
  for (auto _ : state) {
    const auto entities =
        dxfEntities(pointers(shapes), ReportSource::Still, DxfPlacement::forStill(QStringLiteral("mm"), 10, 1, 1, 480));
    if (writeDxf(cad, entities, ReportSource::Still, 4, path) != DxfResult::Written) state.SkipWithError("not written");
  }
  state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
}

BENCHMARK(BM_WordReportDocx10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordReportRtf10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dxf10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumivex

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);  // QImage's PNG writer
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
