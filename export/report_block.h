#pragma once

#include "export/report_row.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace lumivex {

struct MeasureShape;

// One entry of the word-processor report: the entry name, then lines of a caption followed directly by a
// label text ("Length:L:2.963mm", the label's own prefix kept). A label the shape does not have gives the
// caption alone.
struct ReportBlock {
  QString name;
  QStringList lines;
};

// The two lines a report starts with: "File Name:" and "Time of establishment:", nothing after the colon.
QStringList reportHeaderLines();

// The block of one shape, or nothing for a kind the source's report leaves out.
std::optional<ReportBlock> reportBlock(ReportSource source, const MeasureShape& shape, const TotalFormat& total);
// The blocks of a list in list order.
std::vector<ReportBlock> reportBlocks(ReportSource source, const std::vector<const MeasureShape*>& shapes,
                                      const TotalFormat& total);

}  // namespace lumivex
