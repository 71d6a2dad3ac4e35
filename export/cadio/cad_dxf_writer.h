#pragma once

#include "export/cadio/cad_io.h"

#include <string>

namespace cadio {

class Drawing;

// The drawing as DXF R12 text (written through dxflib's writer, numbers with a decimal point whatever the
// locale). progress may be null; a zero answer from it stops and gives an empty text.
std::string dxfText(const Drawing& drawing, CadProgress progress, void* context, bool* stopped);

// Writes text to path, checking every write, the flush and the close; a failed write removes the file.
bool writeWholeFile(const char* path, const std::string& text);

// Non-ASCII characters as the \U+XXXX escapes DXF R12 uses, and back.
std::string escapeDxfText(const std::string& utf8);
std::string unescapeDxfText(const std::string& text);

}  // namespace cadio
