#include "capture/capture_window.h"

#include "capture/caps_parser.h"
#include "capture/demo_camera.h"
#include "capture/demo_camera_hub.h"
#include "capture/demo_feeder.h"
#include "capture/device_monitor.h"
#include "capture/evdev_snap_key.h"
#include "capture/snap_key_source.h"
#include "capture/v4l2_proc_amp.h"

#include "core/app_context.h"
#include "core/app_events.h"
#include "core/capture_state.h"
#include "core/control_ids.h"
#include "core/logging.h"
#include "core/thread_handover.h"
#include "core/video_geometry.h"

#include <QFileInfo>

#include <gst/app/gstappsrc.h>
#include <gst/video/video.h>

namespace lumivex {

namespace {

// The simulated camera's key: attached by installing a handler on the camera.
class DemoSnapKey : public SnapKeySource {
 public:
  DemoSnapKey(std::shared_ptr<DemoCamera> camera, std::function<void()> onPress) : camera_(std::move(camera)) {
    camera_->setSnapKeyHandler(std::move(onPress));
  }
  ~DemoSnapKey() override { camera_->setSnapKeyHandler({}); }
  DemoSnapKey(const DemoSnapKey&) = delete;
  DemoSnapKey& operator=(const DemoSnapKey&) = delete;
  bool active() const override { return true; }

 private:
  std::shared_ptr<DemoCamera> camera_;
};

GstElement* makeElement(const char* factory, const char* name) { return gst_element_factory_make(factory, name); }
}  // namespace

CaptureWindow::CaptureWindow() : handler_(frameBuffer_, stillRequest_, composer_) { ensureGstreamer(); }

CaptureWindow::~CaptureWindow() {
  releaseGraph();
  if (hubListener_) DemoCameraHub::instance().removeListener(hubListener_);
}

void CaptureWindow::attach(QObject* mainWindow) {
  mainWindow_ = mainWindow;
  handler_.setReceiver(mainWindow);
  devices_.clear();
  if (AppContext::exists()) snapEnabled_ = AppContext::current().settings().enableSnap;
}

bool CaptureWindow::createEnumerator() {
  if (!monitor_) {
    monitor_ = std::make_unique<DeviceMonitor>([this](DeviceMonitor::Change change) {
      postDeviceChange(change == DeviceMonitor::Change::Added ? DeviceChange::Arrived : DeviceChange::Removed);
    });
  }
  if (demoEnabled_ && !hubListener_) {
    hubListener_ = DemoCameraHub::instance().addListener([this](const DemoCamera&, bool plugged) {
      postDeviceChange(plugged ? DeviceChange::Arrived : DeviceChange::Removed);
    });
  }
  return true;
}

void CaptureWindow::postDeviceChange(DeviceChange change) {
  if (mainWindow_) postAppEvent<DeviceChangeEvent>(mainWindow_, change);
}

bool CaptureWindow::enumerateDevices() {
  const QString previous = selectedDevice() ? selectedDevice()->displayName : QString();
  std::vector<DeviceEntry> found = monitor_ ? monitor_->devices() : std::vector<DeviceEntry>{};
  if (demoEnabled_) {
    for (const auto& camera : DemoCameraHub::instance().pluggedCameras()) {
      DeviceEntry entry;
      entry.displayName = camera->id();
      entry.friendlyName = camera->name();
      entry.demo = true;
      entry.capabilities = camera->capabilities();
      found.push_back(std::move(entry));
    }
  }
  if (static_cast<int>(found.size()) > kMaxDevices) found.resize(kMaxDevices);
  devices_ = std::move(found);
  for (DeviceEntry& entry : devices_) {
    if (!previous.isEmpty() && entry.displayName == previous) {
      entry.selected = true;
      return true;  // the device in use is still there; the graph stays as it is
    }
  }
  if (devices_.empty()) return false;
  devices_.front().selected = true;
  return true;
}

int CaptureWindow::selectedIndex() const {
  for (std::size_t i = 0; i < devices_.size(); ++i)
    if (devices_[i].selected) return static_cast<int>(i);
  return -1;
}

const DeviceEntry* CaptureWindow::selectedDevice() const {
  const int i = selectedIndex();
  return i < 0 ? nullptr : &devices_[static_cast<std::size_t>(i)];
}

bool CaptureWindow::buildGraph() {
  if (pipeline_) return true;
  const DeviceEntry* entry = selectedDevice();
  if (!entry) {
    qCWarning(lcCapture) << "no graph: no camera is selected";
    return false;
  }
  if (!isDevicePresent()) {
    qCWarning(lcCapture) << "no graph:" << entry->displayName << "is gone";
    return false;
  }
  pipeline_.reset(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("capture"))));
  if (entry->demo) {
    source_ = makeElement("appsrc", "source");
  } else {
    source_ = makeElement("v4l2src", "source");
    if (source_) g_object_set(source_, "device", entry->displayName.toLocal8Bit().constData(), nullptr);
  }
  if (!pipeline_ || !source_) {
    qCWarning(lcCapture) << "no graph:" << (pipeline_ ? (entry->demo ? "appsrc" : "v4l2src") : "the pipeline")
                         << "cannot be created";
    if (source_) gst_object_unref(source_);
    source_ = nullptr;
    releaseGraph();
    return false;
  }
  gst_bin_add(GST_BIN(pipeline_.get()), source_);
  GstBusPtr bus(gst_pipeline_get_bus(GST_PIPELINE(pipeline_.get())));
  gst_bus_set_sync_handler(bus.get(), &CaptureWindow::onBusSync, this, nullptr);
  return true;
}

