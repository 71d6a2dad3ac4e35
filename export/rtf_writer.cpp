#include "export/rtf_writer.h"

#include "export/report_document.h"

#include <QString>

#include <algorithm>
#include <vector>

namespace lumivex {
namespace {

// Word's highlight colour index to RGB, for the colour table (\highlight names a table entry).
constexpr std::uint32_t kHighlightRgb[17] = {0,        0x000000, 0x0000ff, 0x00ffff, 0x00ff00, 0xff00ff,
                                             0xff0000, 0xffff00, 0xffffff, 0x000080, 0x008080, 0x008000,
                                             0x800080, 0x800000, 0x808000, 0x808080, 0xc0c0c0};

// The fonts and colours the runs use, numbered as the tables list them.
struct Tables {
  std::vector<QString> fonts;
  std::vector<std::uint32_t> colours;  // 0xRRGGBB; entry 0 of the RTF table is "auto"

  int font(const QString& name) {
    const auto it = std::find(fonts.begin(), fonts.end(), name);
    if (it != fonts.end()) return static_cast<int>(it - fonts.begin());
    fonts.push_back(name);
    return static_cast<int>(fonts.size()) - 1;
  }
  int colour(std::uint32_t rgb) {
    const auto it = std::find(colours.begin(), colours.end(), rgb);
    if (it != colours.end()) return static_cast<int>(it - colours.begin()) + 1;
    colours.push_back(rgb);
    return static_cast<int>(colours.size());
  }
};

void appendText(QByteArray& out, const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c == u'\\' || c == u'{' || c == u'}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == u'\t') {
      out += "\\tab ";
    } else if (c == u'\r' || c == u'\n') {
      if (!(c == u'\n' && i > 0 && text[i - 1] == u'\r')) out += "\\line ";
    } else if (c >= 0x20 && c < 0x80) {
      out += static_cast<char>(c);
    } else {
      // \uN takes a signed 16-bit number; each half of a surrogate pair is its own \u.
      out += "\\u" + QByteArray::number(static_cast<int>(static_cast<std::int16_t>(c))) + '?';
    }
  }
}

void appendHex(QByteArray& out, const QByteArray& bytes) {
  static const char digits[] = "0123456789abcdef";
  out.reserve(out.size() + bytes.size() * 2 + bytes.size() / 64 + 16);
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out += digits[b >> 4];
    out += digits[b & 15];
    if (i % 64 == 63) out += '\n';
  }
}

}  // namespace

QByteArray rtfBytes(const ReportDocument& document) {
  Tables tables;
  QByteArray body;
  for (const DocumentParagraph& p : document.paragraphs()) {
    static const char* const align[] = {"\\ql", "\\qc", "\\qr", "\\qj"};
    body += "\\pard";
    body += align[std::clamp(p.alignment, 0, 3)];
    body += ' ';
    for (const DocumentRun& run : p.runs) {
      if (run.picture >= 0) {
        const DocumentPicture& picture = document.pictures()[static_cast<std::size_t>(run.picture)];
        // 15 twips per pixel at 96 dots per inch; a wider picture than the text is shown scaled to it.
        long long wGoal = picture.width * 15LL;
        long long hGoal = picture.height * 15LL;
        if (wGoal > 9638) {
          hGoal = hGoal * 9638 / wGoal;
          wGoal = 9638;
        }
        body += "{\\pict\\pngblip\\picw" + QByteArray::number(picture.width) + "\\pich" +
                QByteArray::number(picture.height) + "\\picwgoal" + QByteArray::number(wGoal) + "\\pichgoal" +
                QByteArray::number(hGoal) + '\n';
        appendHex(body, picture.png);
        body += "}";
        continue;
      }
      const TextFormat& f = run.format;
      const std::uint32_t rgb = ((f.colour & 0xff) << 16) | (f.colour & 0xff00) | ((f.colour >> 16) & 0xff);
      body += "{\\f" + QByteArray::number(tables.font(f.fontName)) + "\\fs" +
              QByteArray::number(std::clamp(static_cast<long long>(f.pointSize * 2 + 0.5), 2LL, 3276LL)) + "\\cf" +
              QByteArray::number(tables.colour(rgb));
      if (f.highlight > 0 && f.highlight < 17) {
        body += "\\highlight" + QByteArray::number(tables.colour(kHighlightRgb[f.highlight]));
      }
      body += f.bold ? "\\b" : "\\b0";
      body += f.italic ? "\\i" : "\\i0";
      body += f.underline != 0 ? "\\ul " : "\\ulnone ";
      appendText(body, run.text);
      body += '}';
    }
    body += "\\par\n";
  }

  QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
  if (tables.fonts.empty()) tables.font(QStringLiteral("Arial"));
  for (std::size_t i = 0; i < tables.fonts.size(); ++i) {
    out += "{\\f" + QByteArray::number(static_cast<qulonglong>(i)) + "\\fnil\\fcharset0 ";
    appendText(out, QString(tables.fonts[i]).remove(u';'));
    out += ";}";
  }
  out += "}\n{\\colortbl;";
  for (const std::uint32_t c : tables.colours) {
    out += "\\red" + QByteArray::number((c >> 16) & 0xff) + "\\green" + QByteArray::number((c >> 8) & 0xff) + "\\blue" +
           QByteArray::number(c & 0xff) + ';';
  }
  out += "}\n\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt1134\\margb1134\n";
  out += body;
  out += "}\n";
  return out;
}

}  // namespace lumivex
