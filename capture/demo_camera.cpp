#include "capture/demo_camera.h"

#include <algorithm>

namespace lumivex {

namespace {
struct RangeRow {
  ProcAmpProperty property;
  ProcAmpRange range;
};
// Ranges shaped like a typical USB camera's controls.
constexpr RangeRow kRanges[] = {
    {ProcAmpProperty::Brightness, {-64, 64, 1, 0, kProcAmpManual}},
    {ProcAmpProperty::Contrast, {0, 64, 1, 32, kProcAmpManual}},
    {ProcAmpProperty::Hue, {-40, 40, 1, 0, kProcAmpManual}},
    {ProcAmpProperty::Saturation, {0, 128, 1, 64, kProcAmpManual}},
    {ProcAmpProperty::Sharpness, {0, 10, 1, 3, kProcAmpManual}},
    {ProcAmpProperty::Gamma, {50, 300, 1, 100, kProcAmpManual}},
};

const ProcAmpRange* rangeOf(ProcAmpProperty property) {
  for (const RangeRow& row : kRanges)
    if (row.property == property) return &row.range;
  return nullptr;
}
}  // namespace

DemoCamera::DemoCamera(QString name, QString id, bool highResolution)
    : name_(std::move(name)), id_(std::move(id)), highResolution_(highResolution) {}

std::vector<CameraCapability> DemoCamera::capabilities() const {
  std::vector<CameraCapability> caps;
  for (PixelFormat format : {PixelFormat::Yuy2, PixelFormat::Mjpeg}) {
    for (int p = SizePresets::Small; p <= SizePresets::Large; ++p) {
      const QSize s = SizePresets::size(p, highResolution_);
      caps.push_back({format, s.width(), s.width(), s.height(), s.height(), 30.0});
    }
  }
  return caps;
}

DemoPicture DemoCamera::picture() const {
  std::lock_guard lock(mutex_);
  return picture_;
}

int* DemoCamera::field(ProcAmpProperty property, DemoPicture& picture) const {
  switch (property) {
    case ProcAmpProperty::Brightness:
      return &picture.brightness;
    case ProcAmpProperty::Contrast:
      return &picture.contrast;
    case ProcAmpProperty::Hue:
      return &picture.hue;
    case ProcAmpProperty::Saturation:
      return &picture.saturation;
    case ProcAmpProperty::Sharpness:
      return &picture.sharpness;
    case ProcAmpProperty::Gamma:
      return &picture.gamma;
  }
  return nullptr;
}

bool DemoCamera::getRange(ProcAmpProperty property, ProcAmpRange& range) {
  const ProcAmpRange* r = rangeOf(property);
  if (!r) return false;
  range = *r;
  return true;
}

bool DemoCamera::get(ProcAmpProperty property, int& value, int& flags) {
  std::lock_guard lock(mutex_);
  int* f = field(property, picture_);
  if (!f) return false;
  value = *f;
  flags = flags_[static_cast<int>(property)];
  return true;
}

bool DemoCamera::set(ProcAmpProperty property, int value, int flags) {
  const ProcAmpRange* r = rangeOf(property);
  if (!r || value < r->minimum || value > r->maximum) return false;
  std::lock_guard lock(mutex_);
  *field(property, picture_) = value;
  flags_[static_cast<int>(property)] = flags;
  return true;
}

void DemoCamera::setSnapKeyHandler(std::function<void()> handler) {
  std::lock_guard lock(mutex_);
  snapHandler_ = std::move(handler);
}

bool DemoCamera::pressSnapshotKey() {
  std::function<void()> handler;
  {
    std::lock_guard lock(mutex_);
    handler = snapHandler_;
  }
  if (!handler || !plugged()) return false;
  handler();
  return true;
}

}  // namespace lumivex