GstBusSyncReply CaptureWindow::onBusSync(GstBus*, GstMessage*, gpointer self) {
  // Any thread. One 0x8003 at a time; handleGraphEvent drains the bus.
  auto* window = static_cast<CaptureWindow*>(self);
  if (!window->graphEventPosted_.exchange(true)) {
    QObject* receiver = window->mainWindow_.data();
    if (receiver) postAppEvent<GraphEvent>(receiver);
  }
  return GST_BUS_PASS;
}

void CaptureWindow::handleGraphEvent() {
  graphEventPosted_.store(false);
  if (!pipeline_) return;
  GstBusPtr bus(gst_pipeline_get_bus(GST_PIPELINE(pipeline_.get())));
  while (GstMessagePtr message{gst_bus_pop(bus.get())}) {
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
      GError* error = nullptr;
      gst_message_parse_error(message.get(), &error, nullptr);
      qCWarning(lcCapture) << "graph error from" << GST_MESSAGE_SRC_NAME(message.get()) << ":"
                           << (error ? error->message : "");
      if (error) g_error_free(error);
    }
  }
}

bool CaptureWindow::configure() {
  if (configured_) return true;
  if (!pipeline_) {
    qCWarning(lcCapture) << "cannot configure: no graph";
    return false;
  }
  const DeviceEntry* entry = selectedDevice();
  if (!entry) {
    qCWarning(lcCapture) << "cannot configure: no camera is selected";
    return false;
  }

  highResolution_ = SizePresets::highResolutionModel(entry->capabilities, highResolution_);
  const QSize defaultSize = SizePresets::defaultSize(highResolution_);
  if (AppContext::exists()) {
    if (const auto stored = CapConfig::read(capConfigPath())) {
      saved_ = *stored;
    } else {
      saved_ = CapConfig::defaultFormat(defaultSize.width(), defaultSize.height());
    }
  } else {
    saved_ = CapConfig::defaultFormat(defaultSize.width(), defaultSize.height());
  }
  QSize size(saved_.width(), saved_.height());
  std::optional<SourceFormat> format = chooseSourceFormat(entry->capabilities, size);
  if (!format) {
    // The stored size is refused: the default format once, then (unlike a blind retry) the largest size
    // the camera offers, so a small camera still shows a picture.
    saved_ = CapConfig::defaultFormat(defaultSize.width(), defaultSize.height());
    size = defaultSize;
    format = chooseSourceFormat(entry->capabilities, size);
    if (!format) {
      qCWarning(lcCapture) << entry->friendlyName << "offers neither the stored size nor" << defaultSize
                           << "; trying its largest";
      const QSize largest = largestSize(entry->capabilities);
      if (largest.isValid()) {
        size = largest;
        saved_.setSize(size.width(), size.height());
        format = chooseSourceFormat(entry->capabilities, size);
      }
    }
  }
  captureSize_ = size;
  rateClass_ = SizePresets::rateClass(size.width(), highResolution_);
  captureState().width.store(size.width());
  captureState().height.store(size.height());
  captureState().highResolutionModel.store(highResolution_);

  const QString bgr = QStringLiteral("video/x-raw,format=BGR,width=%1,height=%2").arg(size.width()).arg(size.height());
  QString sourceCaps = format ? format->caps : bgr;
  const bool jpeg = format && format->format == PixelFormat::Mjpeg && !entry->demo;
  if (entry->demo) {
    // The simulated camera delivers BGR itself; the rest of the pipeline is a real camera's.
    sourceCaps = bgr;
    GstCapsPtr caps(gst_caps_from_string((bgr + QStringLiteral(",framerate=30/1")).toUtf8().constData()));
    g_object_set(source_, "caps", caps.get(), "is-live", TRUE, "format", GST_FORMAT_TIME, "do-timestamp", TRUE,
                 "max-buffers", guint64{3}, "leaky-type", 1 /* drop new buffers when full */, nullptr);
  }

  GstElement* sourceFilter = makeElement("capsfilter", "SourceCaps");
  GstElement* decoder = jpeg ? makeElement("jpegdec", "Decoder") : nullptr;
  GstElement* convert = makeElement("videoconvert", "Convert");
  GstElement* stillFilter = makeElement("capsfilter", "StillCaps");
  GstElement* sink = makeElement("appsink", "StillGrabber");
  std::vector<GstElement*> chain{sourceFilter};
  if (jpeg) chain.push_back(decoder);
  chain.insert(chain.end(), {convert, stillFilter, sink});
  bool ok = true;
  for (GstElement* e : chain) ok = ok && e;
  if (!ok) {
    qCWarning(lcCapture) << "cannot configure: a GStreamer element is missing (capsfilter, videoconvert, appsink"
                         << (jpeg ? "or jpegdec)" : ")");
    for (GstElement* e : chain)
      if (e) gst_object_unref(gst_object_ref_sink(e));
    return false;  // no grabber can be attached: the main window retries on timer 1001
  }
  {
    GstCapsPtr caps(gst_caps_from_string(sourceCaps.toUtf8().constData()));
    g_object_set(sourceFilter, "caps", caps.get(), nullptr);
    GstCapsPtr out(gst_caps_from_string(bgr.toUtf8().constData()));
    g_object_set(stillFilter, "caps", out.get(), nullptr);
  }
  g_object_set(sink, "sync", FALSE, "max-buffers", 2u, "drop", FALSE, "emit-signals", FALSE, nullptr);
  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = &CaptureWindow::onNewSample;
  gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);

  for (GstElement* e : chain) gst_bin_add(GST_BIN(pipeline_.get()), e);
  chain_ = chain;
  GstElement* previous = source_;
  for (GstElement* e : chain) {
    // Caps are checked when the stream starts: a source's caps from its previous size would refuse a
    // link that the new caps make valid.
    if (!gst_element_link_pads_full(previous, "src", e, "sink", GST_PAD_LINK_CHECK_HIERARCHY)) ok = false;
    previous = e;
  }
  if (!ok) {
    qCWarning(lcCapture) << "cannot configure: the elements do not link";
    detachStreams();
    return false;
  }
  if (snapEnabled_ && !attachSnapKey()) {
    qCWarning(lcCapture) << "cannot configure: the snapshot key of" << entry->displayName << "cannot be attached";
    detachStreams();
    return false;
  }
  configured_ = true;
  return true;
}

