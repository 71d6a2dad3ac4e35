#include "export/spreadsheet/xls_reader.h"

#include "export/spreadsheet/workbook.h"

#include <QFile>
#include <QHash>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace lumivex {
namespace {

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kDateMode = 0x0022;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kRString = 0x00D6;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kFormula = 0x0006;
constexpr std::uint16_t kString = 0x0207;

// Streams larger than this are refused rather than read into memory.
constexpr gsf_off_t kMaxStream = 512ll << 20;

struct GObjectUnref {
  void operator()(void* object) const { g_object_unref(object); }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, GObjectUnref>;

std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t u32(const std::uint8_t* p) { return u16(p) | (static_cast<std::uint32_t>(u16(p + 2)) << 16); }
double f64(const std::uint8_t* p) {
  std::uint64_t bits = u32(p) | (static_cast<std::uint64_t>(u32(p + 4)) << 32);
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

struct Record {
  std::uint16_t type;
  std::span<const std::uint8_t> body;
  std::size_t position;
};

// The records of the stream from a position on; a record that runs past the end ends the walk.
class Records {
 public:
  explicit Records(std::span<const std::uint8_t> stream) : stream_(stream) {}
  void seek(std::size_t position) { pos_ = position; }
  std::optional<Record> next() {
    if (pos_ + 4 > stream_.size()) return std::nullopt;
    const std::uint16_t type = u16(&stream_[pos_]);
    const std::size_t size = u16(&stream_[pos_ + 2]);
    if (pos_ + 4 + size > stream_.size()) return std::nullopt;
    Record record{type, stream_.subspan(pos_ + 4, size), pos_};
    pos_ += 4 + size;
    return record;
  }
  std::optional<Record> peek() {
    const std::size_t saved = pos_;
    std::optional<Record> record = next();
    pos_ = saved;
    return record;
  }

 private:
  std::span<const std::uint8_t> stream_;
  std::size_t pos_ = 0;
};

// Reads texts from a record and its CONTINUE records. Where a text's characters go on in the next
// record, that record starts with a fresh option byte (the characters may switch between one and two
// bytes there); other data just flows on.
class ContinuedReader {
 public:
  explicit ContinuedReader(std::vector<std::span<const std::uint8_t>> blocks) : blocks_(std::move(blocks)) {}

  bool atEnd() const { return block_ >= blocks_.size(); }

  std::optional<std::uint8_t> byte() {
    if (!settle()) return std::nullopt;
    return blocks_[block_][offset_++];
  }
  std::optional<std::uint16_t> word() {
    const auto lo = byte();
    const auto hi = byte();
    if (!lo || !hi) return std::nullopt;
    return static_cast<std::uint16_t>(*lo | (*hi << 8));
  }
  std::optional<std::uint32_t> dword() {
    const auto lo = word();
    const auto hi = word();
    if (!lo || !hi) return std::nullopt;
    return *lo | (static_cast<std::uint32_t>(*hi) << 16);
  }
  bool skip(std::size_t count) {
    for (; count > 0; --count)
      if (!byte()) return false;
    return true;
  }

  // An XLUnicodeRichExtendedString (cch 16-bit) or XLUnicodeString.
  std::optional<QString> string() {
    const auto count = word();
    const auto flags = byte();
    if (!count || !flags) return std::nullopt;
    bool wide = *flags & 0x01;
    std::uint16_t runs = 0;
    std::uint32_t extra = 0;
    if (*flags & 0x08) {
      const auto r = word();
      if (!r) return std::nullopt;
      runs = *r;
    }
    if (*flags & 0x04) {
      const auto e = dword();
      if (!e) return std::nullopt;
      extra = *e;
    }
    QString text;
    text.reserve(*count);
    for (std::uint16_t i = 0; i < *count; ++i) {
      if (!settle()) return std::nullopt;
      if (offset_ == 0 && block_ > 0) {
        // A new record in the middle of the characters: its first byte is the option byte.
        wide = blocks_[block_][offset_++] & 0x01;
      }
      if (wide) {
        const auto unit = word();
        if (!unit) return std::nullopt;
        text += QChar(*unit);
      } else {
        text += QChar(static_cast<char16_t>(blocks_[block_][offset_++]));
      }
    }
    if (!skip(4u * runs + extra)) return std::nullopt;
    return text;
  }

 private:
  // Moves to the next block when the current one is used up.
  bool settle() {
    while (block_ < blocks_.size() && offset_ >= blocks_[block_].size()) {
      ++block_;
      offset_ = 0;
    }
    return block_ < blocks_.size();
  }

  std::vector<std::span<const std::uint8_t>> blocks_;
  std::size_t block_ = 0;
  std::size_t offset_ = 0;
};

// A number stored as RK: 30 bits of an integer or of a double's high part, perhaps divided by 100.
double rkValue(std::uint32_t rk) {
  double value = 0;
  if (rk & 0x02) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFC) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return (rk & 0x01) ? value / 100 : value;
}

QString errorText(std::uint8_t code) {
  switch (code) {
    case 0x00:
      return QStringLiteral("#NULL!");
    case 0x07:
      return QStringLiteral("#DIV/0!");
    case 0x0F:
      return QStringLiteral("#VALUE!");
    case 0x17:
      return QStringLiteral("#REF!");
    case 0x1D:
      return QStringLiteral("#NAME?");
    case 0x24:
      return QStringLiteral("#NUM!");
    default:
      return QStringLiteral("#N/A");
  }
}

struct Globals {
  bool date1904 = false;
  QHash<int, QString> formats;  // custom number formats by number
  std::vector<int> xfFormats;   // the number format of each XF
  std::vector<std::pair<QString, std::size_t>> worksheets;
  std::vector<QString> shared;
};

class SheetReader {
 public:
  SheetReader(const Globals& globals, WorkbookSheet* sheet) : globals_(globals), sheet_(sheet) {}

