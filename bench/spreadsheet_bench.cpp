// The spreadsheet export at the sizes that matter: 10,000 shapes written to a new .xls, .xlsx and text
// file, and 100 shapes appended to a file that already holds 10,000 rows (read, backed up, rewritten).
#include "export/report_row.h"
#include "export/spreadsheet_export.h"
#include "measure/shape_builder.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <vector>

namespace {

using namespace lumivex;

const UnitConversion kMm{0.02963, 10, 3, QStringLiteral("mm")};
const char* kSuffixes[] = {".xls", ".xlsx", ".csv"};

// Lines, rectangles and circles in turn, every one with its own values.
std::vector<MeasureShape> shapes(int count) {
  std::vector<MeasureShape> out;
  out.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    switch (i % 3) {
      case 0:
        out.push_back(*makeLine({0, 0}, {100 + i, i % 97}, {0, 0}, kMm));
        break;
      case 1:
        out.push_back(*makeRectangle({0, 0}, {50 + i % 500, 20 + i % 300}, {0, 0}, kMm));
        break;
      default:
        out.push_back(*makeRadiusCircle({0, 0}, {10 + i % 700, 0}, {0, 0}, kMm));
        break;
    }
  }
  return out;
}

std::vector<const MeasureShape*> pointers(const std::vector<MeasureShape>& list) {
  std::vector<const MeasureShape*> out;
  for (const MeasureShape& shape : list) out.push_back(&shape);
  return out;
}

void BM_Export10000Shapes(benchmark::State& state) {
  const QString suffix = kSuffixes[state.range(0)];
  const std::vector<MeasureShape> list = shapes(10000);
  QTemporaryDir dir;
  const QString path = dir.filePath("report" + suffix);
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(path);
    state.ResumeTiming();
    if (!writeReportSpreadsheet(path, ReportSource::Still, pointers(list), {}).written)
      state.SkipWithError("not written");
  }
  state.SetLabel(suffix.toStdString() + ", " + std::to_string(QFile(path).size() / 1024) + " KiB");
}

void BM_Append100To10000Rows(benchmark::State& state) {
  const QString suffix = kSuffixes[state.range(0)];
  QTemporaryDir dir;
  const QString base = dir.filePath("base" + suffix);
  const QString path = dir.filePath("report" + suffix);
  if (!writeReportSpreadsheet(base, ReportSource::Still, pointers(shapes(10000)), {}).written) {
    state.SkipWithError("base file not written");
    return;
  }
  const std::vector<MeasureShape> more = shapes(100);
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(path);
    QFile::remove(path + ".bak");
    QFile::copy(base, path);
    state.ResumeTiming();
    if (!writeReportSpreadsheet(path, ReportSource::Still, pointers(more), {}).written)
      state.SkipWithError("not written");
  }
  state.SetLabel(suffix.toStdString());
}

BENCHMARK(BM_Export10000Shapes)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Append100To10000Rows)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
