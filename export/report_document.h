#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace lumivex {

// How a run of text looks: the word processor's font, colour (COLORREF 0x00BBGGRR), highlight index (0
// none), bold, italic and underline (0 none, 1 single) and paragraph alignment (0 left, 1 centre, 2
// right, 3 justified).
struct TextFormat {
  QString fontName = QStringLiteral("Arial");
  double pointSize = 12.0;
  std::uint32_t colour = 0;
  int highlight = 0;
  bool bold = false;
  bool italic = false;
  int underline = 0;
};

// A picture as the document embeds it: PNG bytes and the pixel size.
struct DocumentPicture {
  QByteArray png;
  int width = 0;
  int height = 0;
};

// One piece of a paragraph: text in a format, or the picture with index picture (then text is empty).
struct DocumentRun {
  QString text;
  TextFormat format;
  int picture = -1;
};

struct DocumentParagraph {
  int alignment = 0;
  std::vector<DocumentRun> runs;
};

// The report as a word processor holds it: paragraphs of runs and the pictures they show. Text, paragraph
// breaks and pictures are added at the end (the insertion point), in call order, in the format and
// alignment in force. There is always at least one (possibly empty) paragraph.
class ReportDocument {
 public:
  ReportDocument() { paragraphs_.emplace_back(); }

  void setFormat(const TextFormat& format) { format_ = format; }
  const TextFormat& format() const { return format_; }
  void setAlignment(int alignment);
  void addText(const QString& text);
  void endParagraph();
  void addPicture(DocumentPicture picture);

  const std::vector<DocumentParagraph>& paragraphs() const { return paragraphs_; }
  const std::vector<DocumentPicture>& pictures() const { return pictures_; }

 private:
  std::vector<DocumentParagraph> paragraphs_;
  std::vector<DocumentPicture> pictures_;
  TextFormat format_;
  int alignment_ = 0;
};

// Drops what a document cannot carry: characters XML 1.0 forbids (control characters other than tab and
// line breaks, U+FFFE, U+FFFF, lone surrogates). The RTF writer uses the same rule so both forms hold
// the same text.
QString documentText(const QString& text);

}  // namespace lumivex
