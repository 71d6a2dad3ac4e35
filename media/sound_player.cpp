#include "media/sound_player.h"

#include "core/app_context.h"
#include "core/logging.h"

#include <QFileInfo>

namespace lumivex {

namespace {

// A sound longer than this is cut: ours last well under a second, and a sink that never reports the end
// must not keep its pipeline forever.
constexpr qint64 kMaxSoundMs = 10000;

}  // namespace

SoundPlayer::SoundPlayer() {
  reaper_.setInterval(200);
  QObject::connect(&reaper_, &QTimer::timeout, [this] { reap(); });
}

SoundPlayer::~SoundPlayer() {
  for (Playing& playing : active_) stopAndRelease(playing);
}

bool SoundPlayer::play(int soundId) {
  requested_.push_back(soundId);
  if (listener_) listener_(soundId);
  if (!AppContext::exists()) return false;
  return playFile(AppContext::current().paths().findResource(QStringLiteral("sounds/%1.wav").arg(soundId)));
}

bool SoundPlayer::playFile(const QString& path) {
  if (!QFileInfo::exists(path)) {
    qCWarning(lcSound).noquote() << "no sound file" << path;
    return false;
  }
  if (!ensureGstreamer()) {
    qCWarning(lcSound) << "no media framework: sounds are not played";
    return false;
  }
  GstElementPtr pipeline(gst_element_factory_make("playbin", nullptr));
  if (!pipeline) {
    qCWarning(lcSound) << "the playbin element is missing: sounds are not played";
    return false;
  }
  // playbin's floating reference is sunk so the handle owns exactly one reference.
  gst_object_ref_sink(pipeline.get());
  GError* error = nullptr;
  gchar* uri = gst_filename_to_uri(QFileInfo(path).absoluteFilePath().toLocal8Bit().constData(), &error);
  if (!uri) {
    qCWarning(lcSound).noquote() << "cannot play" << path << ":" << (error ? error->message : "no URI");
    if (error) g_error_free(error);
    return false;
  }
  g_object_set(pipeline.get(), "uri", uri, nullptr);
  g_free(uri);
  // Asynchronous: the state change completes on GStreamer's threads.
  if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    qCWarning(lcSound).noquote() << "cannot play" << path << ": no sound output";
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return false;
  }
  Playing playing{std::move(pipeline), {}};
  playing.age.start();
  active_.push_back(std::move(playing));
  if (!reaper_.isActive()) reaper_.start();
  return true;
}

void SoundPlayer::reap() {
  for (auto it = active_.begin(); it != active_.end();) {
    GstBusPtr bus(gst_element_get_bus(it->pipeline.get()));
    GstMessagePtr done(
        bus ? gst_bus_pop_filtered(bus.get(), static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))
            : nullptr);
    if (done || it->age.elapsed() > kMaxSoundMs) {
      stopAndRelease(*it);
      it = active_.erase(it);
    } else {
      ++it;
    }
  }
  if (active_.empty()) reaper_.stop();
}

void SoundPlayer::stopAndRelease(Playing& playing) {
  if (playing.pipeline) gst_element_set_state(playing.pipeline.get(), GST_STATE_NULL);
  playing.pipeline.reset();
}

}  // namespace lumivex
