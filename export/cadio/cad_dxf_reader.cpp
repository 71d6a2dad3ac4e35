#include "export/cadio/cad_dxf_reader.h"

#include "export/cadio/cad_dxf_writer.h"
#include "export/cadio/cad_model.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <vector>

namespace cadio {
namespace {

void copyName(char (&target)[CAD_NAME_SIZE], const std::string& text) {
  const std::string name = unescapeDxfText(text);
  std::strncpy(target, name.c_str(), CAD_NAME_SIZE - 1);
  target[CAD_NAME_SIZE - 1] = 0;
}

void copyText(char (&target)[CAD_TEXT_SIZE], const std::string& text) {
  const std::string value = unescapeDxfText(text);
  std::strncpy(target, value.c_str(), CAD_TEXT_SIZE - 1);
  target[CAD_TEXT_SIZE - 1] = 0;
}

// Builds a Drawing from dxflib's callbacks. Records the file names by name; handles are the new
// drawing's own.
class Reader : public DL_CreationAdapter {
 public:
  explicit Reader(Drawing& drawing) : drawing_(drawing) {}

  void endSection() override { sawSection_ = true; }

  void processCodeValuePair(unsigned int code, const std::string& value) override {
    if (code == 39) {
      double v = 0;
      std::from_chars(value.data(), value.data() + value.size(), v);
      thickness_ = v;
    }
  }

  void setVariableInt(const std::string& key, int value, int) override {
    if (key == "$INSUNITS") drawing_.view.units = value;
  }

  // dxflib reports a line type's dashes before the line type itself.
  void addLinetypeDash(double length) override {
    if (dashes_.size() < CAD_MAX_DASHES) dashes_.push_back(length);
  }
  void addLinetype(const DL_LinetypeData& data) override {
    CadLineType type{};
    copyName(type.name, data.name);
    copyText(type.description, data.description);
    type.dashCount = static_cast<int>(dashes_.size());
    std::copy(dashes_.begin(), dashes_.end(), type.dashes);
    dashes_.clear();
    drawing_.addTableRecord(CAD_TABLE_LTYPE, &type);
  }

  void addLayer(const DL_LayerData& data) override {
    CadLayer layer{};
    copyName(layer.name, data.name);
    const DL_Attributes a = getAttributes();
    layer.color = a.getColor() < 0 ? -a.getColor() : a.getColor();
    if (layer.color < 1 || layer.color > 255) layer.color = 7;
    layer.off = data.off || a.getColor() < 0;
    layer.flags = data.flags & 5;
    layer.lineType = lineTypeByName(a.getLinetype());
    if (!sameName(layer.name, "0")) drawing_.addTableRecord(CAD_TABLE_LAYER, &layer);
  }

  void addTextStyle(const DL_StyleData& data) override {
    CadTextStyle style{};
    copyName(style.name, data.name);
    copyText(style.fontFile, data.primaryFontFile);
    style.height = data.fixedTextHeight;
    style.widthFactor = data.widthFactor > 0 ? data.widthFactor : 1.0;
    if (!sameName(style.name, "Standard")) drawing_.addTableRecord(CAD_TABLE_STYLE, &style);
  }

  void addBlock(const DL_BlockData& data) override {
    block_ = 0;
    if (data.name.empty() || data.name[0] == '*') return;
    CadBlock block{};
    copyName(block.name, data.name);
    block.baseX = data.bpx;
    block.baseY = data.bpy;
    block_ = drawing_.addBlock(block);
  }
  void endBlock() override { block_ = 0; }

  void addLine(const DL_LineData& data) override {
    const CadLine line{data.x1, data.y1, data.x2, data.y2};
    add(CAD_ENT_LINE, &line);
  }
  void addCircle(const DL_CircleData& data) override {
    const CadCircle circle{data.cx, data.cy, data.radius};
    add(CAD_ENT_CIRCLE, &circle);
  }
  void addPolyline(const DL_PolylineData& data) override {
    polyline_ = true;
    polylineFlags_ = data.flags & CAD_POLYLINE_CLOSED;
    polylineHeader_ = header();
    polylineHeader_.kind = CAD_ENT_POLYLINE;
    vertices_.clear();
  }
  void addVertex(const DL_VertexData& data) override {
    if (polyline_) vertices_.push_back(CadVertex{data.x, data.y});
  }
  void endSequence() override {
    if (!polyline_) return;
    polyline_ = false;
    CadPolyline p{vertices_.data(), static_cast<int>(vertices_.size()), polylineFlags_};
    drawing_.addEntity(block_, polylineHeader_, &p);
  }

  bool sawSection() const { return sawSection_; }

 private:
  CADHANDLE lineTypeByName(const std::string& name) {
    CadLineType probe{};
    copyName(probe.name, name);
    return drawing_.findTableRecord(CAD_TABLE_LTYPE, CAD_FIND_BYNAME, &probe);
  }

  CadEntityHeader header() {
    const DL_Attributes a = getAttributes();
    CadEntityHeader h{};
    CadLayer probe{};
    copyName(probe.name, a.getLayer());
    h.layer = drawing_.findTableRecord(CAD_TABLE_LAYER, CAD_FIND_BYNAME, &probe);
    const std::string type = a.getLinetype();
    h.lineType = (type.empty() || sameName(type.c_str(), "BYLAYER")) ? 0 : lineTypeByName(type);
    h.color = (a.getColor() >= 0 && a.getColor() <= 256) ? a.getColor() : CAD_COLOR_BYLAYER;
    h.thickness = thickness_;
    h.lineTypeScale = 1.0;
    thickness_ = 0;
    return h;
  }

  void add(int kind, const void* data) {
    CadEntityHeader h = header();
    h.kind = kind;
    drawing_.addEntity(block_, h, data);
  }

  Drawing& drawing_;
  std::vector<double> dashes_;
  CADHANDLE block_ = 0;
  bool polyline_ = false;
  int polylineFlags_ = 0;
  CadEntityHeader polylineHeader_{};
  std::vector<CadVertex> vertices_;
  double thickness_ = 0;
  bool sawSection_ = false;
};

}  // namespace

std::unique_ptr<Drawing> readDxfFile(const std::string& path) {
  auto drawing = std::make_unique<Drawing>();
  drawing->view.units = 0;
  Reader reader(*drawing);
  DL_Dxf dxf;
  // The file form of in(): the stream form skips processCodeValuePair, which brings the thickness.
  if (!dxf.in(path, &reader) || !reader.sawSection()) return nullptr;
  return drawing;
}

}  // namespace cadio
