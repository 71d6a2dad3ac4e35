#include "app/export_controller.h"

#include "app/files_controller.h"
#include "app/live_tools_controller.h"
#include "app/live_view.h"
#include "app/screen_controller.h"
#include "capture/still/still_capture.h"
#include "core/app_context.h"
#include "core/capture_service.h"
#include "core/capture_state.h"
#include "export/cad_drawing.h"
#include "export/dxf_export_command.h"
#include "export/spreadsheet_export.h"
#include "export/word_export.h"
#include "measure/calibration_state.h"
#include "measure/live_marks.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QString>

namespace lumivex {

ExportController::ExportController(QWidget& window, LiveToolsController& live, LiveView& view, ScreenController& screen,
                                   FilesController& files, CaptureService& capture)
    : window_(window), live_(live), view_(view), screen_(screen), files_(files), capture_(capture) {
  // The Excel button's list is the one the Word and CAD buttons export.
  live_.hooks().liveShapes = [this] { return view_.exportShapes(); };
}

bool ExportController::writeLivePicture(const QString& path) {
  const QByteArray dib = capture_.bufferedFrame();
  const StillFrame frame = StillCapture::frameFromDib(dib);
  if (!frame.valid()) return false;
  const std::optional<QString> written = files_.stills().saveStill(frame, QString(), true);
  return written && QFileInfo(*written) == QFileInfo(path);
}

void ExportController::exportWord() {
  const CalibrationState& state = calibrationState();
  WordExportRequest request;
  request.parent = &window_;
  request.source = ReportSource::Live;
  request.shapes = view_.exportShapes();
  request.total = TotalFormat{state.decimals, state.unitName.text()};
  request.filters = wordReportFilters();
  if (AppContext::exists()) {
    request.folder = AppContext::current().folders().pictureFolder();
    request.picturePath =
        AppContext::current().paths().programFolder + QLatin1Char('/') + QLatin1String(StillCapture::kScratchName);
  }
  request.writePicture = [this](const QString& path) { return writeLivePicture(path); };
  exportWordReport(request);
}

void ExportController::exportExcel() {
  exportShapesToSpreadsheet(&window_, ReportSource::Live, live_.hooks().liveShapes(),
                            [this](bool busy) { screen_.setBusy(busy); });
}

void ExportController::exportDxf() {
  // The CAD library is loaded once and kept, as the drawing is made in it.
  static CadDrawing cad;
  const QString unit = calibrationState().unitName.text();
  const double rate = view_.canvas().rate().rate;
  DxfExportRequest request;
  request.parent = &window_;
  request.source = ReportSource::Live;
  request.shapes = view_.exportShapes();
  request.placement = DxfPlacement::forLive(unit, rate > 0 ? rate : 1.0,
                                            liveSizeFactor(captureState().width.load(), captureState().height.load()));
  request.unitName = unit;
  if (AppContext::exists()) request.folder = AppContext::current().folders().pictureFolder();
  exportDxfDrawing(cad, request);
}

}  // namespace lumivex
