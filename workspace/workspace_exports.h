#pragma once

#include <QString>

#include <memory>

class QWidget;

namespace lumivex {

class MeasureCanvas;
class ShapeList;

// What a workspace's export commands hand over: its own shapes, its canvas (the picture, its zoom and
// the picture rendered with its shapes), the picture's file and the rate its results were measured with.
struct WorkspaceExportSource {
  QWidget* parent = nullptr;
  const ShapeList& shapes;
  const MeasureCanvas& canvas;
  QString picturePath;
  double rate = 0.0;
};

// The exports of the operation menu: "Export to excel" (1279), "Export to word" (1278) and "Export to
// CAD" (1318). The installed implementation writes the spreadsheet, the word report and the DXF drawing
// through the export library. Tests install their own.
class WorkspaceExports {
 public:
  virtual ~WorkspaceExports() = default;
  virtual void toSpreadsheet(const WorkspaceExportSource& source);
  virtual void toWord(const WorkspaceExportSource& source);
  virtual void toCad(const WorkspaceExportSource& source);
};

WorkspaceExports& workspaceExports();
// Installs an implementation and returns the previous one (null: the built-in one again).
std::unique_ptr<WorkspaceExports> installWorkspaceExports(std::unique_ptr<WorkspaceExports> exports);

}  // namespace lumivex
