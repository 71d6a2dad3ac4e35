#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class QObject;

namespace lumivex {

// What the main window needs of the camera side. The capture library implements it over GStreamer
// (real cameras and the simulated one); NullCaptureService stands in when there is no capture at all.
// All methods are called on the GUI thread. The service posts application messages to the receiver
// given to setReceiver: msg::kStillReady (0x8001, wParam = still kind), msg::kGraphEvent (0x8003) and
// msg::kDeviceChange (wParam = DeviceChange).
class CaptureService {
 public:
  enum class ConnectResult {
    Connected,   // a device was found and its preview runs
    RetryLater,  // the graph was built but no device answered: try again on timer 1001
    Failed,      // no device: the graph is released
  };
  enum class DeviceChange { Arrived = 1, Removed = 2, NodeChanged = 3 };
  enum class SizePreset { Small = 0, Medium = 1, Large = 2 };  // F10, F11, F12

  virtual ~CaptureService() = default;

  virtual void setReceiver(QObject* receiver) = 0;
  // Called on the capture thread whenever a newly composed picture is ready to be painted.
  virtual void setFrameListener(std::function<void()> listener) = 0;

  // Builds the graph for the selected device and runs its preview.
  virtual ConnectResult connectDevice() = 0;
  virtual bool isRunning() const = 0;
  virtual void run() = 0;
  virtual void stop() = 0;
  virtual void release() = 0;
  // Re-initialises the device when the graph is already running; false when it is not.
  virtual bool reinitialiseIfRunning() = 0;
  virtual void handleGraphEvent() = 0;

  // The latest composed picture for the video area (its size follows setFullScreen). Thread-safe; never
  // half a frame. Null when nothing has been composed yet.
  virtual QImage composedFrame() const = 0;

  virtual void requestStill(int kind) = 0;
  virtual void setCaptureSize(SizePreset preset) = 0;
  virtual void setFullScreen(bool on, QSize area) = 0;
  virtual void setSnapshotKeyEnabled(bool enabled) = 0;
  virtual void setCrosshair(bool on) = 0;
  virtual bool crosshair() const = 0;
  virtual void setTimeStamp(bool on) = 0;
  virtual bool timeStamp() const = 0;
  virtual QString deviceName() const = 0;
};

// No capture: every connection fails, so the window stays not connected with the connect message.
class NullCaptureService : public CaptureService {
 public:
  void setReceiver(QObject*) override {}
  void setFrameListener(std::function<void()>) override {}
  ConnectResult connectDevice() override { return ConnectResult::Failed; }
  bool isRunning() const override { return false; }
  void run() override {}
  void stop() override {}
  void release() override {}
  bool reinitialiseIfRunning() override { return false; }
  void handleGraphEvent() override {}
  QImage composedFrame() const override { return {}; }
  void requestStill(int) override {}
  void setCaptureSize(SizePreset) override {}
  void setFullScreen(bool, QSize) override {}
  void setSnapshotKeyEnabled(bool) override {}
  void setCrosshair(bool) override {}
  bool crosshair() const override { return false; }
  void setTimeStamp(bool) override {}
  bool timeStamp() const override { return false; }
  QString deviceName() const override { return {}; }
};

}  // namespace lumivex
