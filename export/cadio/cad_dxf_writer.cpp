#include "export/cadio/cad_dxf_writer.h"

#include "export/cadio/cad_model.h"

#include <dl_dxf.h>
#include <dl_writer_ascii.h>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>

namespace cadio {
namespace {

// dxflib's writer keeps its own file stream and formats numbers in the C library's locale (a comma under
// de_DE). This one collects the text in memory and formats every number itself; the base class's stream
// is opened on /dev/null and never written.
class MemoryWriter : public DL_WriterA {
 public:
  MemoryWriter() : DL_WriterA("/dev/null", DL_Codes::AC1009) {}

  void dxfReal(int gc, double value) const override {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 10);
    if (ec != std::errc()) {
      end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    } else {
      // Trailing zeros go, but one digit stays after the point.
      while (end > buffer + 1 && end[-1] == '0' && end[-2] != '.') --end;
    }
    groupCode(gc);
    text_.append(buffer, end);
    text_ += '\n';
  }
  void dxfInt(int gc, int value) const override {
    groupCode(gc);
    text_ += std::to_string(value);
    text_ += '\n';
  }
  void dxfHex(int gc, int value) const override {
    char buffer[16];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<unsigned>(value), 16).ptr;
    groupCode(gc);
    for (char* p = buffer; p != end; ++p) text_ += static_cast<char>(std::toupper(*p));
    text_ += '\n';
  }
  void dxfString(int gc, const char* value) const override {
    groupCode(gc);
    text_ += value;
    text_ += '\n';
  }
  void dxfString(int gc, const std::string& value) const override { dxfString(gc, value.c_str()); }

  std::string take() { return std::move(text_); }

 private:
  void groupCode(int gc) const {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%3d\n", gc);
    text_ += buffer;
  }
  mutable std::string text_;
};

std::string layerName(const Drawing& drawing, CADHANDLE handle) {
  const CadLayer* layer = drawing.layer(handle);
  return layer != nullptr ? escapeDxfText(layer->name) : std::string("0");
}

std::string lineTypeName(const Drawing& drawing, CADHANDLE handle, const char* fallback) {
  const CadLineType* type = drawing.lineType(handle);
  return type != nullptr ? escapeDxfText(type->name) : std::string(fallback);
}

bool hasLineType(const Drawing& drawing, const char* name) {
  for (const CadLineType& t : drawing.lineTypes()) {
    if (sameName(t.name, name)) return true;
  }
  return false;
}

// Entity groups written here rather than by DL_Writer::entityAttributes, which in R12 drops every line
// type but BYLAYER. R12 has no per-entity line-type scale (group 48 came with R13), so that stays in the
// drawing only.
void writeAttributes(MemoryWriter& dw, const Drawing& drawing, const CadEntityHeader& h) {
  dw.dxfString(8, layerName(drawing, h.layer));
  if (h.lineType != 0) dw.dxfString(6, lineTypeName(drawing, h.lineType, "BYLAYER"));
  if (h.color != CAD_COLOR_BYLAYER) dw.dxfInt(62, h.color);
  if (h.thickness != 0) dw.dxfReal(39, h.thickness);
}

void writeEntity(DL_Dxf& dxf, MemoryWriter& dw, const Drawing& drawing, const Entity& e) {
  const CadEntityHeader& h = e.header;
  switch (h.kind) {
    case CAD_ENT_LINE:
      dw.entity("LINE");
      writeAttributes(dw, drawing, h);
      dw.coord(10, e.line.x1, e.line.y1, 0.0);
      dw.coord(11, e.line.x2, e.line.y2, 0.0);
      break;
    case CAD_ENT_CIRCLE:
      dw.entity("CIRCLE");
      writeAttributes(dw, drawing, h);
      dw.coord(10, e.circle.cx, e.circle.cy, 0.0);
      dw.dxfReal(40, e.circle.radius);
      break;
    case CAD_ENT_POLYLINE: {
      dw.entity("POLYLINE");
      writeAttributes(dw, drawing, h);
      dw.dxfInt(66, 1);
      dw.coord(10, 0.0, 0.0, 0.0);
      dw.dxfInt(70, e.polylineFlags & CAD_POLYLINE_CLOSED);
      const std::string layer = layerName(drawing, h.layer);
      for (const CadVertex& v : e.vertices) {
        dw.entity("VERTEX");
        dw.dxfString(8, layer);
        dw.coord(10, v.x, v.y, 0.0);
      }
      dxf.writePolylineEnd(dw);
      break;
    }
    default:
      break;
  }
}

