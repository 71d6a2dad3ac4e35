#pragma once

#include <QByteArray>
#include <QSize>

#include <optional>

namespace lumivex {

// Reads the frame header of a JPEG picture without decoding it: the size of a baseline 8-bit YCbCr
// picture that a Motion JPEG stream can carry as it is, or nothing for anything else (progressive,
// 12-bit, grey, CMYK, truncated, not a JPEG).
std::optional<QSize> motionJpegFrameSize(const QByteArray& jpeg);

}  // namespace lumivex
