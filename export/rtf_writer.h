#pragma once

#include <QByteArray>

namespace lumivex {

class ReportDocument;

// The document as RTF (7-bit: non-ASCII text as \uN?, pictures as \pngblip hex), which word processors
// open under a .doc name.
QByteArray rtfBytes(const ReportDocument& document);

}  // namespace lumivex
