// The C entry points: each finds its drawing under the registry lock and never lets an exception out.
#include "export/cadio/cad_io.h"

#include "export/cadio/cad_dxf_reader.h"
#include "export/cadio/cad_dxf_writer.h"
#include "export/cadio/cad_model.h"
#include "export/cadio/cad_view.h"

#include <cmath>
#include <map>
#include <memory>
#include <mutex>

namespace {

// The registry lock guards the map only; a drawing itself is used by one thread at a time.
std::mutex registryMutex;
std::map<CADHANDLE, std::shared_ptr<cadio::Drawing>>& registry() {
  static std::map<CADHANDLE, std::shared_ptr<cadio::Drawing>> drawings;
  return drawings;
}
CADHANDLE nextDrawing = 1;

std::shared_ptr<cadio::Drawing> find(CADHANDLE handle) {
  const std::lock_guard lock(registryMutex);
  const auto it = registry().find(handle);
  return it == registry().end() ? nullptr : it->second;
}

template <typename Result, typename Function>
Result guarded(CADHANDLE handle, Function&& function) {
  try {
    const std::shared_ptr<cadio::Drawing> drawing = find(handle);
    if (!drawing) return Result{};
    return function(*drawing);
  } catch (...) {
    return Result{};
  }
}

}  // namespace

extern "C" {

CADHANDLE drwCreate(void) {
  try {
    auto drawing = std::make_shared<cadio::Drawing>();
    const std::lock_guard lock(registryMutex);
    const CADHANDLE handle = nextDrawing++;
    registry().emplace(handle, std::move(drawing));
    return handle;
  } catch (...) {
    return 0;
  }
}

int drwDestroy(CADHANDLE drawing) {
  const std::lock_guard lock(registryMutex);
  return registry().erase(drawing) == 1 ? 1 : 0;
}

CADHANDLE drwAddTableType(CADHANDLE drawing, int table, void* record) {
  return guarded<CADHANDLE>(drawing, [&](cadio::Drawing& d) { return d.addTableRecord(table, record); });
}

int drwDeleteTableType(CADHANDLE drawing, int table, CADHANDLE object) {
  return guarded<int>(drawing, [&](cadio::Drawing& d) { return d.deleteTableRecord(table, object) ? 1 : 0; });
}

CADHANDLE drwFindTableType(CADHANDLE drawing, int table, int mode, void* record) {
  return guarded<CADHANDLE>(drawing, [&](cadio::Drawing& d) { return d.findTableRecord(table, mode, record); });
}

CADHANDLE drwAddBlock(CADHANDLE drawing, CadBlock* block) {
  if (block == nullptr) return 0;
  return guarded<CADHANDLE>(drawing, [&](cadio::Drawing& d) { return d.addBlock(*block); });
}

int drwDeleteBlock(CADHANDLE drawing, CADHANDLE block) {
  return guarded<int>(drawing, [&](cadio::Drawing& d) { return d.deleteBlock(block) ? 1 : 0; });
}

CADHANDLE drwFindBlock(CADHANDLE drawing, int mode, CadBlock* block) {
  if (block == nullptr) return 0;
  return guarded<CADHANDLE>(drawing, [&](cadio::Drawing& d) { return d.findBlock(mode, *block); });
}

CADHANDLE drwAddEntity(CADHANDLE drawing, CADHANDLE block, CadEntityHeader* header, const void* data) {
  if (header == nullptr) return 0;
  return guarded<CADHANDLE>(drawing, [&](cadio::Drawing& d) { return d.addEntity(block, *header, data); });
}

int drwDeleteEntity(CADHANDLE drawing, CADHANDLE entity) {
  return guarded<int>(drawing, [&](cadio::Drawing& d) { return d.deleteEntity(entity) ? 1 : 0; });
}

int drwChangeEntity(CADHANDLE drawing, CadEntityHeader* header, const void* data) {
  if (header == nullptr) return 0;
  return guarded<int>(drawing, [&](cadio::Drawing& d) { return d.changeEntity(*header, data) ? 1 : 0; });
}

CADHANDLE drwFindEntity(CADHANDLE drawing, CADHANDLE block, int mode, CadEntityHeader* header, void* data) {
  if (header == nullptr) return 0;
  return guarded<CADHANDLE>(drawing, [&](cadio::Drawing& d) { return d.findEntity(block, mode, *header, data); });
}

int drwSaveDataToFile(CADHANDLE drawing, int /*flags*/, const char* path, CadProgress progress, void* context) {
  if (path == nullptr || *path == 0) return 0;
  return guarded<int>(drawing, [&](cadio::Drawing& d) {
    bool stopped = false;
    const std::string text = cadio::dxfText(d, progress, context, &stopped);
    if (stopped) return 0;
    return cadio::writeWholeFile(path, text) ? 1 : 0;
  });
}

int drwLoadDataFromFile(CADHANDLE drawing, int /*flags*/, const char* path, CadProgress progress, void* context) {
  if (path == nullptr || *path == 0) return 0;
  return guarded<int>(drawing, [&](cadio::Drawing& d) {
    std::unique_ptr<cadio::Drawing> loaded = cadio::readDxfFile(path);
    if (!loaded) return 0;
    if (progress != nullptr && progress(100, context) == 0) return 0;
    const CadViewProperties view = d.view;
    const int units = loaded->view.units;
    d = std::move(*loaded);
    d.view = view;
    d.view.units = units;
    return 1;
  });
}

int drwInitView(CADHANDLE drawing, int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  return guarded<int>(drawing, [&](cadio::Drawing& d) {
    d.view.width = width;
    d.view.height = height;
    cadio::zoomExtents(d);
    return 1;
  });
}

int drwPaint(CADHANDLE drawing, uint32_t* pixels, int width, int height, int stride) {
  if (pixels == nullptr || width <= 0 || height <= 0 || stride < width * 4) return 0;
  return guarded<int>(drawing, [&](cadio::Drawing& d) {
    cadio::paintDrawing(d, pixels, width, height, stride);
    return 1;
  });
}

int drwGetViewProperties(CADHANDLE drawing, CadViewProperties* properties) {
  if (properties == nullptr) return 0;
  return guarded<int>(drawing, [&](cadio::Drawing& d) {
    *properties = d.view;
    return 1;
  });
}

int drwSetViewProperties(CADHANDLE drawing, const CadViewProperties* properties) {
  if (properties == nullptr) return 0;
  const CadViewProperties& p = *properties;
  if (!std::isfinite(p.unitsPerPixel) || p.unitsPerPixel <= 0 || !std::isfinite(p.originX) ||
      !std::isfinite(p.originY) || p.width <= 0 || p.height <= 0 || p.units < 0 || p.units > 20) {
    return 0;
  }
  return guarded<int>(drawing, [&](cadio::Drawing& d) {
    d.view = p;
    return 1;
  });
}

int drwGetDrawingBorder(CADHANDLE drawing, CadRect* border) {
  if (border == nullptr) return 0;
  return guarded<int>(drawing, [&](cadio::Drawing& d) { return cadio::drawingBorder(d, *border) ? 1 : 0; });
}

// The test build that leaves one entry point out (a damaged or foreign library) omits this one.
#ifndef CADIO_OMIT_ZOOM_EXTENTS
int drwZoomExtents(CADHANDLE drawing) {
  return guarded<int>(drawing, [&](cadio::Drawing& d) {
    cadio::zoomExtents(d);
    return 1;
  });
}
#endif

}  // extern "C"
