#pragma once

#include "export/cadio/cad_io.h"

#include <cstddef>
#include <string>
#include <vector>

namespace cadio {

// One entity as the drawing keeps it: its header, the block it belongs to (0: the drawing's entities)
// and the data of its kind.
struct Entity {
  CadEntityHeader header{};
  CADHANDLE block = 0;
  CadLine line{};
  CadCircle circle{};
  std::vector<CadVertex> vertices;
  int polylineFlags = 0;
};

// The in-memory drawing behind one drawing handle: tables, blocks and entities, each object with a
// handle unique in the drawing, and the view it is painted into. Every operation checks its input and
// returns 0/false instead of storing what a DXF file could not hold.
class Drawing {
 public:
  Drawing();

  CADHANDLE addTableRecord(int table, void* record);
  bool deleteTableRecord(int table, CADHANDLE handle);
  CADHANDLE findTableRecord(int table, int mode, void* record);

  CADHANDLE addBlock(CadBlock& block);
  bool deleteBlock(CADHANDLE handle);
  CADHANDLE findBlock(int mode, CadBlock& block);

  CADHANDLE addEntity(CADHANDLE block, CadEntityHeader& header, const void* data);
  bool deleteEntity(CADHANDLE handle);
  bool changeEntity(CadEntityHeader& header, const void* data);
  CADHANDLE findEntity(CADHANDLE block, int mode, CadEntityHeader& header, void* data);

  const std::vector<CadLineType>& lineTypes() const { return lineTypes_; }
  const std::vector<CadLayer>& layers() const { return layers_; }
  const std::vector<CadTextStyle>& textStyles() const { return textStyles_; }
  const std::vector<CadDimStyle>& dimStyles() const { return dimStyles_; }
  const std::vector<CadBlock>& blocks() const { return blocks_; }
  const std::vector<Entity>& entities() const { return entities_; }

  const CadLayer* layer(CADHANDLE handle) const;
  const CadLineType* lineType(CADHANDLE handle) const;
  const CadBlock* block(CADHANDLE handle) const;

  CadViewProperties view{};

 private:
  template <typename Record>
  CADHANDLE addRecord(std::vector<Record>& table, Record& record);
  template <typename Record>
  CADHANDLE findRecord(std::vector<Record>& table, std::size_t& cursor, int mode, Record& record);
  bool validEntity(const CadEntityHeader& header, CADHANDLE block, const void* data) const;
  static void fillEntity(Entity& entity, const CadEntityHeader& header, const void* data);
  static void copyOut(const Entity& entity, CadEntityHeader& header, void* data);

  CADHANDLE nextHandle_ = 1;
  std::vector<CadLineType> lineTypes_;
  std::vector<CadLayer> layers_;
  std::vector<CadTextStyle> textStyles_;
  std::vector<CadDimStyle> dimStyles_;
  std::vector<CadBlock> blocks_;
  std::vector<Entity> entities_;
  // Where FIND_NEXT goes on, per table kind, for blocks and for entities.
  std::size_t lineTypeCursor_ = 0;
  std::size_t layerCursor_ = 0;
  std::size_t textStyleCursor_ = 0;
  std::size_t dimStyleCursor_ = 0;
  std::size_t blockCursor_ = 0;
  std::size_t entityCursor_ = 0;
};

// Whether a table or block name can be written to DXF: not empty, shorter than CAD_NAME_SIZE, printable
// ASCII and none of <>/\":;?*|=`.
bool validName(const char* name);
// Case-insensitive (ASCII) name comparison, as DXF table names compare.
bool sameName(const char* a, const char* b);

}  // namespace cadio