  void text(std::size_t row, std::size_t column, QString value) { put(row, column, WorkbookCell::ofText(value)); }

  void number(std::size_t row, std::size_t column, std::uint16_t xf, double value) {
    WorkbookCell cell = WorkbookCell::ofNumber(value);
    if (xf < globals_.xfFormats.size()) {
      const int format = globals_.xfFormats[xf];
      const DateFormat kind = classifyNumberFormat(format, globals_.formats.value(format));
      if (kind.date) {
        cell.type = WorkbookCell::Type::Date;
        cell.hasTime = kind.time;
        if (globals_.date1904) cell.number += 1462;  // kept in the 1900 system
      }
    }
    put(row, column, std::move(cell));
  }

  void boolean(std::size_t row, std::size_t column, bool value) {
    WorkbookCell cell;
    cell.type = WorkbookCell::Type::Boolean;
    cell.number = value ? 1 : 0;
    put(row, column, std::move(cell));
  }

 private:
  void put(std::size_t row, std::size_t column, WorkbookCell cell) {
    if (row >= static_cast<std::size_t>(kXlsMaxRows) || column >= static_cast<std::size_t>(kXlsMaxColumns)) return;
    if (sheet_->rows.size() <= row) sheet_->rows.resize(row + 1);
    auto& cells = sheet_->rows[row];
    if (cells.size() <= column) cells.resize(column + 1);
    cells[column] = std::move(cell);
  }

