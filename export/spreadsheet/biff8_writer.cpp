#include "export/spreadsheet/biff8_writer.h"

#include "export/spreadsheet/workbook.h"

#include <QHash>

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace lumivex {
namespace {

// Record types.
constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kDateMode = 0x0022;
constexpr std::uint16_t kWindow1 = 0x003D;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kStyle = 0x0293;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kExtSst = 0x00FF;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kWindow2 = 0x023E;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kBoolErr = 0x0205;

constexpr std::size_t kMaxRecordData = 8224;
// Cell formats: 15 is the general cell format, 16 and 17 show dates (built-in formats 14 and 22).
constexpr std::uint16_t kGeneralXf = 15;
constexpr std::uint16_t kDateXf = 16;
constexpr std::uint16_t kDateTimeXf = 17;

class Bytes {
 public:
  void u8(std::uint8_t v) { data_.push_back(v); }
  void u16(std::uint16_t v) {
    u8(static_cast<std::uint8_t>(v));
    u8(static_cast<std::uint8_t>(v >> 8));
  }
  void u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v));
    u16(static_cast<std::uint16_t>(v >> 16));
  }
  void f64(double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    u32(static_cast<std::uint32_t>(bits));
    u32(static_cast<std::uint32_t>(bits >> 32));
  }
  void append(const Bytes& other) { data_.insert(data_.end(), other.data_.begin(), other.data_.end()); }
  void patch32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) data_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  std::size_t size() const { return data_.size(); }
  const std::vector<std::uint8_t>& data() const { return data_; }
  std::vector<std::uint8_t>& data() { return data_; }

 private:
  std::vector<std::uint8_t> data_;
};

void record(Bytes& out, std::uint16_t type, const Bytes& body) {
  out.u16(type);
  out.u16(static_cast<std::uint16_t>(body.size()));
  out.append(body);
}

bool isCompressible(const QString& text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
}

void characters(Bytes& out, QStringView text, bool compressed) {
  for (const QChar c : text) {
    if (compressed)
      out.u8(static_cast<std::uint8_t>(c.unicode()));
    else
      out.u16(c.unicode());
  }
}

// 1-byte length, option byte, characters: sheet and font names.
void shortString(Bytes& out, const QString& text) {
  const bool compressed = isCompressible(text);
  out.u8(static_cast<std::uint8_t>(text.size()));
  out.u8(compressed ? 0 : 1);
  characters(out, text, compressed);
}

Bytes bof(std::uint16_t kind) {
  Bytes b;
  b.u16(0x0600);  // BIFF8
  b.u16(kind);    // 5 workbook globals, 0x10 worksheet
  b.u16(0x0DBB);
  b.u16(0x07CC);
  b.u32(0);
  b.u32(0x00000006);
  return b;
}

void globalsHead(Bytes& out) {
  record(out, kBof, bof(0x0005));
  Bytes codePage;
  codePage.u16(1200);  // texts are UTF-16
  record(out, kCodePage, codePage);
  Bytes window1;
  for (std::uint16_t v : {0, 0, 0x4000, 0x2000, 0x0038, 0, 0, 1, 0x0258}) window1.u16(v);
  record(out, kWindow1, window1);
  Bytes dateMode;
  dateMode.u16(0);  // dates count from 1900
  record(out, kDateMode, dateMode);
  // Four fonts (index 4 does not exist in this format), all Arial 10.
  for (int i = 0; i < 4; ++i) {
    Bytes font;
    font.u16(200);  // twips
    font.u16(0);
    font.u16(0x7FFF);
    font.u16(400);
    font.u16(0);
    font.u8(0);
    font.u8(0);
    font.u8(0);
    font.u8(0);
    shortString(font, QStringLiteral("Arial"));
    record(out, kFont, font);
  }
  const auto xf = [&out](std::uint16_t format, bool style) {
    Bytes b;
    b.u16(0);  // font
    b.u16(format);
    b.u16(style ? 0xFFF5 : 0x0001);  // style XF without parent, or a locked cell XF of style 0
    b.u8(0x20);                      // bottom aligned
    b.u8(0);
    b.u8(0);
    b.u8(style || format == 0 ? 0x00 : 0x04);  // a cell XF with its own number format says so
    b.u32(0);
    b.u32(0);
    b.u16(0x20C0);  // automatic pattern colours
    record(out, kXf, b);
  };
  for (int i = 0; i < 15; ++i) xf(0, true);
  xf(0, false);
  xf(14, false);
  xf(22, false);
  Bytes style;
  style.u16(0x8000);  // built-in style, XF 0
  style.u8(0);        // "Normal"
  style.u8(0xFF);
  record(out, kStyle, style);
}

// The shared string table, cut into an SST record and CONTINUE records of at most 8,224 bytes, with the
// EXTSST index of every dsst-th string. `streamOffset` is where the SST record starts in the stream.
class SstBuilder {
 public:
  explicit SstBuilder(std::size_t streamOffset) : streamOffset_(streamOffset) {}

