#pragma once

#include "export/cadio/cad_io.h"

#include <cstdint>

namespace cadio {

class Drawing;

// The bounding box of the drawing's own entities (not those of blocks); false when it has none.
bool drawingBorder(const Drawing& drawing, CadRect& border);
// Sets the view's scale and origin so the border fills it with a small margin, centred.
void zoomExtents(Drawing& drawing);
// Paints the drawing's entities through its view into 0xAARRGGBB pixels, top row first. Layers that are
// off or frozen are left out; colour 7 is black on a light background and white on a dark one.
void paintDrawing(const Drawing& drawing, std::uint32_t* pixels, int width, int height, int stride);

}  // namespace cadio
