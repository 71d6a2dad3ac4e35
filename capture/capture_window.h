#pragma once

#include "capture/cap_config.h"
#include "capture/device_entry.h"
#include "capture/frame_buffer.h"
#include "capture/frame_composer.h"
#include "capture/frame_handler.h"
#include "capture/still_request.h"
#include "core/device_change.h"
#include "media/gst_ptr.h"

#include <QPointer>
#include <QSize>

#include <atomic>
#include <memory>
#include <vector>

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

class QObject;

namespace lumivex {

class DemoFeeder;
class DeviceMonitor;
class ProcAmp;
class SnapKeySource;
class V4l2ProcAmp;

// The capture graph of the selected camera and everything around it: the device list, the capture
// format (CapConfig.dat), the GStreamer pipeline ending in the "StillGrabber" appsink, the snapshot key
// (the "SampleGrabber", present only while enabled), the frame path and the composition surface.
// States: no graph -> built (buildGraph) -> configured (configure) -> running (run); stop returns to
// configured, detachStreams to built, releaseGraph to no graph. All operations run on the GUI thread;
// frames arrive on the streaming thread in the FrameHandler.
class CaptureWindow {
 public:
  static constexpr int kMaxDevices = 25;

  CaptureWindow();
  ~CaptureWindow();
  CaptureWindow(const CaptureWindow&) = delete;
  CaptureWindow& operator=(const CaptureWindow&) = delete;

  // Includes the simulated cameras of DemoCameraHub in the device list.
  void setDemoCamerasEnabled(bool on) { demoEnabled_ = on; }

  void attach(QObject* mainWindow);
  bool createEnumerator();
  bool enumerateDevices();
  bool buildGraph();
  bool configure();
  bool run();
  bool stop();
  void detachStreams();
  void releaseGraph();
  bool restart();
  bool setCaptureSize(int width, int height);
  void setSnapshotKeyEnabled(bool enabled);
  bool selectDevice(int index);
  bool isDevicePresent() const;
  ProcAmp* procAmp();
  void handleGraphEvent();
  void requestStill(StillKind kind) { stillRequest_.set(kind); }
  void fullScreenChanged(bool on, QSize area);

  bool graphBuilt() const { return pipeline_ != nullptr; }
  bool configured() const { return configured_; }
  bool running() const { return running_; }
  bool snapshotKeyEnabled() const { return snapEnabled_; }
  // Whether the graph holds a component of that name ("StillGrabber", "SampleGrabber", "source").
  bool hasElement(const QString& name) const;

  const std::vector<DeviceEntry>& devices() const { return devices_; }
  int selectedIndex() const;
  const DeviceEntry* selectedDevice() const;

  QSize captureSize() const { return captureSize_; }
  bool highResolutionModel() const { return highResolution_; }
  int rateClass() const { return rateClass_; }
  const CapConfig& savedFormat() const { return saved_; }

  FrameBuffer& frameBuffer() { return frameBuffer_; }
  FrameComposer& composer() { return composer_; }
  FrameHandler& frameHandler() { return handler_; }
  StillRequest& stillRequest() { return stillRequest_; }

 private:
  static GstFlowReturn onNewSample(GstAppSink* sink, gpointer self);
  static GstBusSyncReply onBusSync(GstBus* bus, GstMessage* message, gpointer self);
  void postDeviceChange(DeviceChange change);
  bool attachSnapKey();
  void deliverSample(GstSample* sample);

  QPointer<QObject> mainWindow_;
  bool demoEnabled_ = false;
  std::unique_ptr<DeviceMonitor> monitor_;
  int hubListener_ = 0;

  std::vector<DeviceEntry> devices_;
  GstElementPtr pipeline_;
  GstElement* source_ = nullptr;            // owned by the pipeline
  std::vector<GstElement*> chain_;          // downstream of the source, owned by the pipeline
  std::unique_ptr<SnapKeySource> snapKey_;  // the "SampleGrabber"
  std::unique_ptr<DemoFeeder> feeder_;
  std::unique_ptr<V4l2ProcAmp> v4l2ProcAmp_;

  CapConfig saved_;
  QSize captureSize_{1600, 1200};
  bool highResolution_ = true;
  int rateClass_ = 5;
  bool configured_ = false;
  bool running_ = false;
  bool snapEnabled_ = false;
  std::atomic<bool> graphEventPosted_{false};

  FrameBuffer frameBuffer_;
  FrameComposer composer_;
  StillRequest stillRequest_;
  FrameHandler handler_;

  // Streaming thread only: the video layout of the negotiated caps.
  GstCapsPtr sampleCaps_;
  GstVideoInfo sampleInfo_{};
};

}  // namespace lumivex