  void build(const std::vector<QString>& strings, std::uint32_t references) {
    current_.u32(references);
    current_.u32(static_cast<std::uint32_t>(strings.size()));
    dsst_ = std::max<std::size_t>(8, (strings.size() + 127) / 128);
    for (std::size_t i = 0; i < strings.size(); ++i) add(strings[i], i % dsst_ == 0);
    finishRecord();
  }

  const Bytes& records() const { return out_; }

  Bytes extSst() const {
    Bytes b;
    b.u16(static_cast<std::uint16_t>(dsst_));
    for (const auto& [position, offset] : index_) {
      b.u32(static_cast<std::uint32_t>(position));
      b.u16(static_cast<std::uint16_t>(offset));
      b.u16(0);
    }
    return b;
  }

 private:
  std::size_t room() const { return kMaxRecordData - current_.size(); }

  void finishRecord() {
    record(out_, first_ ? kSst : kContinue, current_);
    first_ = false;
    current_ = Bytes();
  }

  void add(const QString& text, bool indexed) {
    const bool compressed = isCompressible(text);
    const std::size_t charSize = compressed ? 1 : 2;
    // The length and option byte never straddle two records, nor does a character.
    if (room() < 3 + charSize) finishRecord();
    if (indexed) {
      const std::size_t inRecord = current_.size() + 4;  // counted from the record header
      index_.emplace_back(streamOffset_ + out_.size() + inRecord, inRecord);
    }
    current_.u16(static_cast<std::uint16_t>(text.size()));
    current_.u8(compressed ? 0 : 1);
    QStringView rest(text);
    while (!rest.isEmpty()) {
      const std::size_t fit = std::min<std::size_t>(room() / charSize, static_cast<std::size_t>(rest.size()));
      characters(current_, rest.first(static_cast<qsizetype>(fit)), compressed);
      rest = rest.mid(static_cast<qsizetype>(fit));
      if (rest.isEmpty()) break;
      finishRecord();
      current_.u8(compressed ? 0 : 1);  // a continued text repeats its option byte
    }
  }

  std::size_t streamOffset_;
  Bytes out_;
  Bytes current_;
  bool first_ = true;
  std::size_t dsst_ = 8;
  std::vector<std::pair<std::size_t, std::size_t>> index_;
};

Bytes cellHead(std::uint16_t row, std::uint16_t column, std::uint16_t xf) {
  Bytes b;
  b.u16(row);
  b.u16(column);
  b.u16(xf);
  return b;
}

Bytes sheetStream(const WorkbookSheet& sheet, bool active, const QHash<QString, std::uint32_t>& sst) {
  Bytes out;
  record(out, kBof, bof(0x0010));
  Bytes dimensions;
  const int columns = sheet.columnCount();
  const bool empty = sheet.rows.empty() || columns == 0;
  dimensions.u32(0);
  dimensions.u32(empty ? 0 : static_cast<std::uint32_t>(sheet.rows.size()));
  dimensions.u16(0);
  dimensions.u16(empty ? 0 : static_cast<std::uint16_t>(columns));
  dimensions.u16(0);
  record(out, kDimensions, dimensions);
  for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
    const auto& row = sheet.rows[r];
    for (std::size_t c = 0; c < row.size(); ++c) {
      const WorkbookCell& cell = row[c];
      const auto rowIndex = static_cast<std::uint16_t>(r);
      const auto columnIndex = static_cast<std::uint16_t>(c);
      switch (cell.type) {
        case WorkbookCell::Type::Empty:
          // A formula without a value from another program: its text is all there is to keep.
          if (!cell.formula.isEmpty()) {
            Bytes b = cellHead(rowIndex, columnIndex, kGeneralXf);
            b.u32(sst.value(QLatin1Char('=') + cell.formula));
            record(out, kLabelSst, b);
          }
          break;
        case WorkbookCell::Type::Text: {
          Bytes b = cellHead(rowIndex, columnIndex, kGeneralXf);
          b.u32(sst.value(cell.text));
          record(out, kLabelSst, b);
          break;
        }
        case WorkbookCell::Type::Number:
        case WorkbookCell::Type::Date: {
          const std::uint16_t xf =
              cell.type == WorkbookCell::Type::Number ? kGeneralXf : (cell.hasTime ? kDateTimeXf : kDateXf);
          Bytes b = cellHead(rowIndex, columnIndex, xf);
          b.f64(cell.number);
          record(out, kNumber, b);
          break;
        }
        case WorkbookCell::Type::Boolean: {
          Bytes b = cellHead(rowIndex, columnIndex, kGeneralXf);
          b.u8(cell.number != 0 ? 1 : 0);
          b.u8(0);
          record(out, kBoolErr, b);
          break;
        }
      }
    }
  }
  Bytes window2;
  window2.u16(active ? 0x06B6 : 0x00B6);  // grid, headers, zeros, outline; the first sheet selected
  window2.u16(0);
  window2.u16(0);
  window2.u16(64);
  window2.u16(0);
  window2.u16(0);
  window2.u16(0);
  window2.u32(0);
  record(out, kWindow2, window2);
  record(out, kEof, Bytes());
  return out;
}

