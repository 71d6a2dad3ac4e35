#include "workspace/workspace_exports.h"

#include "core/app_context.h"
#include "export/cad_drawing.h"
#include "export/dxf_export_command.h"
#include "export/spreadsheet_export.h"
#include "export/word_export.h"
#include "image/picture_file.h"
#include "measure/calibration_state.h"
#include "measure/measure_canvas.h"

#include <QFileInfo>

namespace lumivex {
namespace {

std::vector<const MeasureShape*> shapePointers(const ShapeList& shapes) {
  std::vector<const MeasureShape*> pointers;
  pointers.reserve(static_cast<std::size_t>(shapes.count()));
  for (int i = 0; i < shapes.count(); ++i) pointers.push_back(&shapes.at(i));
  return pointers;
}

std::unique_ptr<WorkspaceExports>& installed() {
  static std::unique_ptr<WorkspaceExports> exports;
  return exports;
}

}  // namespace

void WorkspaceExports::toSpreadsheet(const WorkspaceExportSource& source) {
  // The canvas's own cursor (258) comes back when the wait cursor goes, on every path.
  exportShapesToSpreadsheet(source.parent, ReportSource::Still, shapePointers(source.shapes));
}

void WorkspaceExports::toWord(const WorkspaceExportSource& source) {
  const CalibrationState& state = calibrationState();
  WordExportRequest request;
  request.parent = source.parent;
  request.source = ReportSource::Still;
  request.shapes = shapePointers(source.shapes);
  request.total = TotalFormat{state.decimals, state.unitName.text()};
  request.filters = wordReportFilters();
  request.folder = QFileInfo(source.picturePath).absolutePath();
  // The report's picture is the program folder's scratch picture, as for the live view's report.
  if (AppContext::exists())
    request.picturePath = AppContext::current().paths().programFolder + QStringLiteral("/10000.bmp");
  const MeasureCanvas& canvas = source.canvas;
  request.writePicture = [&canvas](const QString& path) { return saveRenderedPicture(canvas.renderPicture(), path); };
  exportWordReport(request);
}

void WorkspaceExports::toCad(const WorkspaceExportSource& source) {
  // The CAD library is loaded once and kept, as the drawing is made in it.
  static CadDrawing cad;
  const QString unit = calibrationState().unitName.text();
  DxfExportRequest request;
  request.parent = source.parent;
  request.source = ReportSource::Still;
  request.shapes = shapePointers(source.shapes);
  request.placement =
      DxfPlacement::forStill(unit, source.rate > 0 ? source.rate : 1.0, source.canvas.zoom(), source.canvas.zoom(),
                             static_cast<int>(source.canvas.picture().GetHeight()));
  request.unitName = unit;
  request.folder = QFileInfo(source.picturePath).absolutePath();
  exportDxfDrawing(cad, request);
}

WorkspaceExports& workspaceExports() {
  static WorkspaceExports builtIn;
  return installed() ? *installed() : builtIn;
}

std::unique_ptr<WorkspaceExports> installWorkspaceExports(std::unique_ptr<WorkspaceExports> exports) {
  std::unique_ptr<WorkspaceExports> previous = std::move(installed());
  installed() = std::move(exports);
  return previous;
}

}  // namespace lumivex