void writeTables(DL_Dxf& dxf, MemoryWriter& dw, const Drawing& drawing) {
  dw.sectionTables();
  dxf.writeVPort(dw);

  const bool ownContinuous = hasLineType(drawing, "Continuous");
  dw.tableLinetypes(static_cast<int>(drawing.lineTypes().size()) + (ownContinuous ? 0 : 1));
  if (!ownContinuous) dxf.writeLinetype(dw, DL_LinetypeData("Continuous", "Solid line", 0, 0, 0.0));
  for (const CadLineType& t : drawing.lineTypes()) {
    double pattern[CAD_MAX_DASHES];
    double length = 0;
    for (int i = 0; i < t.dashCount; ++i) {
      pattern[i] = t.dashes[i];
      length += t.dashes[i] < 0 ? -t.dashes[i] : t.dashes[i];
    }
    dxf.writeLinetype(dw, DL_LinetypeData(escapeDxfText(t.name), escapeDxfText(t.description), 0, t.dashCount, length,
                                          t.dashCount > 0 ? pattern : nullptr));
  }
  dw.tableEnd();

  bool ownZero = false;
  for (const CadLayer& l : drawing.layers()) ownZero = ownZero || sameName(l.name, "0");
  dw.tableLayers(static_cast<int>(drawing.layers().size()) + (ownZero ? 0 : 1));
  if (!ownZero) dxf.writeLayer(dw, DL_LayerData("0", 0), DL_Attributes("", 7, 0, "Continuous", 1.0));
  for (const CadLayer& l : drawing.layers()) {
    dxf.writeLayer(dw, DL_LayerData(escapeDxfText(l.name), l.flags & 5, l.off != 0),
                   DL_Attributes("", l.color, 0, lineTypeName(drawing, l.lineType, "Continuous"), 1.0));
  }
  dw.tableEnd();

  bool ownStandard = false;
  for (const CadTextStyle& s : drawing.textStyles()) ownStandard = ownStandard || sameName(s.name, "Standard");
  dw.tableStyle(static_cast<int>(drawing.textStyles().size()) + (ownStandard ? 0 : 1));
  if (!ownStandard) dxf.writeStyle(dw, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
  for (const CadTextStyle& s : drawing.textStyles()) {
    dxf.writeStyle(dw, DL_StyleData(escapeDxfText(s.name), 0, s.height, s.widthFactor, 0.0, 0,
                                    s.height > 0 ? s.height : 2.5, escapeDxfText(s.fontFile), ""));
  }
  dw.tableEnd();

  dxf.writeView(dw);
  dxf.writeUcs(dw);
  dw.tableAppid(1);
  dxf.writeAppid(dw, "ACAD");
  dw.tableEnd();

  // dxflib writes one fixed dimension style; the drawing's own are written record by record.
  dw.table("DIMSTYLE", static_cast<int>(drawing.dimStyles().size()));
  for (const CadDimStyle& d : drawing.dimStyles()) {
    dw.dxfString(0, "DIMSTYLE");
    dw.dxfString(2, escapeDxfText(d.name));
    dw.dxfInt(70, 0);
    dw.dxfReal(41, d.arrowSize);
    dw.dxfReal(42, d.extensionOffset);
    dw.dxfReal(44, d.extensionBeyond);
    dw.dxfReal(140, d.textHeight);
    dw.dxfReal(147, d.textGap);
  }
  dw.tableEnd();
  dw.sectionEnd();
}

}  // namespace

std::string escapeDxfText(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    int length = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc0 ? 2 : 1;
    unsigned code = length == 4 ? c & 0x07u : length == 3 ? c & 0x0fu : c & 0x1fu;
    bool valid = length > 1 && i + static_cast<std::size_t>(length) <= utf8.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xc0u) == 0x80u;
      code = (code << 6) | (next & 0x3fu);
    }
    if (!valid) length = 1;
    if (valid && code <= 0xffff) {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "\\U+%04X", code);
      out += buffer;
    } else {
      out += '_';  // broken UTF-8 or outside what the escape can name
    }
    i += static_cast<std::size_t>(length);
  }
  return out;
}

std::string unescapeDxfText(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    unsigned code = 0;
    if (text.compare(i, 3, "\\U+") == 0 && i + 7 <= text.size() &&
        std::from_chars(text.data() + i + 3, text.data() + i + 7, code, 16).ptr == text.data() + i + 7) {
      if (code < 0x80) {
        out += static_cast<char>(code);
      } else if (code < 0x800) {
        out += static_cast<char>(0xc0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3f));
      } else {
        out += static_cast<char>(0xe0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
      }
      i += 7;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string dxfText(const Drawing& drawing, CadProgress progress, void* context, bool* stopped) {
  if (stopped != nullptr) *stopped = false;
  DL_Dxf dxf;
  // DL_Dxf keeps the version it writes in, settable only through out(); its writer is not used.
  std::unique_ptr<DL_WriterA>(dxf.out("/dev/null", DL_Codes::AC1009)).reset();
  MemoryWriter dw;
  dxf.writeHeader(dw);
  dw.dxfString(9, "$INSUNITS");
  dw.dxfInt(70, drawing.view.units);
  dw.dxfString(9, "$MEASUREMENT");
  dw.dxfInt(70, drawing.view.units == 1 || drawing.view.units == 9 ? 0 : 1);
  dw.sectionEnd();

  writeTables(dxf, dw, drawing);

  dw.sectionBlocks();
  for (const CadBlock& b : drawing.blocks()) {
    const std::string name = escapeDxfText(b.name);
    dxf.writeBlock(dw, DL_BlockData(name, 0, b.baseX, b.baseY, 0.0));
    for (const Entity& e : drawing.entities()) {
      if (e.block == b.handle) writeEntity(dxf, dw, drawing, e);
    }
    dxf.writeEndBlock(dw, name);
  }
  dw.sectionEnd();

  dw.sectionEntities();
  const std::size_t total = drawing.entities().size();
  std::size_t done = 0;
  int reported = -1;
  for (const Entity& e : drawing.entities()) {
    if (e.block == 0) writeEntity(dxf, dw, drawing, e);
    const int percent = static_cast<int>(++done * 100 / total);
    if (progress != nullptr && percent != reported) {
      reported = percent;
      if (progress(percent, context) == 0) {
        if (stopped != nullptr) *stopped = true;
        return {};
      }
    }
  }
  dw.sectionEnd();
  dw.dxfEOF();
  return dw.take();
}

bool writeWholeFile(const char* path, const std::string& text) {
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const char* data = text.data();
  std::size_t left = text.size();
  int failure = 0;  // the first error, left in errno for the caller
  while (failure == 0 && left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failure = n < 0 ? errno : EIO;
    } else {
      data += n;
      left -= static_cast<std::size_t>(n);
    }
  }
  if (failure == 0 && ::fsync(fd) != 0) failure = errno;
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0) return true;
  ::unlink(path);
  errno = failure;
  return false;
}

}  // namespace cadio
