#include "export/spreadsheet/xlsx_reader.h"

#include "export/spreadsheet/workbook.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <zip.h>
#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumivex {
namespace {

struct ZipClose {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileClose {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

// Parts larger than this are refused rather than inflated (a damaged or hostile archive).
constexpr zip_uint64_t kMaxPart = 512ull << 20;

std::optional<std::string> readPart(zip_t* archive, const std::string& name) {
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat(archive, name.c_str(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) || stat.size > kMaxPart)
    return std::nullopt;
  std::unique_ptr<zip_file_t, ZipFileClose> file(zip_fopen(archive, name.c_str(), 0));
  if (!file) return std::nullopt;
  std::string data(static_cast<std::size_t>(stat.size), '\0');
  zip_int64_t done = 0;
  while (done < static_cast<zip_int64_t>(data.size())) {
    const zip_int64_t n = zip_fread(file.get(), data.data() + done, data.size() - static_cast<std::size_t>(done));
    if (n <= 0) return std::nullopt;
    done += n;
  }
  return data;
}

bool parse(pugi::xml_document& doc, const std::optional<std::string>& data) {
  return data && doc.load_buffer(data->data(), data->size(), pugi::parse_default | pugi::parse_ws_pcdata);
}

// Element names may carry a namespace prefix ("x:row"); match on the local name.
const char* localName(const pugi::xml_node& node) {
  const char* name = node.name();
  const char* colon = std::strrchr(name, ':');
  return colon ? colon + 1 : name;
}

bool is(const pugi::xml_node& node, const char* name) { return std::strcmp(localName(node), name) == 0; }

pugi::xml_node child(const pugi::xml_node& node, const char* name) {
  for (pugi::xml_node c : node.children())
    if (is(c, name)) return c;
  return {};
}

const char* attribute(const pugi::xml_node& node, const char* name) {
  for (pugi::xml_attribute a : node.attributes()) {
    const char* full = a.name();
    const char* colon = std::strrchr(full, ':');
    if (std::strcmp(colon ? colon + 1 : full, name) == 0) return a.value();
  }
  return "";
}

// Texts escape characters XML cannot hold as _xHHHH_.
QString unescape(const char* utf8) {
  QString text = QString::fromUtf8(utf8);
  if (!text.contains(QLatin1String("_x"))) return text;
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
      bool ok = false;
      const ushort code = QStringView(text).mid(i + 2, 4).toUShort(&ok, 16);
      if (ok) {
        out += QChar(code);
        i += 6;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

// The text of a shared string or inline string: plain <t>, or the runs of rich text (not phonetic runs).
QString stringItem(const pugi::xml_node& item) {
  QString text;
  for (pugi::xml_node part : item.children()) {
    if (is(part, "t")) text += unescape(part.child_value());
    if (is(part, "r"))
      if (pugi::xml_node t = child(part, "t")) text += unescape(t.child_value());
  }
  return text;
}

// A relationship target relative to the part that names it ("worksheets/sheet1.xml" from
// "xl/workbook.xml"), or absolute from the package root.
std::string resolve(const std::string& base, const std::string& target) {
  std::vector<std::string> segments;
  std::string path = target;
  if (!target.empty() && target.front() == '/') {
    path = target.substr(1);
  } else {
    const std::size_t slash = base.rfind('/');
    if (slash != std::string::npos) path = base.substr(0, slash + 1) + target;
  }
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string segment = path.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  std::string joined;
  for (const std::string& segment : segments) joined += (joined.empty() ? "" : "/") + segment;
  return joined;
}

// Relationship targets by id of one part.
QHash<QString, std::pair<std::string, std::string>> relationships(zip_t* archive, const std::string& part) {
  QHash<QString, std::pair<std::string, std::string>> result;
  const std::size_t slash = part.rfind('/');
  const std::string relsPath = (slash == std::string::npos ? std::string() : part.substr(0, slash + 1)) + "_rels/" +
                               part.substr(slash == std::string::npos ? 0 : slash + 1) + ".rels";
  pugi::xml_document doc;
  if (!parse(doc, readPart(archive, relsPath))) return result;
  for (pugi::xml_node rel : doc.document_element().children())
    result.insert(QString::fromUtf8(attribute(rel, "Id")),
                  {resolve(part, attribute(rel, "Target")), std::string(attribute(rel, "Type"))});
  return result;
}

// For each cell style index: whether its number format shows a date or time.
std::vector<DateFormat> dateStyles(zip_t* archive, const std::string& stylesPart) {
  std::vector<DateFormat> styles;
  pugi::xml_document doc;
  if (stylesPart.empty() || !parse(doc, readPart(archive, stylesPart))) return styles;
  const pugi::xml_node root = doc.document_element();
  QHash<int, QString> custom;
  for (pugi::xml_node format : child(root, "numFmts").children())
    custom.insert(format.attribute("numFmtId").as_int(), QString::fromUtf8(attribute(format, "formatCode")));
  for (pugi::xml_node xf : child(root, "cellXfs").children()) {
    const int id = xf.attribute("numFmtId").as_int();
    styles.push_back(classifyNumberFormat(id, custom.value(id)));
  }
  return styles;
}

// The C library's strtod follows LC_NUMERIC ("0.7" reads 0 under a comma-decimal locale); from_chars
// does not.
double number(const char* text) {
  while (*text == ' ') ++text;
  if (*text == '+') ++text;
  double value = 0;
  std::from_chars(text, text + std::strlen(text), value);
  return value;
}

// "BC12" -> column 54 (0-based 54), row 11.
bool cellReference(const char* text, std::size_t* row, std::size_t* column) {
  std::size_t c = 0;
  std::size_t r = 0;
  const char* p = text;
  while (*p >= 'A' && *p <= 'Z') c = c * 26 + static_cast<std::size_t>(*p++ - 'A' + 1);
  while (*p >= '0' && *p <= '9') r = r * 10 + static_cast<std::size_t>(*p++ - '0');
  if (*p != '\0' || c == 0 || r == 0 || c > kXlsxMaxColumns || r > kXlsxMaxRows) return false;
  *row = r - 1;
  *column = c - 1;
  return true;
}

bool readSheet(zip_t* archive, const std::string& part, const std::vector<QString>& shared,
               const std::vector<DateFormat>& styles, WorkbookSheet* sheet, QString* error) {
  pugi::xml_document doc;
  if (!parse(doc, readPart(archive, part))) {
    *error = QStringLiteral("Sheet %1 cannot be read").arg(sheet->name);
    return false;
  }
  std::size_t nextRow = 0;
  for (pugi::xml_node row : child(doc.document_element(), "sheetData").children()) {
    if (!is(row, "row")) continue;
    const std::size_t rowIndex = row.attribute("r") ? row.attribute("r").as_ullong() - 1 : nextRow;
    if (rowIndex >= static_cast<std::size_t>(kXlsxMaxRows)) break;
    nextRow = rowIndex + 1;
    std::size_t nextColumn = 0;
    for (pugi::xml_node c : row.children()) {
      if (!is(c, "c")) continue;
      std::size_t r = rowIndex;
      std::size_t column = nextColumn;
      if (c.attribute("r") && !cellReference(c.attribute("r").value(), &r, &column)) continue;
      nextColumn = column + 1;
      const std::string type = c.attribute("t").value();
      const pugi::xml_node value = child(c, "v");
      const pugi::xml_node formula = child(c, "f");
      WorkbookCell cell;
      // Shared formulas exist in full on their first cell only; the others keep their value.
      if (formula && std::strcmp(formula.attribute("t").value(), "shared") != 0 &&
          std::strcmp(formula.attribute("t").value(), "array") != 0)
        cell.formula = QString::fromUtf8(formula.child_value());
      if (type == "s") {
        const std::size_t index = value.text().as_ullong(shared.size());
        if (index < shared.size()) cell = WorkbookCell::ofText(shared[index]);
      } else if (type == "inlineStr") {
        cell.type = WorkbookCell::Type::Text;
        cell.text = stringItem(child(c, "is"));
      } else if (type == "str" || type == "e") {
        cell.type = WorkbookCell::Type::Text;
        cell.text = unescape(value.child_value());
      } else if (type == "b") {
        cell.type = WorkbookCell::Type::Boolean;
        cell.number = value.text().as_int() != 0 ? 1 : 0;
      } else if (type == "d") {
        if (serialFromIsoText(QString::fromUtf8(value.child_value()).replace(u'T', u' ').left(19), &cell.number,
                              &cell.hasTime))
          cell.type = WorkbookCell::Type::Date;
      } else if (value) {
        cell.type = WorkbookCell::Type::Number;
        cell.number = number(value.child_value());
        const std::size_t style = c.attribute("s").as_ullong();
        if (style < styles.size() && styles[style].date) {
          cell.type = WorkbookCell::Type::Date;
          cell.hasTime = styles[style].time;
        }
      }
      if (cell.type == WorkbookCell::Type::Text && cell.text.isEmpty()) cell.type = WorkbookCell::Type::Empty;
      if (cell.isEmpty()) continue;
      if (sheet->rows.size() <= r) sheet->rows.resize(r + 1);
      auto& cells = sheet->rows[r];
      if (cells.size() <= column) cells.resize(column + 1);
      cells[column] = std::move(cell);
    }
  }
  sheet->trim();
  return true;
}

}  // namespace

bool XlsxReader::read(const QString& path, Workbook* out, QString* error) {
  QString problem;
  if (!error) error = &problem;
  int code = 0;
  std::unique_ptr<zip_t, ZipClose> archive(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code));
  if (!archive) {
    *error = QStringLiteral("Not an .xlsx workbook, or damaged");
    return false;
  }
  // The package's relationships name the workbook part.
  std::string workbookPart = "xl/workbook.xml";
  {
    pugi::xml_document rels;
    if (parse(rels, readPart(archive.get(), "_rels/.rels")))
      for (pugi::xml_node rel : rels.document_element().children())
        if (std::string(attribute(rel, "Type")).ends_with("/officeDocument"))
          workbookPart = resolve("", attribute(rel, "Target"));
  }
  pugi::xml_document book;
  if (!parse(book, readPart(archive.get(), workbookPart))) {
    *error = QStringLiteral("The workbook part of the file cannot be read");
    return false;
  }
  const auto parts = relationships(archive.get(), workbookPart);
  std::string sharedPart;
  std::string stylesPart;
  for (const auto& [target, type] : parts) {
    if (type.ends_with("/sharedStrings")) sharedPart = target;
    if (type.ends_with("/styles")) stylesPart = target;
  }
  std::vector<QString> shared;
  if (!sharedPart.empty()) {
    pugi::xml_document strings;
    if (!parse(strings, readPart(archive.get(), sharedPart))) {
      *error = QStringLiteral("The shared texts of the workbook cannot be read");
      return false;
    }
    for (pugi::xml_node item : strings.document_element().children())
      if (is(item, "si")) shared.push_back(stringItem(item));
  }
  const std::vector<DateFormat> styles = dateStyles(archive.get(), stylesPart);

  Workbook workbook;
  for (pugi::xml_node entry : child(book.document_element(), "sheets").children()) {
    const auto part = parts.find(QString::fromUtf8(attribute(entry, "id")));
    if (part == parts.end() || !part->second.ends_with("/worksheet")) continue;
    WorkbookSheet sheet;
    sheet.name = QString::fromUtf8(attribute(entry, "name"));
    if (!readSheet(archive.get(), part->first, shared, styles, &sheet, error)) return false;
    workbook.sheets.push_back(std::move(sheet));
  }
  if (workbook.sheets.empty()) {
    *error = QStringLiteral("The workbook has no worksheet");
    return false;
  }
  *out = std::move(workbook);
  return true;
}

}  // namespace lumivex
