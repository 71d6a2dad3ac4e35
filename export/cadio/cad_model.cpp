#include "export/cadio/cad_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace cadio {
namespace {

bool finite(double v) { return std::isfinite(v); }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The record's name field ends within the array (a caller's unterminated buffer is refused).
bool terminated(const char* name) { return std::memchr(name, 0, CAD_NAME_SIZE) != nullptr; }

template <typename Record>
auto byHandle(std::vector<Record>& table, CADHANDLE handle) {
  return std::find_if(table.begin(), table.end(), [handle](const Record& r) { return r.handle == handle; });
}

template <typename Record>
const Record* findConst(const std::vector<Record>& table, CADHANDLE handle) {
  const auto it = std::find_if(table.begin(), table.end(), [handle](const Record& r) { return r.handle == handle; });
  return it == table.end() ? nullptr : &*it;
}

bool validRecord(const CadLineType& r) {
  if (std::memchr(r.description, 0, CAD_TEXT_SIZE) == nullptr) return false;
  if (r.dashCount < 0 || r.dashCount > CAD_MAX_DASHES) return false;
  return std::all_of(r.dashes, r.dashes + r.dashCount, finite);
}

bool validRecord(const CadTextStyle& r) {
  return std::memchr(r.fontFile, 0, CAD_TEXT_SIZE) != nullptr && finite(r.height) && r.height >= 0 &&
         finite(r.widthFactor) && r.widthFactor > 0;
}

bool validRecord(const CadDimStyle& r) {
  for (const double v : {r.arrowSize, r.extensionBeyond, r.extensionOffset, r.textGap, r.textHeight}) {
    if (!finite(v) || v < 0) return false;
  }
  return true;
}

bool validRecord(const CadBlock& r) { return finite(r.baseX) && finite(r.baseY); }

}  // namespace

bool validName(const char* name) {
  if (name == nullptr || !terminated(name) || name[0] == 0) return false;
  for (const char* p = name; *p != 0; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    // R12 files are read in an 8-bit code page, so names stay printable ASCII.
    if (c < 0x20 || c >= 0x7f || std::strchr("<>/\\\":;?*|=`", c) != nullptr) return false;
  }
  return true;
}

bool sameName(const char* a, const char* b) {
  for (; *a != 0 && *b != 0; ++a, ++b) {
    if (lower(*a) != lower(*b)) return false;
  }
  return *a == *b;
}

Drawing::Drawing() {
  view.unitsPerPixel = 1.0;
  view.width = 640;
  view.height = 480;
  view.background = 0xffffffffu;
}

template <typename Record>
CADHANDLE Drawing::addRecord(std::vector<Record>& table, Record& record) {
  if (!validName(record.name)) return 0;
  for (const Record& existing : table) {
    if (sameName(existing.name, record.name)) return 0;
  }
  record.handle = nextHandle_++;
  table.push_back(record);
  return record.handle;
}

template <typename Record>
CADHANDLE Drawing::findRecord(std::vector<Record>& table, std::size_t& cursor, int mode, Record& record) {
  const Record* found = nullptr;
  switch (mode) {
    case CAD_FIND_FIRST:
      cursor = 0;
      [[fallthrough]];
    case CAD_FIND_NEXT:
      if (cursor < table.size()) found = &table[cursor++];
      break;
    case CAD_FIND_BYHANDLE:
      found = findConst(table, record.handle);
      break;
    case CAD_FIND_BYNAME:
      if (!terminated(record.name)) return 0;
      for (const Record& r : table) {
        if (sameName(r.name, record.name)) found = &r;
      }
      break;
    default:
      return 0;
  }
  if (found == nullptr) return 0;
  record = *found;
  return found->handle;
}

CADHANDLE Drawing::addTableRecord(int table, void* record) {
  if (record == nullptr) return 0;
  switch (table) {
    case CAD_TABLE_LTYPE: {
      auto& r = *static_cast<CadLineType*>(record);
      return validRecord(r) ? addRecord(lineTypes_, r) : 0;
    }
    case CAD_TABLE_LAYER: {
      auto& r = *static_cast<CadLayer*>(record);
      if (r.color < 1 || r.color > 255) return 0;
      if (r.lineType != 0 && lineType(r.lineType) == nullptr) return 0;
      return addRecord(layers_, r);
    }
    case CAD_TABLE_STYLE: {
      auto& r = *static_cast<CadTextStyle*>(record);
      return validRecord(r) ? addRecord(textStyles_, r) : 0;
    }
    case CAD_TABLE_DIMSTYLE: {
      auto& r = *static_cast<CadDimStyle*>(record);
      return validRecord(r) ? addRecord(dimStyles_, r) : 0;
    }
    default:
      return 0;
  }
}

