#include "app/export_controller.h"

namespace lumivex {

ExportController::ExportController(QWidget& window, LiveToolsController& live, ScreenController& screen,
                                   FilesController& files)
    : window_(window), live_(live), screen_(screen), files_(files) {}

// The report, spreadsheet and DXF writers land here.
void ExportController::exportWord() {}
void ExportController::exportExcel() {}
void ExportController::exportDxf() {}

}  // namespace lumivex
