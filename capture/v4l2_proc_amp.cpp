#include "capture/v4l2_proc_amp.h"

#include <fcntl.h>
#include <libv4l2.h>
#include <linux/videodev2.h>

#include <cstring>

namespace lumivex {

V4l2ProcAmp::V4l2ProcAmp(const QString& devicePath) {
  fd_ = v4l2_open(devicePath.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK);
}

V4l2ProcAmp::~V4l2ProcAmp() {
  if (fd_ >= 0) v4l2_close(fd_);
}

unsigned V4l2ProcAmp::controlId(ProcAmpProperty property) {
  switch (property) {
    case ProcAmpProperty::Brightness:
      return V4L2_CID_BRIGHTNESS;
    case ProcAmpProperty::Contrast:
      return V4L2_CID_CONTRAST;
    case ProcAmpProperty::Hue:
      return V4L2_CID_HUE;
    case ProcAmpProperty::Saturation:
      return V4L2_CID_SATURATION;
    case ProcAmpProperty::Sharpness:
      return V4L2_CID_SHARPNESS;
    case ProcAmpProperty::Gamma:
      return V4L2_CID_GAMMA;
  }
  return 0;
}

unsigned V4l2ProcAmp::autoControlId(ProcAmpProperty property) {
  switch (property) {
    case ProcAmpProperty::Brightness:
      return V4L2_CID_AUTOBRIGHTNESS;
    case ProcAmpProperty::Hue:
      return V4L2_CID_HUE_AUTO;
    default:
      return 0;
  }
}

bool V4l2ProcAmp::readControl(unsigned id, int& value) const {
  v4l2_control control{};
  control.id = id;
  if (v4l2_ioctl(fd_, VIDIOC_G_CTRL, &control) != 0) return false;
  value = control.value;
  return true;
}

bool V4l2ProcAmp::writeControl(unsigned id, int value) const {
  v4l2_control control{};
  control.id = id;
  control.value = value;
  return v4l2_ioctl(fd_, VIDIOC_S_CTRL, &control) == 0;
}

bool V4l2ProcAmp::getRange(ProcAmpProperty property, ProcAmpRange& range) {
  if (fd_ < 0) return false;
  v4l2_queryctrl query{};
  query.id = controlId(property);
  if (v4l2_ioctl(fd_, VIDIOC_QUERYCTRL, &query) != 0 || (query.flags & V4L2_CTRL_FLAG_DISABLED)) return false;
  range.minimum = query.minimum;
  range.maximum = query.maximum;
  range.step = query.step > 0 ? query.step : 1;
  range.defaultValue = query.default_value;
  range.capsFlags = kProcAmpManual;
  if (const unsigned autoId = autoControlId(property)) {
    v4l2_queryctrl autoQuery{};
    autoQuery.id = autoId;
    if (v4l2_ioctl(fd_, VIDIOC_QUERYCTRL, &autoQuery) == 0 && !(autoQuery.flags & V4L2_CTRL_FLAG_DISABLED))
      range.capsFlags |= kProcAmpAuto;
  }
  return true;
}

bool V4l2ProcAmp::get(ProcAmpProperty property, int& value, int& flags) {
  if (fd_ < 0 || !readControl(controlId(property), value)) return false;
  flags = kProcAmpManual;
  int automatic = 0;
  if (const unsigned autoId = autoControlId(property); autoId && readControl(autoId, automatic) && automatic)
    flags = kProcAmpAuto;
  return true;
}

bool V4l2ProcAmp::set(ProcAmpProperty property, int value, int flags) {
  if (fd_ < 0) return false;
  if (const unsigned autoId = autoControlId(property)) writeControl(autoId, (flags & kProcAmpAuto) ? 1 : 0);
  return writeControl(controlId(property), value);
}

}  // namespace lumivex