bool Drawing::deleteTableRecord(int table, CADHANDLE handle) {
  switch (table) {
    case CAD_TABLE_LTYPE: {
      // A line type still named by a layer or an entity stays: the file would name a missing one.
      const bool used =
          std::any_of(layers_.begin(), layers_.end(), [&](auto& l) { return l.lineType == handle; }) ||
          std::any_of(entities_.begin(), entities_.end(), [&](auto& e) { return e.header.lineType == handle; });
      const auto it = byHandle(lineTypes_, handle);
      if (used || it == lineTypes_.end()) return false;
      lineTypes_.erase(it);
      return true;
    }
    case CAD_TABLE_LAYER: {
      const bool used =
          std::any_of(entities_.begin(), entities_.end(), [&](auto& e) { return e.header.layer == handle; });
      const auto it = byHandle(layers_, handle);
      if (used || it == layers_.end()) return false;
      layers_.erase(it);
      return true;
    }
    case CAD_TABLE_STYLE: {
      const auto it = byHandle(textStyles_, handle);
      if (it == textStyles_.end()) return false;
      textStyles_.erase(it);
      return true;
    }
    case CAD_TABLE_DIMSTYLE: {
      const auto it = byHandle(dimStyles_, handle);
      if (it == dimStyles_.end()) return false;
      dimStyles_.erase(it);
      return true;
    }
    default:
      return false;
  }
}

CADHANDLE Drawing::findTableRecord(int table, int mode, void* record) {
  if (record == nullptr) return 0;
  switch (table) {
    case CAD_TABLE_LTYPE:
      return findRecord(lineTypes_, lineTypeCursor_, mode, *static_cast<CadLineType*>(record));
    case CAD_TABLE_LAYER:
      return findRecord(layers_, layerCursor_, mode, *static_cast<CadLayer*>(record));
    case CAD_TABLE_STYLE:
      return findRecord(textStyles_, textStyleCursor_, mode, *static_cast<CadTextStyle*>(record));
    case CAD_TABLE_DIMSTYLE:
      return findRecord(dimStyles_, dimStyleCursor_, mode, *static_cast<CadDimStyle*>(record));
    default:
      return 0;
  }
}

CADHANDLE Drawing::addBlock(CadBlock& block) {
  // "*Model_Space" and the other starred names belong to the file format.
  if (!validRecord(block) || block.name[0] == '*') return 0;
  return addRecord(blocks_, block);
}

bool Drawing::deleteBlock(CADHANDLE handle) {
  const auto it = byHandle(blocks_, handle);
  if (it == blocks_.end()) return false;
  blocks_.erase(it);
  std::erase_if(entities_, [handle](const Entity& e) { return e.block == handle; });
  entityCursor_ = 0;
  return true;
}

CADHANDLE Drawing::findBlock(int mode, CadBlock& block) { return findRecord(blocks_, blockCursor_, mode, block); }

const CadLayer* Drawing::layer(CADHANDLE handle) const { return findConst(layers_, handle); }
const CadLineType* Drawing::lineType(CADHANDLE handle) const { return findConst(lineTypes_, handle); }
const CadBlock* Drawing::block(CADHANDLE handle) const { return findConst(blocks_, handle); }