bool checkFits(const Workbook& workbook, QString* error) {
  if (workbook.sheets.empty()) {
    *error = QStringLiteral("A workbook needs at least one sheet");
    return false;
  }
  for (const WorkbookSheet& sheet : workbook.sheets) {
    if (sheet.name.isEmpty() || sheet.name.size() > kMaxSheetName) {
      *error = QStringLiteral("Sheet name is empty or longer than 31 characters: ") + sheet.name;
      return false;
    }
    if (sheet.rows.size() > static_cast<std::size_t>(kXlsMaxRows)) {
      *error = QStringLiteral("Sheet %1 has %2 rows; an .xls sheet holds at most 65,536")
                   .arg(sheet.name)
                   .arg(sheet.rows.size());
      return false;
    }
    if (sheet.columnCount() > kXlsMaxColumns) {
      *error = QStringLiteral("Sheet %1 has %2 columns; an .xls sheet holds at most 256")
                   .arg(sheet.name)
                   .arg(sheet.columnCount());
      return false;
    }
    for (const auto& row : sheet.rows)
      for (const WorkbookCell& cell : row)
        if (cell.text.size() > kMaxCellText || cell.formula.size() >= kMaxCellText) {
          *error = QStringLiteral("A text in sheet %1 is longer than 32,767 characters").arg(sheet.name);
          return false;
        }
  }
  return true;
}

// libgsf objects are GObjects: one unref each.
struct GObjectUnref {
  void operator()(void* object) const { g_object_unref(object); }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, GObjectUnref>;

bool packCompoundFile(const std::vector<std::uint8_t>& stream, QByteArray* out, QString* error) {
  static std::once_flag once;
  std::call_once(once, [] { gsf_init(); });
  GsfPtr<GsfOutput> memory(gsf_output_memory_new());
  GsfPtr<GsfOutfile> container(gsf_outfile_msole_new(memory.get()));
  if (!container) {
    *error = QStringLiteral("Cannot create the compound file");
    return false;
  }
  {
    GsfPtr<GsfOutput> child(gsf_outfile_new_child(container.get(), "Workbook", FALSE));
    if (!child || !gsf_output_write(child.get(), stream.size(), stream.data()) || !gsf_output_close(child.get())) {
      *error = QStringLiteral("Cannot write the Workbook stream");
      return false;
    }
  }
  // Closing the container closes the memory sink as well.
  if (!gsf_output_close(GSF_OUTPUT(container.get()))) {
    *error = QStringLiteral("Cannot finish the compound file");
    return false;
  }
  const gsf_off_t size = gsf_output_size(memory.get());
  const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory.get()));
  *out = QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  return true;
}

}  // namespace

bool Biff8Writer::encode(const Workbook& workbook, QByteArray* out, QString* error) {
  QString problem;
  if (!error) error = &problem;
  if (!checkFits(workbook, error)) return false;

  std::vector<QString> strings;
  QHash<QString, std::uint32_t> sst;
  std::uint32_t references = 0;
  const auto share = [&](const QString& text) {
    ++references;
    if (!sst.contains(text)) {
      sst.insert(text, static_cast<std::uint32_t>(strings.size()));
      strings.push_back(text);
    }
  };
  for (const WorkbookSheet& sheet : workbook.sheets)
    for (const auto& row : sheet.rows)
      for (const WorkbookCell& cell : row) {
        if (cell.type == WorkbookCell::Type::Text) share(cell.text);
        if (cell.type == WorkbookCell::Type::Empty && !cell.formula.isEmpty()) share(QLatin1Char('=') + cell.formula);
      }

  Bytes globals;
  globalsHead(globals);
  std::vector<std::size_t> sheetOffsetAt;
  for (const WorkbookSheet& sheet : workbook.sheets) {
    Bytes b;
    sheetOffsetAt.push_back(globals.size() + 4);
    b.u32(0);  // where the sheet's BOF is, patched below
    b.u8(0);   // visible
    b.u8(0);   // worksheet
    shortString(b, sheet.name);
    record(globals, kBoundSheet, b);
  }
  SstBuilder sstRecords(globals.size());
  sstRecords.build(strings, references);
  globals.append(sstRecords.records());
  record(globals, kExtSst, sstRecords.extSst());
  record(globals, kEof, Bytes());

  Bytes stream = std::move(globals);
  for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
    stream.patch32(sheetOffsetAt[i], static_cast<std::uint32_t>(stream.size()));
    stream.append(sheetStream(workbook.sheets[i], i == 0, sst));
  }
  // Streams under 4,096 bytes would go to the container's small-block area, which some readers of this
  // format do not accept for the workbook; zeros after the last EOF are ignored by all of them.
  if (stream.size() < 4096) stream.data().resize(4096, 0);
  return packCompoundFile(stream.data(), out, error);
}

}  // namespace lumivex