bool CaptureWindow::attachSnapKey() {
  const DeviceEntry* entry = selectedDevice();
  if (!entry) return false;
  auto onPress = [this] { stillRequest_.set(StillKind::SnapshotKey); };
  if (entry->demo) {
    auto camera = DemoCameraHub::instance().find(entry->displayName);
    if (!camera) return false;
    snapKey_ = std::make_unique<DemoSnapKey>(camera, onPress);
  } else {
    // A camera without a readable key device still gets its grabber; presses then do nothing.
    snapKey_ = std::make_unique<EvdevSnapKey>(entry->displayName, onPress);
  }
  return true;
}

bool CaptureWindow::hasElement(const QString& name) const {
  if (name == QLatin1String("SampleGrabber")) return snapKey_ != nullptr;
  if (!pipeline_) return false;
  GstElement* e = gst_bin_get_by_name(GST_BIN(pipeline_.get()), name.toUtf8().constData());
  if (!e) return false;
  gst_object_unref(e);
  return true;
}

bool CaptureWindow::run() {
  if (running_) return true;
  if (!configured_) {
    qCWarning(lcCapture) << "cannot run: the graph is not configured";
    return false;
  }
  if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    // The window stays "running" but shows no picture, as a camera that did not start.
    qCWarning(lcCapture) << "the camera did not start";
    gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
  } else if (const DeviceEntry* entry = selectedDevice(); entry && entry->demo) {
    if (auto camera = DemoCameraHub::instance().find(entry->displayName))
      feeder_ = std::make_unique<DemoFeeder>(camera, source_, captureSize_);
  }
  running_ = true;
  return true;
}

bool CaptureWindow::stop() {
  running_ = false;
  feeder_.reset();  // no more pushes before the pipeline goes down
  if (pipeline_) gst_element_set_state(pipeline_.get(), GST_STATE_NULL);  // waits for the streaming thread
  return true;
}

