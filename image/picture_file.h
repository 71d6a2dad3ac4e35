#pragma once

#include "image/cx_image.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace lumivex {

// Reads a ".bmp" or ".jpg"/".jpeg" picture to be measured on, or nothing when it cannot be read. Grey and
// palette pictures come back widened to 24 bits: edge detection, the red edge outlines and the image
// operations work on 24-bit pixels only, and a grey JPEG is an ordinary picture to measure.
std::optional<CxImage> readPictureToMeasure(const QString& path);

// Writes a rendered picture (the picture with its shapes) by the name's ending: ".bmp" as a 24-bit BMP,
// ".jpg" (or ".jpeg") as a JPEG of quality 90 carrying `exif` (the opened picture's block, if any). Any
// other ending writes nothing and fails. The file is replaced whole or not at all.
bool saveRenderedPicture(const QImage& image, const QString& path, const std::vector<std::uint8_t>& exif = {});

}  // namespace lumivex
