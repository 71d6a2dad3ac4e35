#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

namespace lumivex {

// Writes a rendered picture (the picture with its shapes) by the name's ending: ".bmp" as a 24-bit BMP,
// ".jpg" (or ".jpeg") as a JPEG of quality 90 carrying `exif` (the opened picture's block, if any). Any
// other ending writes nothing and fails. The file is replaced whole or not at all.
bool saveRenderedPicture(const QImage& image, const QString& path, const std::vector<std::uint8_t>& exif = {});

}  // namespace lumivex
