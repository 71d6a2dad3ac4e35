#include "export/report_document.h"

namespace lumivex {

void ReportDocument::setAlignment(int alignment) {
  alignment_ = (alignment >= 0 && alignment <= 3) ? alignment : 0;
  paragraphs_.back().alignment = alignment_;
}

void ReportDocument::addText(const QString& text) {
  const QString clean = documentText(text);
  if (clean.isEmpty()) return;
  std::vector<DocumentRun>& runs = paragraphs_.back().runs;
  // Text typed in the same format continues the run, as a word processor merges it.
  if (!runs.empty() && runs.back().picture < 0 && runs.back().format.fontName == format_.fontName &&
      runs.back().format.pointSize == format_.pointSize && runs.back().format.colour == format_.colour &&
      runs.back().format.highlight == format_.highlight && runs.back().format.bold == format_.bold &&
      runs.back().format.italic == format_.italic && runs.back().format.underline == format_.underline) {
    runs.back().text += clean;
    return;
  }
  runs.push_back(DocumentRun{clean, format_, -1});
}

void ReportDocument::endParagraph() {
  paragraphs_.emplace_back();
  paragraphs_.back().alignment = alignment_;
}

void ReportDocument::addPicture(DocumentPicture picture) {
  pictures_.push_back(std::move(picture));
  paragraphs_.back().runs.push_back(DocumentRun{{}, format_, static_cast<int>(pictures_.size()) - 1});
}

QString documentText(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c)) {
      if (i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
        out += text[i];
        out += text[i + 1];
        ++i;
      }
      continue;
    }
    if (QChar::isLowSurrogate(c)) continue;
    if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') continue;
    if (c == 0xfffe || c == 0xffff) continue;
    out += text[i];
  }
  return out;
}

}  // namespace lumivex
