#pragma once

#include "capture/proc_amp.h"

#include <QString>

namespace lumivex {

// Picture properties of a real camera as V4L2 controls on its device node (through libv4l2). The node
// is opened for the object's life; a node that cannot be opened gives an object whose calls all fail.
class V4l2ProcAmp : public ProcAmp {
 public:
  explicit V4l2ProcAmp(const QString& devicePath);
  ~V4l2ProcAmp() override;
  V4l2ProcAmp(const V4l2ProcAmp&) = delete;
  V4l2ProcAmp& operator=(const V4l2ProcAmp&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  bool getRange(ProcAmpProperty property, ProcAmpRange& range) override;
  bool get(ProcAmpProperty property, int& value, int& flags) override;
  bool set(ProcAmpProperty property, int value, int flags) override;

  static unsigned controlId(ProcAmpProperty property);
  // The matching automatic-mode control, or 0 when V4L2 has none for the property.
  static unsigned autoControlId(ProcAmpProperty property);

 private:
  bool readControl(unsigned id, int& value) const;
  bool writeControl(unsigned id, int value) const;

  int fd_ = -1;
};

}  // namespace lumivex
