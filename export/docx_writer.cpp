#include "export/docx_writer.h"

#include "export/report_document.h"

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace lumivex {
namespace {

constexpr const char* kContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Default Extension="png" ContentType="image/png"/>)"
    R"(<Override PartName="/word/document.xml" )"
    R"(ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(</Types>)";

constexpr const char* kPackageRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" )"
    R"(Target="word/document.xml"/>)"
    R"(</Relationships>)";

constexpr const char* kDocumentStart =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" )"
    R"(xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing" )"
    R"(xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" )"
    R"(xmlns:pic="http://schemas.openxmlformats.org/drawingml/2006/picture"><w:body>)";

// A4 with 2 cm margins: 11906 x 16838 twips, 1134 twips of margin.
constexpr const char* kDocumentEnd =
    R"(<w:sectPr><w:pgSz w:w="11906" w:h="16838"/>)"
    R"(<w:pgMar w:top="1134" w:right="1134" w:bottom="1134" w:left="1134" w:header="709" w:footer="709" )"
    R"(w:gutter="0"/></w:sectPr></w:body></w:document>)";

// The text width of that page in EMU (9638 twips x 635); a wider picture is shown scaled to it.
constexpr long long kTextWidthEmu = 9638LL * 635;
constexpr long long kEmuPerPixel = 9525;  // at 96 dots per inch

const char* alignmentValue(int alignment) {
  switch (alignment) {
    case 1:
      return "center";
    case 2:
      return "right";
    case 3:
      return "both";
    default:
      return "left";
  }
}

// Word's highlight colours by the automation's WdColorIndex.
const char* highlightValue(int index) {
  static const char* const names[] = {"none",        "black",   "blue",       "cyan",     "green",    "magenta",
                                      "red",         "yellow",  "white",      "darkBlue", "darkCyan", "darkGreen",
                                      "darkMagenta", "darkRed", "darkYellow", "darkGray", "lightGray"};
  return (index > 0 && index < 17) ? names[index] : nullptr;
}

void appendNumber(QByteArray& out, long long value) { out += QByteArray::number(value); }

void appendRunProperties(QByteArray& out, const TextFormat& f) {
  out += "<w:rPr><w:rFonts w:ascii=\"";
  appendXmlEscaped(out, f.fontName);
  out += "\" w:hAnsi=\"";
  appendXmlEscaped(out, f.fontName);
  out += "\" w:cs=\"";
  appendXmlEscaped(out, f.fontName);
  out += "\" w:eastAsia=\"";
  appendXmlEscaped(out, f.fontName);
  out += "\"/>";
  out += f.bold ? "<w:b/><w:bCs/>" : "<w:b w:val=\"0\"/><w:bCs w:val=\"0\"/>";
  out += f.italic ? "<w:i/><w:iCs/>" : "<w:i w:val=\"0\"/><w:iCs w:val=\"0\"/>";
  char colour[8];
  std::snprintf(colour, sizeof colour, "%02X%02X%02X", f.colour & 0xff, (f.colour >> 8) & 0xff,
                (f.colour >> 16) & 0xff);
  out += "<w:color w:val=\"";
  out += colour;
  out += "\"/>";
  const long long halfPoints = std::clamp<long long>(static_cast<long long>(f.pointSize * 2 + 0.5), 2, 3276);
  out += "<w:sz w:val=\"";
  appendNumber(out, halfPoints);
  out += "\"/><w:szCs w:val=\"";
  appendNumber(out, halfPoints);
  out += "\"/>";
  if (const char* highlight = highlightValue(f.highlight)) {
    out += "<w:highlight w:val=\"";
    out += highlight;
    out += "\"/>";
  }
  out += f.underline != 0 ? "<w:u w:val=\"single\"/>" : "<w:u w:val=\"none\"/>";
  out += "</w:rPr>";
}

// Text with tabs as <w:tab/> and line breaks as <w:br/>, each piece in its own <w:t>.
void appendRunText(QByteArray& out, const QString& text) {
  qsizetype start = 0;
  const auto flush = [&](qsizetype end) {
    if (end > start) {
      out += "<w:t xml:space=\"preserve\">";
      appendXmlEscaped(out, text.mid(start, end - start));
      out += "</w:t>";
    }
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\t' || c == u'\n' || c == u'\r') {
      flush(i);
      if (c == u'\t') {
        out += "<w:tab/>";
      } else if (!(c == u'\n' && i > 0 && text[i - 1] == u'\r')) {
        out += "<w:br/>";
      }
      start = i + 1;
    }
  }
  flush(text.size());
}

