#pragma once

#include "core/atomic_file.h"

#include "export/cadio/cad_io.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace lumivex {

// Owns the CAD drawing library (libCadIO.so, loaded with dlopen) and at most one drawing in it. The
// library is usable only when it loaded and all 20 drw* entry points were found; otherwise every
// operation fails and createDrawing returns false. GUI thread only.
class CadDrawing {
 public:
  // libraryPath empty: the library beside the executable, then in the install's private library folder
  // (<libdir>/lumivex, found from the executable's folder), then in the build tree's lib/ when running
  // from the build tree. Tests name one.
  explicit CadDrawing(const QString& libraryPath = {});
  ~CadDrawing();
  CadDrawing(const CadDrawing&) = delete;
  CadDrawing& operator=(const CadDrawing&) = delete;

  bool usable() const { return api_ != nullptr; }
  // The file that was loaded, or why none was (for the log).
  QString libraryFile() const { return libraryFile_; }
  QString loadError() const { return loadError_; }
  static QStringList candidatePaths();

  // Creates the drawing when usable and none exists yet, and resets the current settings: no layer,
  // line type by layer, colour by layer, thickness 0, line-type scale 1, the drawing's own entities.
  bool createDrawing();
  CADHANDLE addLineType(CadLineType& record);
  CADHANDLE addLayer(CadLayer& record);
  // Finds a layer by name and makes it current (the line type goes back to by layer).
  bool selectLayer(const QString& name);
  // The DXF insertion-unit code the drawing is measured in (4 mm, 5 cm, 1 inch, 9 mil).
  bool setUnits(int units);

  CADHANDLE addLine(double x1, double y1, double x2, double y2);
  CADHANDLE addCircle(double cx, double cy, double radius);
  CADHANDLE addPolyline(const std::vector<CadVertex>& vertices, bool closed);

  // Writes the drawing to path in one step: the library writes the atomic writer's temporary file,
  // which then replaces path, so an old file is never left half written. A failure carries the system's
  // reason when there is one.
  WriteResult saveDrawing(const QString& path);
  void destroyDrawing();
  bool hasDrawing() const { return drawing_ != 0; }

  // For readers of the drawing (tests, a preview): the loaded entry points, or null.
  struct Api;
  const Api* api() const { return api_.get(); }
  CADHANDLE drawingHandle() const { return drawing_; }

 private:
  bool load(const QString& path);
  CADHANDLE addEntity(int kind, const void* data);

  struct LibraryCloser {
    void operator()(void* handle) const;
  };
  std::unique_ptr<void, LibraryCloser> library_;
  std::unique_ptr<Api> api_;
  QString libraryFile_;
  QString loadError_;
  CADHANDLE drawing_ = 0;

  CADHANDLE layer_ = 0;
  CADHANDLE lineType_ = 0;
  CADHANDLE textStyle_ = 0;
  CADHANDLE dimStyle_ = 0;
  int colour_ = CAD_COLOR_BYLAYER;
  double thickness_ = 0.0;
  double lineTypeScale_ = 1.0;
  CADHANDLE block_ = 0;
};

// The 20 entry points, in the order they are looked up.
struct CadDrawing::Api {
  decltype(&drwCreate) create;
  decltype(&drwDestroy) destroy;
  decltype(&drwAddTableType) addTableType;
  decltype(&drwDeleteTableType) deleteTableType;
  decltype(&drwFindTableType) findTableType;
  decltype(&drwAddBlock) addBlock;
  decltype(&drwDeleteBlock) deleteBlock;
  decltype(&drwFindBlock) findBlock;
  decltype(&drwAddEntity) addEntity;
  decltype(&drwDeleteEntity) deleteEntity;
  decltype(&drwChangeEntity) changeEntity;
  decltype(&drwFindEntity) findEntity;
  decltype(&drwSaveDataToFile) saveDataToFile;
  decltype(&drwLoadDataFromFile) loadDataFromFile;
  decltype(&drwInitView) initView;
  decltype(&drwPaint) paint;
  decltype(&drwGetViewProperties) getViewProperties;
  decltype(&drwSetViewProperties) setViewProperties;
  decltype(&drwGetDrawingBorder) getDrawingBorder;
  decltype(&drwZoomExtents) zoomExtents;
};

}  // namespace lumivex
