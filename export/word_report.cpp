#include "export/word_report.h"

#include "core/prompter.h"
#include "export/docx_writer.h"
#include "export/rtf_writer.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <new>

namespace lumivex {

WordReport::WordReport(QWidget* parent) : parent_(parent) {}

WordReport::~WordReport() { CloseWordProcessor(); }

void WordReport::warn(const QString& text) const {
  prompter().message(parent_, QStringLiteral("Lumivex"), text, MessageIcon::Warning, MessageButtons::Ok);
}

bool WordReport::StartWordProcessor() {
  started_ = true;
  if (OpenBlankDocument()) return true;
  started_ = false;
  warn(QStringLiteral("Application Create fail!"));
  return false;
}

bool WordReport::OpenBlankDocument() {
  if (!started_) {
    warn(QStringLiteral("Application为空,Documents创建失败!"));
    return false;
  }
  try {
    document_ = std::make_unique<ReportDocument>();
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool WordReport::ApplyFont(const QString& name, double pointSize, std::uint32_t colour, int highlight) {
  if (!document_) {
    warn(QStringLiteral("Select为空，字体设置失败!"));
    return false;
  }
  TextFormat format = document_->format();
  format.fontName = name;
  format.pointSize = pointSize > 0 ? pointSize : format.pointSize;
  format.colour = colour & 0xffffffu;
  format.highlight = highlight;
  document_->setFormat(format);
  return true;
}

bool WordReport::ApplyFontStyle(bool bold, bool italic, int underline) {
  if (!document_) {
    warn(QStringLiteral("Select为空，字体设置失败!"));
    return false;
  }
  TextFormat format = document_->format();
  format.bold = bold;
  format.italic = italic;
  format.underline = underline;
  document_->setFormat(format);
  return true;
}

bool WordReport::ApplyAlignment(int alignment) {
  if (!document_) return false;
  document_->setAlignment(alignment);
  return true;
}

bool WordReport::WriteText(const QString& text) {
  if (!document_) return false;
  document_->addText(text);
  return true;
}

bool WordReport::EndParagraph() {
  if (!document_) return false;
  document_->endParagraph();
  return true;
}

bool WordReport::InsertPicture(const QString& path) {
  if (!document_) return false;
  QImageReader reader(path);
  reader.setAutoTransform(false);
  const QImage image = reader.read();
  if (image.isNull()) return false;
  DocumentPicture picture;
  picture.width = image.width();
  picture.height = image.height();
  QBuffer buffer(&picture.png);
  buffer.open(QIODevice::WriteOnly);
  QImage stamped = image;
  stamped.setDotsPerMeterX(3780);  // 96 dots per inch
  stamped.setDotsPerMeterY(3780);
  if (!stamped.save(&buffer, "PNG")) return false;
  document_->addPicture(std::move(picture));
  return true;
}

bool WordReport::isOpenXmlName(const QString& path) {
  return path.endsWith(QStringLiteral(".docx"), Qt::CaseInsensitive);
}

WriteResult WordReport::SaveDocument(const QString& path) {
  if (!document_) return WriteResult::failure(EINVAL);
  const QByteArray bytes = isOpenXmlName(path) ? docxBytes(*document_) : rtfBytes(*document_);
  if (bytes.isEmpty()) return WriteResult::failure(ENOMEM);
  return AtomicFile::write(path, bytes);
}

void WordReport::CloseWordProcessor() {
  document_.reset();
  started_ = false;
}

}  // namespace lumivex