bool Drawing::validEntity(const CadEntityHeader& header, CADHANDLE blockHandle, const void* data) const {
  if (data == nullptr) return false;
  if (blockHandle != 0 && block(blockHandle) == nullptr) return false;
  if (header.layer != 0 && layer(header.layer) == nullptr) return false;
  if (header.lineType != 0 && lineType(header.lineType) == nullptr) return false;
  if (header.color < 0 || header.color > 256) return false;
  if (!finite(header.thickness) || !finite(header.lineTypeScale) || header.lineTypeScale <= 0) return false;
  switch (header.kind) {
    case CAD_ENT_LINE: {
      const auto& l = *static_cast<const CadLine*>(data);
      return finite(l.x1) && finite(l.y1) && finite(l.x2) && finite(l.y2);
    }
    case CAD_ENT_CIRCLE: {
      const auto& c = *static_cast<const CadCircle*>(data);
      return finite(c.cx) && finite(c.cy) && finite(c.radius) && c.radius > 0;
    }
    case CAD_ENT_POLYLINE: {
      const auto& p = *static_cast<const CadPolyline*>(data);
      if (p.vertices == nullptr || p.count < 2) return false;
      return std::all_of(p.vertices, p.vertices + p.count,
                         [](const CadVertex& v) { return finite(v.x) && finite(v.y); });
    }
    default:
      return false;
  }
}

void Drawing::fillEntity(Entity& entity, const CadEntityHeader& header, const void* data) {
  entity.header = header;
  entity.vertices.clear();
  switch (header.kind) {
    case CAD_ENT_LINE:
      entity.line = *static_cast<const CadLine*>(data);
      break;
    case CAD_ENT_CIRCLE:
      entity.circle = *static_cast<const CadCircle*>(data);
      break;
    case CAD_ENT_POLYLINE: {
      const auto& p = *static_cast<const CadPolyline*>(data);
      entity.vertices.assign(p.vertices, p.vertices + p.count);
      entity.polylineFlags = p.flags & CAD_POLYLINE_CLOSED;
      break;
    }
    default:
      break;
  }
}

void Drawing::copyOut(const Entity& entity, CadEntityHeader& header, void* data) {
  header = entity.header;
  if (data == nullptr) return;
  switch (entity.header.kind) {
    case CAD_ENT_LINE:
      *static_cast<CadLine*>(data) = entity.line;
      break;
    case CAD_ENT_CIRCLE:
      *static_cast<CadCircle*>(data) = entity.circle;
      break;
    case CAD_ENT_POLYLINE: {
      auto& p = *static_cast<CadPolyline*>(data);
      const int count = static_cast<int>(entity.vertices.size());
      if (p.vertices != nullptr && p.count > 0) {
        std::copy_n(entity.vertices.begin(), std::min(count, p.count), p.vertices);
      }
      p.count = count;
      p.flags = entity.polylineFlags;
      break;
    }
    default:
      break;
  }
}

CADHANDLE Drawing::addEntity(CADHANDLE blockHandle, CadEntityHeader& header, const void* data) {
  if (!validEntity(header, blockHandle, data)) return 0;
  Entity entity;
  fillEntity(entity, header, data);
  entity.block = blockHandle;
  entity.header.handle = nextHandle_++;
  entities_.push_back(std::move(entity));
  header.handle = entities_.back().header.handle;
  return header.handle;
}

bool Drawing::deleteEntity(CADHANDLE handle) {
  const auto it =
      std::find_if(entities_.begin(), entities_.end(), [handle](const Entity& e) { return e.header.handle == handle; });
  if (it == entities_.end()) return false;
  if (static_cast<std::size_t>(it - entities_.begin()) < entityCursor_) --entityCursor_;
  entities_.erase(it);
  return true;
}

bool Drawing::changeEntity(CadEntityHeader& header, const void* data) {
  const auto it = std::find_if(entities_.begin(), entities_.end(),
                               [&](const Entity& e) { return e.header.handle == header.handle; });
  if (it == entities_.end() || !validEntity(header, it->block, data)) return false;
  fillEntity(*it, header, data);
  return true;
}

CADHANDLE Drawing::findEntity(CADHANDLE blockHandle, int mode, CadEntityHeader& header, void* data) {
  const Entity* found = nullptr;
  switch (mode) {
    case CAD_FIND_FIRST:
      entityCursor_ = 0;
      [[fallthrough]];
    case CAD_FIND_NEXT:
      while (entityCursor_ < entities_.size() && found == nullptr) {
        const Entity& e = entities_[entityCursor_++];
        if (e.block == blockHandle) found = &e;
      }
      break;
    case CAD_FIND_BYHANDLE:
      for (const Entity& e : entities_) {
        if (e.header.handle == header.handle) found = &e;
      }
      break;
    default:
      return 0;
  }
  if (found == nullptr) return 0;
  copyOut(*found, header, data);
  return found->header.handle;
}

}  // namespace cadio
