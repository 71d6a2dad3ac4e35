#pragma once

#include "capture/size_presets.h"

#include <QSize>
#include <QString>

#include <optional>
#include <vector>

typedef struct _GstCaps GstCaps;

namespace lumivex {

// The capture format chosen for a size: the caps string the source is filtered with and whether it
// needs a JPEG decoder.
struct SourceFormat {
  PixelFormat format = PixelFormat::Yuy2;
  QSize size;
  double fps = 0.0;
  QString caps;
};

// Capabilities from a device's caps: one entry per structure, sizes as ranges, the best frame rate.
std::vector<CameraCapability> parseCapabilities(const GstCaps* caps);
std::vector<CameraCapability> parseCapabilities(const QString& capsText);

// The format to request for a size: MJPEG where the camera offers the size at a higher rate than raw,
// else raw YUY2 (or UYVY, or BGR); nullopt when no capability offers the size.
std::optional<SourceFormat> chooseSourceFormat(const std::vector<CameraCapability>& caps, QSize size);

// The largest size any capability offers (fallback when neither the stored nor the default size is).
QSize largestSize(const std::vector<CameraCapability>& caps);

}  // namespace lumivex