void CaptureWindow::detachStreams() {
  snapKey_.reset();
  if (pipeline_) {
    for (GstElement* e : chain_) {
      gst_element_set_state(e, GST_STATE_NULL);
      gst_bin_remove(GST_BIN(pipeline_.get()), e);
    }
  }
  chain_.clear();
  configured_ = false;
}

void CaptureWindow::releaseGraph() {
  stop();
  detachStreams();
  composer_.release();
  if (pipeline_) {
    GstBusPtr bus(gst_pipeline_get_bus(GST_PIPELINE(pipeline_.get())));
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    gst_bus_set_flushing(bus.get(), TRUE);
  }
  pipeline_.reset();
  source_ = nullptr;
  v4l2ProcAmp_.reset();
  frameBuffer_.release();
  graphEventPosted_.store(false);
}

bool CaptureWindow::restart() {
  stop();
  if (!configure()) return false;
  return run();
}

bool CaptureWindow::setCaptureSize(int width, int height) {
  captureSize_ = QSize(width, height);
  const bool wasRunning = running_;
  stop();
  detachStreams();
  bool applied = false;
  if (const DeviceEntry* entry = selectedDevice()) {
    saved_.setSize(width, height);
    if (AppContext::exists()) saved_.write(capConfigPath());
    applied = chooseSourceFormat(entry->capabilities, captureSize_).has_value();
  }
  configure();
  if (wasRunning) run();
  return applied;
}

void CaptureWindow::setSnapshotKeyEnabled(bool enabled) {
  snapEnabled_ = enabled;
  if (AppContext::exists()) AppContext::current().settings().enableSnap = enabled;
  const bool wasRunning = running_;
  stop();
  detachStreams();
  configure();
  if (wasRunning) run();
}

bool CaptureWindow::selectDevice(int index) {
  if (index < 0 || index >= static_cast<int>(devices_.size())) return false;
  if (index == selectedIndex()) return true;
  stop();
  detachStreams();
  releaseGraph();
  for (DeviceEntry& entry : devices_) entry.selected = false;
  devices_[static_cast<std::size_t>(index)].selected = true;
  return buildGraph() && configure() && run();
}

bool CaptureWindow::isDevicePresent() const {
  const DeviceEntry* entry = selectedDevice();
  if (!entry) return false;
  if (entry->demo) {
    const auto camera = DemoCameraHub::instance().find(entry->displayName);
    return camera && camera->plugged();
  }
  return QFileInfo::exists(entry->displayName);
}

ProcAmp* CaptureWindow::procAmp() {
  const DeviceEntry* entry = selectedDevice();
  if (!entry || !isDevicePresent()) return nullptr;
  if (entry->demo) return DemoCameraHub::instance().find(entry->displayName).get();
  if (!v4l2ProcAmp_) v4l2ProcAmp_ = std::make_unique<V4l2ProcAmp>(entry->displayName);
  return v4l2ProcAmp_->isOpen() ? v4l2ProcAmp_.get() : nullptr;
}

void CaptureWindow::fullScreenChanged(bool on, QSize area) {
  composer_.setArea(area, !on);
  composer_.setFullScreen(on);
  composer_.setScale(area.width() / double(kVideoAreaSize.width()), area.height() / double(kVideoAreaSize.height()));
}

GstFlowReturn CaptureWindow::onNewSample(GstAppSink* sink, gpointer self) {
  GstSamplePtr sample(gst_app_sink_pull_sample(sink));
  if (sample) static_cast<CaptureWindow*>(self)->deliverSample(sample.get());
  return GST_FLOW_OK;
}

void CaptureWindow::deliverSample(GstSample* sample) {
  GstCaps* caps = gst_sample_get_caps(sample);
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  if (!caps || !buffer) return;
  if (caps != sampleCaps_.get()) {
    if (!gst_video_info_from_caps(&sampleInfo_, caps)) return;
    sampleCaps_.reset(gst_caps_ref(caps));
  }
  GstVideoFrame frame;
  if (!gst_video_frame_map(&frame, &sampleInfo_, buffer, GST_MAP_READ)) return;
  const auto* data = static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
  const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
  handOverAcquired(data);  // written by the demo camera's feeder thread
  const std::int64_t time = GST_BUFFER_PTS_IS_VALID(buffer) ? static_cast<std::int64_t>(GST_BUFFER_PTS(buffer)) : 0;
  handler_.onFrame(data, GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame), stride, time);
  gst_video_frame_unmap(&frame);
}

}  // namespace lumivex
