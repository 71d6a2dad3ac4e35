#include "export/cad_drawing.h"

#include "core/atomic_file.h"
#include "core/install_layout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>
#include <cerrno>
#include <cstring>

namespace lumivex {
namespace {

constexpr const char* kLibraryName = "libCadIO.so";

constexpr const char* kEntryNames[] = {
    "drwCreate",       "drwDestroy",           "drwAddTableType",      "drwDeleteTableType",  "drwFindTableType",
    "drwAddBlock",     "drwDeleteBlock",       "drwFindBlock",         "drwAddEntity",        "drwDeleteEntity",
    "drwChangeEntity", "drwFindEntity",        "drwSaveDataToFile",    "drwLoadDataFromFile", "drwInitView",
    "drwPaint",        "drwGetViewProperties", "drwSetViewProperties", "drwGetDrawingBorder", "drwZoomExtents",
};
static_assert(sizeof(kEntryNames) / sizeof(kEntryNames[0]) * sizeof(void*) == sizeof(CadDrawing::Api));

}  // namespace

void CadDrawing::LibraryCloser::operator()(void* handle) const {
  if (handle != nullptr) dlclose(handle);
}

QStringList CadDrawing::candidatePaths() {
  QStringList paths;
  for (const QString& folder : InstallLayout::current().libraryFolders) paths << QDir(folder).filePath(kLibraryName);
  return paths;
}

CadDrawing::CadDrawing(const QString& libraryPath) {
  const QStringList paths = libraryPath.isEmpty() ? candidatePaths() : QStringList{libraryPath};
  for (const QString& path : paths) {
    if (QFileInfo::exists(path) && load(path)) return;
  }
  if (loadError_.isEmpty()) loadError_ = QStringLiteral("%1 not found in %2").arg(kLibraryName, paths.join(", "));
}

CadDrawing::~CadDrawing() { destroyDrawing(); }

bool CadDrawing::load(const QString& path) {
  std::unique_ptr<void, LibraryCloser> library(dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL));
  if (!library) {
    loadError_ = QString::fromLocal8Bit(dlerror());
    return false;
  }
  auto api = std::make_unique<Api>();
  void** slot = reinterpret_cast<void**>(api.get());
  for (const char* name : kEntryNames) {
    *slot = dlsym(library.get(), name);
    if (*slot == nullptr) {
      loadError_ = QStringLiteral("%1 lacks %2").arg(path, QLatin1String(name));
      return false;
    }
    ++slot;
  }
  library_ = std::move(library);
  api_ = std::move(api);
  libraryFile_ = path;
  loadError_.clear();
  return true;
}

bool CadDrawing::createDrawing() {
  if (!api_ || drawing_ != 0) return false;
  drawing_ = api_->create();
  if (drawing_ == 0) return false;
  layer_ = 0;
  lineType_ = 0;
  textStyle_ = 0;
  dimStyle_ = 0;
  colour_ = CAD_COLOR_BYLAYER;
  thickness_ = 0.0;
  lineTypeScale_ = 1.0;
  block_ = 0;
  return true;
}

CADHANDLE CadDrawing::addLineType(CadLineType& record) {
  return drawing_ != 0 ? api_->addTableType(drawing_, CAD_TABLE_LTYPE, &record) : 0;
}

CADHANDLE CadDrawing::addLayer(CadLayer& record) {
  return drawing_ != 0 ? api_->addTableType(drawing_, CAD_TABLE_LAYER, &record) : 0;
}

bool CadDrawing::selectLayer(const QString& name) {
  if (drawing_ == 0) return false;
  CadLayer record{};
  const QByteArray utf8 = name.toUtf8();
  if (utf8.size() >= CAD_NAME_SIZE) return false;
  std::memcpy(record.name, utf8.constData(), static_cast<std::size_t>(utf8.size()));
  const CADHANDLE found = api_->findTableType(drawing_, CAD_TABLE_LAYER, CAD_FIND_BYNAME, &record);
  if (found == 0) return false;
  layer_ = found;
  lineType_ = 0;
  return true;
}

bool CadDrawing::setUnits(int units) {
  if (drawing_ == 0) return false;
  CadViewProperties view{};
  if (api_->getViewProperties(drawing_, &view) == 0) return false;
  view.units = units;
  return api_->setViewProperties(drawing_, &view) != 0;
}

CADHANDLE CadDrawing::addEntity(int kind, const void* data) {
  if (drawing_ == 0) return 0;
  CadEntityHeader header{};
  header.kind = kind;
  header.layer = layer_;
  header.lineType = lineType_;
  header.color = colour_;
  header.thickness = thickness_;
  header.lineTypeScale = lineTypeScale_;
  return api_->addEntity(drawing_, block_, &header, data);
}

CADHANDLE CadDrawing::addLine(double x1, double y1, double x2, double y2) {
  const CadLine line{x1, y1, x2, y2};
  return addEntity(CAD_ENT_LINE, &line);
}

CADHANDLE CadDrawing::addCircle(double cx, double cy, double radius) {
  const CadCircle circle{cx, cy, radius};
  return addEntity(CAD_ENT_CIRCLE, &circle);
}

CADHANDLE CadDrawing::addPolyline(const std::vector<CadVertex>& vertices, bool closed) {
  std::vector<CadVertex> copy = vertices;
  const CadPolyline polyline{copy.data(), static_cast<int>(copy.size()), closed ? CAD_POLYLINE_CLOSED : 0};
  return addEntity(CAD_ENT_POLYLINE, &polyline);
}

WriteResult CadDrawing::saveDrawing(const QString& path) {
  if (drawing_ == 0 || path.isEmpty()) return WriteResult::failure(EINVAL);
  AtomicFile file(path);
  if (WriteResult opened = file.open(); !opened) return opened;
  // The library leaves the system's error in errno when writing fails.
  errno = 0;
  if (api_->saveDataToFile(drawing_, 0, QFile::encodeName(file.temporaryPath()).constData(), nullptr, nullptr) == 0) {
    return WriteResult::failure(errno != 0 ? errno : EIO);
  }
  return file.commit();
}

void CadDrawing::destroyDrawing() {
  if (drawing_ != 0 && api_->destroy(drawing_) != 0) drawing_ = 0;
}

}  // namespace lumivex
