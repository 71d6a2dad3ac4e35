#pragma once

#include "capture/capture_window.h"
#include "core/capture_service.h"

#include <memory>

class QObject;

namespace lumivex {

class DemoKeyFilter;

// The capture service over GStreamer: real V4L2 cameras and, when enabled, the simulated ones. Owns the
// CaptureWindow and drives it in the connection sequence the main window expects.
class GstCaptureService : public CaptureService {
 public:
  explicit GstCaptureService(bool demoCameras);
  ~GstCaptureService() override;

  void setReceiver(QObject* receiver) override;
  void setFrameListener(std::function<void()> listener) override;
  ConnectResult connectDevice() override;
  bool isRunning() const override { return window_.running(); }
  void run() override { window_.run(); }
  void stop() override { window_.stop(); }
  void release() override { window_.releaseGraph(); }
  bool reinitialiseIfRunning() override;
  void handleGraphEvent() override { window_.handleGraphEvent(); }
  QImage composedFrame() const override { return window_.composer().latest(); }
  void requestStill(StillKind kind) override { window_.requestStill(kind); }
  void setCaptureSize(SizePreset preset) override { applyCaptureSize(preset); }
  bool applyCaptureSize(SizePreset preset) override;
  void setFrameSink(std::shared_ptr<FrameSink> sink) override { window_.frameHandler().setRecorder(std::move(sink)); }
  void setFullScreen(bool on, QSize area) override { window_.fullScreenChanged(on, area); }
  void setSnapshotKeyEnabled(bool enabled) override { window_.setSnapshotKeyEnabled(enabled); }
  void setCrosshair(bool on) override { window_.composer().setCrosshair(on); }
  bool crosshair() const override { return window_.composer().crosshair(); }
  void setTimeStamp(bool on) override { window_.composer().setTimeStamp(on); }
  bool timeStamp() const override { return window_.composer().timeStamp(); }
  QString deviceName() const override;
  QByteArray bufferedFrame() const override;
  void restart() override { window_.restart(); }
  void setOverlays(std::shared_ptr<FrameOverlay> live, std::shared_ptr<FrameOverlay> comparison) override;
  void setRecordingSeconds(int seconds) override { window_.composer().setRecordingSeconds(seconds); }
  int rateClass() const override { return window_.rateClass(); }
  QDialog* createVideoSettingsDialog(QWidget& parent) override;

  CaptureWindow& window() { return window_; }
  const CaptureWindow& window() const { return window_; }

 private:
  mutable CaptureWindow window_;
  QObject* receiver_ = nullptr;
  std::unique_ptr<DemoKeyFilter> keyFilter_;
};

// The service for the program: with demoCamera the simulated camera is added to the device list.
std::unique_ptr<CaptureService> makeCaptureService(bool demoCamera);

}  // namespace lumivex
