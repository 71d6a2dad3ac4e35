#pragma once

#include "capture/snap_key_source.h"

#include <QString>

#include <atomic>
#include <functional>
#include <thread>

namespace lumivex {

// The snapshot key of a USB camera: the KEY_CAMERA input device that sits under the same USB device as
// the camera's video node, found through sysfs and read with libevdev on a thread of its own.
class EvdevSnapKey : public SnapKeySource {
 public:
  EvdevSnapKey(const QString& videoNode, std::function<void()> onPress);
  ~EvdevSnapKey() override;
  EvdevSnapKey(const EvdevSnapKey&) = delete;
  EvdevSnapKey& operator=(const EvdevSnapKey&) = delete;

  bool active() const override { return fd_ >= 0; }

  // The /dev/input/eventN nodes under the USB device of a video node ("/dev/video0"), from a sysfs
  // root (a fake tree in tests).
  static QStringList findKeyNodes(const QString& videoNode, const QString& sysfsRoot = QStringLiteral("/sys"));
  // The log line for a key node that cannot be opened (errno error); names the udev rule when access
  // was refused.
  static QString openFailureText(const QString& node, int error);

 private:
  void loop();

  std::function<void()> onPress_;
  int fd_ = -1;
  int wakePipe_[2] = {-1, -1};
  std::thread thread_;
};

}  // namespace lumivex
