#include "capture/gst_capture_service.h"

#include "capture/demo_camera_hub.h"
#include "capture/demo_key_filter.h"
#include "capture/video_settings_dialog.h"

#include <cstring>

namespace lumivex {

GstCaptureService::GstCaptureService(bool demoCameras) {
  window_.setDemoCamerasEnabled(demoCameras);
  if (demoCameras) {
    DemoCameraHub::instance().enable();
    keyFilter_ = std::make_unique<DemoKeyFilter>();
  }
}

GstCaptureService::~GstCaptureService() { window_.releaseGraph(); }

void GstCaptureService::setReceiver(QObject* receiver) {
  receiver_ = receiver;
  window_.attach(receiver);
  window_.createEnumerator();
}

void GstCaptureService::setFrameListener(std::function<void()> listener) {
  window_.frameHandler().setListener(std::move(listener));
}

CaptureService::ConnectResult GstCaptureService::connectDevice() {
  window_.releaseGraph();
  if (!window_.createEnumerator() || !window_.enumerateDevices()) return ConnectResult::Failed;
  if (!window_.buildGraph()) return ConnectResult::Failed;
  if (!window_.configure()) return ConnectResult::RetryLater;
  window_.run();
  return ConnectResult::Connected;
}

bool GstCaptureService::reinitialiseIfRunning() {
  // A running graph whose camera is still attached only refreshes the device list; a running graph whose
  // camera went away is not "running" for reconnection, which then rebuilds on the first remaining one.
  if (!window_.running() || !window_.isDevicePresent()) return false;
  window_.enumerateDevices();
  return true;
}

bool GstCaptureService::applyCaptureSize(SizePreset preset) {
  const QSize size = SizePresets::size(static_cast<int>(preset), window_.highResolutionModel());
  return window_.setCaptureSize(size.width(), size.height());
}

QString GstCaptureService::deviceName() const {
  const DeviceEntry* entry = window_.selectedDevice();
  return entry ? entry->friendlyName : QString();
}

QByteArray GstCaptureService::bufferedFrame() const {
  BufferedFrame frame;
  if (!window_.frameBuffer().copyTo(frame)) return {};
  QByteArray dib = frame.header.toBytes();
  dib.append(frame.pixels);
  return dib;
}

void GstCaptureService::setOverlays(std::shared_ptr<FrameOverlay> live, std::shared_ptr<FrameOverlay> comparison) {
  window_.composer().setLiveOverlay(std::move(live));
  window_.composer().setComparisonOverlay(std::move(comparison));
}

QDialog* GstCaptureService::createVideoSettingsDialog(QWidget& parent) {
  return new VideoSettingsDialog(window_, &parent);  // owned by its parent
}

std::unique_ptr<CaptureService> makeCaptureService(bool demoCamera) {
  return std::make_unique<GstCaptureService>(demoCamera);
}

}  // namespace lumivex