  const Globals& globals_;
  WorkbookSheet* sheet_;
};

std::vector<std::span<const std::uint8_t>> withContinues(Records& records, std::span<const std::uint8_t> first) {
  std::vector<std::span<const std::uint8_t>> blocks{first};
  while (const std::optional<Record> next = records.peek()) {
    if (next->type != kContinue) break;
    blocks.push_back(next->body);
    records.next();
  }
  return blocks;
}

bool readGlobals(std::span<const std::uint8_t> stream, Globals* globals, QString* error) {
  Records records(stream);
  const std::optional<Record> bof = records.next();
  if (!bof || bof->type != kBof || bof->body.size() < 4 || u16(bof->body.data()) != 0x0600 ||
      u16(bof->body.data() + 2) != 0x0005) {
    *error = QStringLiteral("The workbook is in an older Excel format");
    return false;
  }
  while (const std::optional<Record> record = records.next()) {
    const auto body = record->body;
    switch (record->type) {
      case kEof:
        return true;
      case kFilePass:
        *error = QStringLiteral("The workbook is encrypted");
        return false;
      case kDateMode:
        if (body.size() >= 2) globals->date1904 = u16(body.data()) != 0;
        break;
      case kFormat: {
        if (body.size() < 2) break;
        ContinuedReader in({body.subspan(2)});
        if (const std::optional<QString> code = in.string()) globals->formats.insert(u16(body.data()), *code);
        break;
      }
      case kXf:
        if (body.size() >= 4) globals->xfFormats.push_back(u16(body.data() + 2));
        break;
      case kBoundSheet: {
        if (body.size() < 8) break;
        QString name;
        const std::size_t count = body[6];
        const bool wide = body[7] & 1;
        for (std::size_t i = 0; i < count && 8 + (i + 1) * (wide ? 2 : 1) <= body.size(); ++i)
          name += QChar(wide ? u16(body.data() + 8 + 2 * i) : static_cast<char16_t>(body[8 + i]));
        // Charts, macro sheets and modules hold no cells of a table.
        if (body[5] == 0) globals->worksheets.emplace_back(name, u32(body.data()));
        break;
      }
      case kSst: {
        if (body.size() < 8) break;
        const std::uint32_t unique = u32(body.data() + 4);
        ContinuedReader in(withContinues(records, body.subspan(8)));
        globals->shared.reserve(std::min<std::uint32_t>(unique, 1u << 20));
        for (std::uint32_t i = 0; i < unique && !in.atEnd(); ++i) {
          std::optional<QString> text = in.string();
          if (!text) break;
          globals->shared.push_back(std::move(*text));
        }
        break;
      }
      default:
        break;
    }
  }
  *error = QStringLiteral("The workbook's globals end early");
  return false;
}

bool readSheet(std::span<const std::uint8_t> stream, const Globals& globals, std::size_t start, WorkbookSheet* sheet,
               QString* error) {
  Records records(stream);
  records.seek(start);
  const std::optional<Record> bof = records.next();
  if (!bof || bof->type != kBof) {
    *error = QStringLiteral("Sheet %1 cannot be found in the file").arg(sheet->name);
    return false;
  }
  SheetReader out(globals, sheet);
  while (const std::optional<Record> record = records.next()) {
    const auto body = record->body;
    const std::uint8_t* p = body.data();
    switch (record->type) {
      case kEof:
        sheet->trim();
        return true;
      case kLabelSst:
        if (body.size() >= 10 && u32(p + 6) < globals.shared.size())
          out.text(u16(p), u16(p + 2), globals.shared[u32(p + 6)]);
        break;
      case kLabel:
      case kRString:
        if (body.size() >= 9) {
          ContinuedReader in({body.subspan(6)});
          if (const std::optional<QString> text = in.string()) out.text(u16(p), u16(p + 2), *text);
        }
        break;
      case kNumber:
        if (body.size() >= 14) out.number(u16(p), u16(p + 2), u16(p + 4), f64(p + 6));
        break;
      case kRk:
        if (body.size() >= 10) out.number(u16(p), u16(p + 2), u16(p + 4), rkValue(u32(p + 6)));
        break;
      case kMulRk:
        if (body.size() >= 6) {
          const std::size_t count = (body.size() - 6) / 6;
          for (std::size_t i = 0; i < count; ++i)
            out.number(u16(p), u16(p + 2) + i, u16(p + 4 + 6 * i), rkValue(u32(p + 6 + 6 * i)));
        }
        break;
      case kBoolErr:
        if (body.size() >= 8) {
          if (p[7] == 0)
            out.boolean(u16(p), u16(p + 2), p[6] != 0);
          else
            out.text(u16(p), u16(p + 2), errorText(p[6]));
        }
        break;
      case kFormula: {
        // The formula itself cannot be carried over; the value it last computed is kept.
        if (body.size() < 20) break;
        const std::uint8_t* value = p + 6;
        if (u16(value + 6) != 0xFFFF) {
          out.number(u16(p), u16(p + 2), u16(p + 4), f64(value));
        } else if (value[0] == 0) {
          // The text follows in a STRING record (after a possible shared-formula or array record).
          while (const std::optional<Record> following = records.peek()) {
            if (following->type == kString) {
              records.next();
              ContinuedReader in(withContinues(records, following->body));
              if (const std::optional<QString> text = in.string()) out.text(u16(p), u16(p + 2), *text);
              break;
            }
            if (following->type != 0x04BC && following->type != 0x0221 && following->type != 0x0236) break;
            records.next();
          }
        } else if (value[0] == 1) {
          out.boolean(u16(p), u16(p + 2), value[2] != 0);
        } else if (value[0] == 2) {
          out.text(u16(p), u16(p + 2), errorText(value[2]));
        }
        break;
      }
      default:
        break;
    }
  }
  *error = QStringLiteral("Sheet %1 ends early").arg(sheet->name);
  return false;
}

std::vector<std::uint8_t> workbookStream(const QString& path, QString* error) {
  static std::once_flag once;
  std::call_once(once, [] { gsf_init(); });
  std::vector<std::uint8_t> bytes;
  GsfPtr<GsfInput> input(gsf_input_stdio_new(QFile::encodeName(path).constData(), nullptr));
  GsfPtr<GsfInfile> container(input ? gsf_infile_msole_new(input.get(), nullptr) : nullptr);
  if (!container) {
    *error = QStringLiteral("Not an Excel 97-2003 workbook, or damaged");
    return bytes;
  }
  GsfPtr<GsfInput> stream(gsf_infile_child_by_name(container.get(), "Workbook"));
  if (!stream) {
    *error = gsf_infile_child_by_name(container.get(), "Book")
                 ? QStringLiteral("The workbook is in an older Excel format")
                 : QStringLiteral("The file holds no workbook (an encrypted or another Office file?)");
    return bytes;
  }
  const gsf_off_t size = gsf_input_size(stream.get());
  if (size <= 0 || size > kMaxStream) {
    *error = QStringLiteral("The workbook stream is empty or too large");
    return bytes;
  }
  bytes.resize(static_cast<std::size_t>(size));
  if (!gsf_input_read(stream.get(), bytes.size(), bytes.data())) {
    *error = QStringLiteral("The workbook stream cannot be read");
    bytes.clear();
  }
  return bytes;
}

}  // namespace

bool XlsReader::read(const QString& path, Workbook* out, QString* error) {
  QString problem;
  if (!error) error = &problem;
  const std::vector<std::uint8_t> stream = workbookStream(path, error);
  if (stream.empty()) return false;
  Globals globals;
  if (!readGlobals(stream, &globals, error)) return false;
  if (globals.worksheets.empty()) {
    *error = QStringLiteral("The workbook has no worksheet");
    return false;
  }
  Workbook workbook;
  for (const auto& [name, start] : globals.worksheets) {
    WorkbookSheet sheet{name, {}};
    if (!readSheet(stream, globals, start, &sheet, error)) return false;
    workbook.sheets.push_back(std::move(sheet));
  }
  *out = std::move(workbook);
  return true;
}

}  // namespace lumivex
