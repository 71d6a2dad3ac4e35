#pragma once

class QString;
class QWidget;

namespace lumivex {

class CaptureService;
class FilesController;
class LiveToolsController;
class LiveView;
class ScreenController;

// The exports of the live measurements from the main window's left column: Word (1008), spreadsheet
// (1009) and DXF (1326). Each writes the live shape list (LiveView); the Word report's picture is the
// scratch still of the buffered frame with the live overlays burnt in.
class ExportController {
 public:
  ExportController(QWidget& window, LiveToolsController& live, LiveView& view, ScreenController& screen,
                   FilesController& files, CaptureService& capture);

  void exportWord();
  void exportExcel();
  void exportDxf();

 private:
  // Writes the scratch still ("10000.bmp") of the buffered frame; false when there is none or it failed.
  bool writeLivePicture(const QString& path);

  QWidget& window_;
  [[maybe_unused]] LiveToolsController& live_;
  LiveView& view_;
  [[maybe_unused]] ScreenController& screen_;
  FilesController& files_;
  CaptureService& capture_;
};

}  // namespace lumivex