void appendPicture(QByteArray& out, const DocumentPicture& picture, int index) {
  long long cx = picture.width * kEmuPerPixel;
  long long cy = picture.height * kEmuPerPixel;
  if (cx > kTextWidthEmu) {
    cy = cy * kTextWidthEmu / cx;
    cx = kTextWidthEmu;
  }
  const QByteArray id = QByteArray::number(index + 1);
  const QByteArray extent = "cx=\"" + QByteArray::number(cx) + "\" cy=\"" + QByteArray::number(cy) + "\"";
  out += "<w:r><w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\"><wp:extent " + extent +
         "/><wp:docPr id=\"" + id + "\" name=\"Picture " + id +
         "\"/><wp:cNvGraphicFramePr><a:graphicFrameLocks noChangeAspect=\"1\"/></wp:cNvGraphicFramePr>"
         "<a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
         "<pic:pic><pic:nvPicPr><pic:cNvPr id=\"" +
         id + "\" name=\"image" + id + ".png\"/><pic:cNvPicPr/></pic:nvPicPr><pic:blipFill><a:blip r:embed=\"rIdImage" +
         id +
         "\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill><pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/>"
         "<a:ext " +
         extent +
         "/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr></pic:pic></a:graphicData>"
         "</a:graphic></wp:inline></w:drawing></w:r>";
}

QByteArray documentXml(const ReportDocument& document) {
  QByteArray out;
  out.reserve(static_cast<qsizetype>(document.paragraphs().size()) * 600 + 4096);
  out += kDocumentStart;
  for (const DocumentParagraph& p : document.paragraphs()) {
    out += "<w:p><w:pPr><w:jc w:val=\"";
    out += alignmentValue(p.alignment);
    out += "\"/></w:pPr>";
    for (const DocumentRun& run : p.runs) {
      if (run.picture >= 0) {
        appendPicture(out, document.pictures()[static_cast<std::size_t>(run.picture)], run.picture);
        continue;
      }
      out += "<w:r>";
      appendRunProperties(out, run.format);
      appendRunText(out, run.text);
      out += "</w:r>";
    }
    out += "</w:p>";
  }
  out += kDocumentEnd;
  return out;
}

QByteArray documentRels(const ReportDocument& document) {
  QByteArray out = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                   R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
  for (std::size_t i = 0; i < document.pictures().size(); ++i) {
    const QByteArray id = QByteArray::number(static_cast<qulonglong>(i + 1));
    out += "<Relationship Id=\"rIdImage" + id +
           "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" "
           "Target=\"media/image" +
           id + ".png\"/>";
  }
  out += "</Relationships>";
  return out;
}

struct SourceFree {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};

}  // namespace

void appendXmlEscaped(QByteArray& out, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  for (const char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
}

QByteArray docxBytes(const ReportDocument& document) {
  // The parts must outlive zip_close, which reads them.
  std::vector<std::pair<const char*, QByteArray>> parts;
  parts.emplace_back("[Content_Types].xml", QByteArray(kContentTypes));
  parts.emplace_back("_rels/.rels", QByteArray(kPackageRels));
  parts.emplace_back("word/document.xml", documentXml(document));
  parts.emplace_back("word/_rels/document.xml.rels", documentRels(document));
  std::vector<QByteArray> names;
  for (std::size_t i = 0; i < document.pictures().size(); ++i) {
    names.push_back("word/media/image" + QByteArray::number(static_cast<qulonglong>(i + 1)) + ".png");
  }
  for (std::size_t i = 0; i < names.size(); ++i) parts.emplace_back(names[i].constData(), document.pictures()[i].png);

  zip_error_t error;
  zip_error_init(&error);
  std::unique_ptr<zip_source_t, SourceFree> buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
  zip_error_fini(&error);
  if (!buffer) return {};
  zip_source_keep(buffer.get());  // kept for reading back after zip_close
  zip_error_init(&error);
  zip_t* archive = zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error);
  zip_error_fini(&error);
  if (archive == nullptr) {
    return {};
  }
  bool ok = true;
  for (const auto& [name, bytes] : parts) {
    zip_source_t* part = zip_source_buffer(archive, bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0);
    if (part == nullptr) {
      ok = false;
      break;
    }
    const zip_int64_t index = zip_file_add(archive, name, part, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(part);
      ok = false;
      break;
    }
    // PNG data is compressed already.
    if (std::strncmp(name, "word/media/", 11) == 0)
      zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  if (!ok) {
    zip_discard(archive);
    return {};
  }
  if (zip_close(archive) != 0) {
    zip_discard(archive);
    return {};
  }
  zip_stat_t stat;
  if (zip_source_stat(buffer.get(), &stat) != 0 || zip_source_open(buffer.get()) != 0) return {};
  QByteArray out(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
  const zip_int64_t read = zip_source_read(buffer.get(), out.data(), stat.size);
  zip_source_close(buffer.get());
  if (read != static_cast<zip_int64_t>(stat.size)) return {};
  return out;
}

}  // namespace lumivex
