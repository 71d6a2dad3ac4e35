#include "capture/size_presets.h"

namespace lumivex {

namespace {
constexpr QSize kHigh[3] = {QSize(640, 480), QSize(1280, 960), QSize(1600, 1200)};
constexpr QSize kOther[3] = {QSize(320, 240), QSize(640, 480), QSize(1280, 1024)};
}  // namespace

QSize SizePresets::size(int preset, bool highResolutionModel) {
  if (preset < Small || preset > Large) preset = Large;
  return highResolutionModel ? kHigh[preset] : kOther[preset];
}

int SizePresets::presetForWidth(int width, bool highResolutionModel) {
  for (int p = Small; p <= Large; ++p)
    if (size(p, highResolutionModel).width() == width) return p;
  return -1;
}

int SizePresets::rateClass(int width, bool highResolutionModel) {
  if (width == size(Small, highResolutionModel).width()) return 15;
  if (width == size(Medium, highResolutionModel).width()) return 14;
  return 5;
}

bool SizePresets::highResolutionModel(const std::vector<CameraCapability>& caps, bool current) {
  bool model = current;
  for (const CameraCapability& cap : caps) {
    if (cap.format != PixelFormat::Yuy2 && cap.format != PixelFormat::Uyvy) continue;
    if (cap.minWidth == 1600 && cap.maxHeight == 1200) return true;
    model = false;
  }
  return model;
}

QString SizePresets::label(int preset, bool highResolutionModel) {
  const QSize s = size(preset, highResolutionModel);
  return QStringLiteral("%1*%2").arg(s.width()).arg(s.height());
}

}  // namespace lumivex
