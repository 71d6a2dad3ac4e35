#pragma once

#include "core/device_change.h"
#include "core/frame_overlay.h"
#include "core/frame_sink.h"
#include "core/still_kind.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class QDialog;
class QObject;
class QWidget;

namespace lumivex {

// What the main window needs of the camera side. The capture library implements it over GStreamer
// (real cameras and the simulated one); NullCaptureService stands in when there is no capture at all.
// All methods are called on the GUI thread. The service posts application events to the receiver given
// to setReceiver: StillReadyEvent (0x8001), GraphEvent (0x8003) and DeviceChangeEvent (0x8010).
class CaptureService {
 public:
  enum class ConnectResult {
    Connected,   // a device was found and its preview runs
    RetryLater,  // the graph was built but no device answered: try again on timer 1001
    Failed,      // no device: the graph is released
  };
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

  virtual void requestStill(StillKind kind) = 0;
  virtual void setCaptureSize(SizePreset preset) = 0;
  virtual void setFullScreen(bool on, QSize area) = 0;
  virtual void setSnapshotKeyEnabled(bool enabled) = 0;
  virtual void setCrosshair(bool on) = 0;
  virtual bool crosshair() const = 0;
  virtual void setTimeStamp(bool on) = 0;
  virtual bool timeStamp() const = 0;
  virtual QString deviceName() const = 0;

  // The frame buffered before the last still request, as a DIB: the 40-byte BITMAPINFOHEADER followed by
  // the bottom-up 24-bit rows. Always one whole frame; empty when nothing is buffered.
  virtual QByteArray bufferedFrame() const { return {}; }
  // Stop, configure and run again (after a still from the snapshot key or while recording).
  virtual void restart() {}
  // Drawn on every composed frame: the live measurements before the time stamp and crosshair, the
  // comparison tools after them. Called on the capture thread; pass immutable snapshots.
  virtual void setOverlays(std::shared_ptr<FrameOverlay> live, std::shared_ptr<FrameOverlay> comparison) {
    (void)live;
    (void)comparison;
  }
  // Recorded seconds drawn with each frame while above 0.
  virtual void setRecordingSeconds(int seconds) { (void)seconds; }
  // F10-F12 and the recorder dialog: sets the size and says whether the camera took it.
  virtual bool applyCaptureSize(SizePreset preset) {
    setCaptureSize(preset);
    return true;
  }
  // Every frame goes to the sink (a recording) until it is replaced or cleared. Thread-safe.
  virtual void setFrameSink(std::shared_ptr<FrameSink> sink) { (void)sink; }
  // 15, 14 or 5 by the capture size (the recorder's frame rate class).
  virtual int rateClass() const { return 5; }
  // The video settings dialog (command 1016), a child of parent that the parent owns; null without a
  // capture layer. Send it 0x8005 while it is open whenever the device is re-initialised.
  virtual QDialog* createVideoSettingsDialog(QWidget& parent) {
    (void)parent;
    return nullptr;
  }
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
  void requestStill(StillKind) override {}
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
