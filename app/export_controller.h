#pragma once

class QWidget;

namespace lumivex {

class FilesController;
class LiveToolsController;
class ScreenController;

// The exports of the live measurements from the main window's left column: Word (1008), spreadsheet
// (1009) and DXF (1326). Each writes the live shape list; the Word report also takes the scratch still
// (FilesController::stills()), and the hourglass shows while one runs (ScreenController::setBusy).
class ExportController {
 public:
  ExportController(QWidget& window, LiveToolsController& live, ScreenController& screen, FilesController& files);

  void exportWord();
  void exportExcel();
  void exportDxf();

 private:
  // Used by the exports as they land.
  [[maybe_unused]] QWidget& window_;
  [[maybe_unused]] LiveToolsController& live_;
  [[maybe_unused]] ScreenController& screen_;
  [[maybe_unused]] FilesController& files_;
};

}  // namespace lumivex
