#include "library/player/gst_playback_graph.h"

#include "core/logging.h"

#include "library/player/avi_probe.h"
#include "media/audio_output.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <gst/pbutils/missing-plugins.h>
#include <gst/video/video.h>

namespace lumivex {

namespace {

// playbin's flags: video, audio, software volume and native video (decoded frames reach our sink as
// they are; our own converter makes them BGRx).
constexpr guint kPlayFlagVideo = 0x1;
constexpr guint kPlayFlagAudio = 0x2;
constexpr guint kPlayFlagSoftVolume = 0x10;
constexpr guint kPlayFlagNativeVideo = 0x40;

constexpr GstClockTime kMillisecond = GST_MSECOND;

// The frame of a sample, sharing the sample's memory; the sample is released with the last QImage copy.
QImage imageOf(GstSamplePtr sample) {
  GstCaps* caps = gst_sample_get_caps(sample.get());
  GstBuffer* buffer = gst_sample_get_buffer(sample.get());
  GstVideoInfo info;
  if (!caps || !buffer || !gst_video_info_from_caps(&info, caps)) return {};
  struct Mapped {
    GstSamplePtr sample;
    GstMapInfo map{};
  };
  auto mapped = std::make_unique<Mapped>();
  if (!gst_buffer_map(buffer, &mapped->map, GST_MAP_READ)) return {};
  const int width = GST_VIDEO_INFO_WIDTH(&info);
  const int height = GST_VIDEO_INFO_HEIGHT(&info);
  const int stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
  if (width <= 0 || height <= 0 || mapped->map.size < static_cast<gsize>(stride) * static_cast<gsize>(height)) {
    gst_buffer_unmap(buffer, &mapped->map);
    return {};
  }
  mapped->sample = std::move(sample);
  const uchar* data = mapped->map.data;
  // BGRx in memory is Qt's RGB32 on a little-endian machine.
  return QImage(
      data, width, height, stride, QImage::Format_RGB32,
      [](void* holder) {
        std::unique_ptr<Mapped> owned(static_cast<Mapped*>(holder));
        gst_buffer_unmap(gst_sample_get_buffer(owned->sample.get()), &owned->map);
      },
      mapped.release());
}

// The sink side of the video: BGRx frames into an appsink. Top-down uncompressed AVIs come out of the
// demuxer with a negative pixel aspect ratio that no converter accepts; every picture is shown stretched
// to the video area anyway, so the ratio is set square before conversion.
GstElement* makeVideoSink(const GstAppSinkCallbacks& callbacks, gpointer self) {
  GstElement* bin = gst_bin_new("VideoRenderer");
  GstElement* squarer = gst_element_factory_make("capssetter", "Squarer");
  GstElement* convert = gst_element_factory_make("videoconvert", "Convert");
  GstElement* sink = gst_element_factory_make("appsink", "Frames");
  if (!bin || !convert || !sink) {
    for (GstElement* e : {bin, squarer, convert, sink})
      if (e) gst_object_unref(gst_object_ref_sink(e));
    return nullptr;
  }
  GstCapsPtr bgrx(gst_caps_from_string("video/x-raw,format=BGRx"));
  g_object_set(sink, "caps", bgrx.get(), "sync", TRUE, "enable-last-sample", FALSE, "max-buffers", 2u, nullptr);
  // The callbacks are copied by the sink.
  gst_app_sink_set_callbacks(GST_APP_SINK(sink), const_cast<GstAppSinkCallbacks*>(&callbacks), self, nullptr);
  GstElement* first = convert;
  if (squarer) {
    GstCapsPtr square(gst_caps_from_string("video/x-raw,pixel-aspect-ratio=1/1"));
    g_object_set(squarer, "caps", square.get(), nullptr);
    gst_bin_add(GST_BIN(bin), squarer);
    first = squarer;
  }
  gst_bin_add_many(GST_BIN(bin), convert, sink, nullptr);
  if ((squarer && !gst_element_link(squarer, convert)) || !gst_element_link(convert, sink)) {
    gst_object_unref(gst_object_ref_sink(bin));
    return nullptr;
  }
  GstPad* target = gst_element_get_static_pad(first, "sink");
  gst_element_add_pad(bin, gst_ghost_pad_new("sink", target));
  gst_object_unref(target);
  return bin;
}

}  // namespace

std::unique_ptr<PlaybackGraph> makeGstPlaybackGraph() { return std::make_unique<GstPlaybackGraph>(); }

GstPlaybackGraph::GstPlaybackGraph() = default;

GstPlaybackGraph::~GstPlaybackGraph() { destroy(); }

bool GstPlaybackGraph::create() {
  destroy();
  if (!ensureGstreamer()) {
    qCWarning(lcPlayer) << "no media framework: videos cannot be played";
    return false;
  }
  GstElement* playbin = gst_element_factory_make("playbin", "PlaybackGraph");
  if (!playbin) {
    qCWarning(lcPlayer) << "the playbin element is missing: videos cannot be played";
    return false;
  }
  playbin_.reset(GST_ELEMENT(gst_object_ref_sink(playbin)));
  GstAppSinkCallbacks callbacks{};
  callbacks.new_preroll = &GstPlaybackGraph::onPreroll;
  callbacks.new_sample = &GstPlaybackGraph::onSample;
  GstElement* video = makeVideoSink(callbacks, this);
  if (!video) {
    qCWarning(lcPlayer) << "the video renderer cannot be built (videoconvert or appsink missing)";
    playbin_.reset();
    return false;
  }
  g_object_set(playbin_.get(), "video-sink", video, "flags",
               kPlayFlagVideo | kPlayFlagAudio | kPlayFlagSoftVolume | kPlayFlagNativeVideo, nullptr);
  // Without a sound output the automatic sink would try (and print about) every audio system; playbin
  // builds its own automatic sink only for files that have sound.
  audioMuted_ = !AudioOutputProbe::fromEnvironment().available();
  if (audioMuted_) {
    GstElement* silent = gst_element_factory_make("fakesink", "Silence");
    if (silent) {
      g_object_set(silent, "sync", TRUE, nullptr);
      g_object_set(playbin_.get(), "audio-sink", silent, nullptr);
    }
  }
  GstBusPtr bus(gst_element_get_bus(playbin_.get()));
  gst_bus_set_sync_handler(bus.get(), &GstPlaybackGraph::onBusSync, this, nullptr);
  return true;
}

bool GstPlaybackGraph::renderFile(const QString& path) {
  if (!playbin_) return false;
  path_ = path;
  stopped_ = false;
  errorLogged_ = false;
  const QFileInfo file(path);
  if (!file.isFile()) {
    qCWarning(lcPlayer).noquote() << "cannot play" << path << ": no such file";
    return false;
  }
  if (AviProbe::inspect(path) == AviProbe::Verdict::NoFrames) {
    qCWarning(lcPlayer).noquote() << "cannot play" << path << ": the video holds no frame";
    return false;
  }
  GError* error = nullptr;
  gchar* uri = gst_filename_to_uri(file.absoluteFilePath().toLocal8Bit().constData(), &error);
  if (!uri) {
    if (error) g_error_free(error);
    return false;
  }
  g_object_set(playbin_.get(), "uri", uri, nullptr);
  g_free(uri);
  const GstStateChangeReturn change = gst_element_set_state(playbin_.get(), GST_STATE_PAUSED);
  const bool ok = change == GST_STATE_CHANGE_SUCCESS || (change == GST_STATE_CHANGE_ASYNC && waitForPreroll());
  if (!ok) {
    takeEvents();
    if (!errorLogged_) qCWarning(lcPlayer).noquote() << "cannot play" << path_ << ": no picture";
    gst_element_set_state(playbin_.get(), GST_STATE_NULL);
  }
  return ok;
}

bool GstPlaybackGraph::waitForPreroll() {
  // The bus rather than the element's state: a file that fails while the demuxer reads its headers can
  // leave the state change pending for good, with only the error on the bus to say so.
  GstBusPtr bus(gst_element_get_bus(playbin_.get()));
  QElapsedTimer clock;
  clock.start();
  const auto wanted = static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR | GST_MESSAGE_ELEMENT);
  for (qint64 left = kPrerollTimeoutMs; left > 0; left = kPrerollTimeoutMs - clock.elapsed()) {
    GstMessagePtr message(
        gst_bus_timed_pop_filtered(bus.get(), static_cast<GstClockTime>(left) * kMillisecond, wanted));
    if (!message) break;
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ASYNC_DONE) {
      if (GST_MESSAGE_SRC(message.get()) == GST_OBJECT(playbin_.get())) return true;
      continue;
    }
    if (interpret(message.get()) == PlaybackEvent::Abort) return false;
  }
  return false;
}

