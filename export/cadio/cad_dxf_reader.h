#pragma once

#include <memory>
#include <string>

namespace cadio {

class Drawing;

// Reads the DXF file at path into a new drawing: line types, layers, text styles, blocks, and the LINE,
// CIRCLE and POLYLINE entities (other entities are skipped). nullptr when the file cannot be read or
// holds no DXF sections.
std::unique_ptr<Drawing> readDxfFile(const std::string& path);

}  // namespace cadio
