#pragma once

#include "export/dxf_export.h"
#include "export/word_export.h"

#include <QString>
#include <QStringList>

#include <vector>

class QWidget;

namespace lumivex {

class CadDrawing;

struct DxfExportRequest {
  QWidget* parent = nullptr;
  ReportSource source = ReportSource::Still;
  std::vector<const MeasureShape*> shapes;
  DxfPlacement placement;
  QString unitName;
  QString folder;
};

// The CAD command of both windows: save dialog (a name without extension gets ".dxf"), busy cursor
// (restored on every path), the drawing built in the window's CAD library and written atomically.
// "Fatal error on creating CDrawing!" when the library is missing or incomplete, "Error while saving dxf
// file!" when the file was not written (an old file stays as it was); both with the caption "Error".
ExportOutcome exportDxfDrawing(CadDrawing& cad, const DxfExportRequest& request);

QStringList dxfFilters();

}  // namespace lumivex