bool GstPlaybackGraph::waitForStateChange(int timeoutMs) const {
  GstState current = GST_STATE_VOID_PENDING;
  GstState pending = GST_STATE_VOID_PENDING;
  const GstStateChangeReturn result =
      gst_element_get_state(playbin_.get(), &current, &pending, static_cast<GstClockTime>(timeoutMs) * kMillisecond);
  return result == GST_STATE_CHANGE_SUCCESS || result == GST_STATE_CHANGE_NO_PREROLL;
}

PlaybackGraph::State GstPlaybackGraph::state() const {
  if (!playbin_) return State::Stopped;
  GstState current = GST_STATE_VOID_PENDING;
  GstState pending = GST_STATE_VOID_PENDING;
  gst_element_get_state(playbin_.get(), &current, &pending, 10 * kMillisecond);
  const GstState target = pending != GST_STATE_VOID_PENDING ? pending : current;
  if (target == GST_STATE_PLAYING) return State::Running;
  if (target == GST_STATE_PAUSED) return stopped_ ? State::Stopped : State::Paused;
  return State::Stopped;
}

bool GstPlaybackGraph::run() {
  if (!playbin_) return false;
  if (state() == State::Running) return true;
  stopped_ = false;
  return gst_element_set_state(playbin_.get(), GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

bool GstPlaybackGraph::pause() {
  if (!playbin_) return false;
  if (state() == State::Paused) return true;
  stopped_ = false;
  return gst_element_set_state(playbin_.get(), GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
}

bool GstPlaybackGraph::stop() {
  if (!playbin_) return false;
  if (state() == State::Stopped) return true;
  // Paused on the first frame rather than READY, which would drop the picture and the position.
  if (gst_element_set_state(playbin_.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) return false;
  waitForStateChange(kSeekTimeoutMs);
  seekTo(0.0);
  stopped_ = true;
  return true;
}

std::optional<double> GstPlaybackGraph::currentPosition() const {
  gint64 position = 0;
  if (!playbin_ || !gst_element_query_position(playbin_.get(), GST_FORMAT_TIME, &position) || position < 0) {
    return std::nullopt;
  }
  return static_cast<double>(position) * 1e-9;
}

std::optional<double> GstPlaybackGraph::duration() const {
  gint64 length = 0;
  if (!playbin_ || !gst_element_query_duration(playbin_.get(), GST_FORMAT_TIME, &length) || length < 0) {
    return std::nullopt;
  }
  return static_cast<double>(length) * 1e-9;
}

bool GstPlaybackGraph::setPosition(double seconds) {
  if (!playbin_) return false;
  return seekTo(seconds);
}

bool GstPlaybackGraph::seekTo(double seconds) {
  const auto target = static_cast<gint64>(std::max(0.0, seconds) * 1e9 + 0.5);
  // Accurate, not to the key frame before: some encoders write one key frame in many seconds, and a
  // 2-second jump would snap back to where it started.
  const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
  if (!gst_element_seek_simple(playbin_.get(), GST_FORMAT_TIME, flags, target)) return false;
  return waitForStateChange(kSeekTimeoutMs);
}

GstBusSyncReply GstPlaybackGraph::onBusSync(GstBus*, GstMessage* message, gpointer self) {
  // Any thread. One notify event at a time; takeEvents drains the bus.
  auto* graph = static_cast<GstPlaybackGraph*>(self);
  if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) graph->endsAnnounced_.fetch_add(1);
  if (!graph->notifyPosted_.exchange(true)) {
    if (QObject* window = graph->notify_.load()) {
      QCoreApplication::postEvent(window, new QEvent(PlaybackGraph::notifyEventType()));
    } else {
      graph->notifyPosted_.store(false);
    }
  }
  return GST_BUS_PASS;
}

std::vector<PlaybackEvent> GstPlaybackGraph::takeEvents() {
  notifyPosted_.store(false);
  std::vector<PlaybackEvent> events;
  if (!playbin_) return events;
  GstBusPtr bus(gst_element_get_bus(playbin_.get()));
  while (GstMessagePtr message{gst_bus_pop(bus.get())}) {
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS) ++endsTaken_;
    if (const auto event = interpret(message.get())) events.push_back(*event);
  }
  if (endsTaken_ < endsAnnounced_.load()) {
    if (QObject* window = notify_.load(); window && !notifyPosted_.exchange(true))
      QCoreApplication::postEvent(window, new QEvent(PlaybackGraph::notifyEventType()));
  }
  return events;
}

std::optional<PlaybackEvent> GstPlaybackGraph::interpret(GstMessage* message) {
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
      return PlaybackEvent::Complete;
    case GST_MESSAGE_ERROR: {
      GError* error = nullptr;
      gst_message_parse_error(message, &error, nullptr);
      const QString text = error ? QString::fromUtf8(error->message) : QString();
      // A missing decoder has been named by its own message; of a chain of errors only the first is
      // worth a line (one per file).
      const bool missing = error && (g_error_matches(error, GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN) ||
                                     g_error_matches(error, GST_STREAM_ERROR, GST_STREAM_ERROR_CODEC_NOT_FOUND));
      if (error) g_error_free(error);
      if (!missing && !errorLogged_) qCWarning(lcPlayer).noquote() << "cannot play" << path_ << ":" << text;
      errorLogged_ = true;
      return PlaybackEvent::Abort;
    }
    case GST_MESSAGE_ELEMENT:
      if (gst_is_missing_plugin_message(message)) {
        gchar* description = gst_missing_plugin_message_get_description(message);
        const QString what = QString::fromUtf8(description ? description : "unknown");
        g_free(description);
        // Not necessarily fatal (without its sound decoder a file still plays its picture): no "cannot".
        if (!errorLogged_) qCWarning(lcPlayer).noquote() << path_ << ": no decoder installed for" << what;
        errorLogged_ = true;
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

GstFlowReturn GstPlaybackGraph::onPreroll(GstAppSink* sink, gpointer self) {
  static_cast<GstPlaybackGraph*>(self)->deliver(GstSamplePtr(gst_app_sink_pull_preroll(sink)));
  return GST_FLOW_OK;
}

GstFlowReturn GstPlaybackGraph::onSample(GstAppSink* sink, gpointer self) {
  static_cast<GstPlaybackGraph*>(self)->deliver(GstSamplePtr(gst_app_sink_pull_sample(sink)));
  return GST_FLOW_OK;
}

void GstPlaybackGraph::deliver(GstSamplePtr sample) {
  // Streaming thread.
  VideoDisplay* display = display_.load();
  if (!display || !sample) return;
  QImage frame = imageOf(std::move(sample));
  if (!frame.isNull()) display->present(std::move(frame));
}

void GstPlaybackGraph::destroy() {
  if (!playbin_) return;
  // NULL joins the streaming threads: no frame or message arrives after this.
  gst_element_set_state(playbin_.get(), GST_STATE_NULL);
  GstBusPtr bus(gst_element_get_bus(playbin_.get()));
  gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
  playbin_.reset();
  display_.store(nullptr);
  notifyPosted_.store(false);
  endsAnnounced_.store(0);
  endsTaken_ = 0;
  stopped_ = false;
}

}  // namespace lumivex
