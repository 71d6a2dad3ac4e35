#pragma once

#include <QByteArray>
#include <QString>

namespace lumivex {

class ReportDocument;

// The document as Office Open XML (.docx), zipped in memory: [Content_Types].xml, _rels/.rels,
// word/document.xml with its relationships and the pictures as word/media/imageN.png. The smallest
// structure Word, LibreOffice and python-docx open. Empty on failure.
QByteArray docxBytes(const ReportDocument& document);

// Escapes text for XML content and attributes (& < > " ').
void appendXmlEscaped(QByteArray& out, const QString& text);

}  // namespace lumivex
