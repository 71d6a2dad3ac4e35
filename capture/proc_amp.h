#pragma once

#include <array>

namespace lumivex {

// The camera's picture properties, numbered as the video settings dialog's property table numbers them.
enum class ProcAmpProperty { Brightness = 0, Contrast = 1, Hue = 2, Saturation = 3, Sharpness = 4, Gamma = 5 };

inline constexpr std::array<ProcAmpProperty, 6> kAllProcAmpProperties = {
    ProcAmpProperty::Brightness, ProcAmpProperty::Contrast,  ProcAmpProperty::Hue,
    ProcAmpProperty::Saturation, ProcAmpProperty::Sharpness, ProcAmpProperty::Gamma};

// Control flags: automatic or manual.
inline constexpr int kProcAmpAuto = 1;
inline constexpr int kProcAmpManual = 2;

struct ProcAmpRange {
  int minimum = 0;
  int maximum = 0;
  int step = 1;
  int defaultValue = 0;
  int capsFlags = kProcAmpManual;
};

// Picture properties of a capture device: V4L2 controls for real cameras, the generator's own settings
// for the simulated one. Every call may fail (the property is missing); failures are values, not errors.
class ProcAmp {
 public:
  virtual ~ProcAmp() = default;
  virtual bool getRange(ProcAmpProperty property, ProcAmpRange& range) = 0;
  virtual bool get(ProcAmpProperty property, int& value, int& flags) = 0;
  virtual bool set(ProcAmpProperty property, int value, int flags) = 0;
};

}  // namespace lumivex
