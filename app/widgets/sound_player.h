#pragma once

#include <gst/gst.h>

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

namespace lumivex {

namespace sound {
// Owning handles for the GStreamer objects of a sound: each drops its one reference.
struct ObjectUnref {
  void operator()(gpointer object) const {
    if (object) gst_object_unref(object);
  }
};
struct MessageUnref {
  void operator()(GstMessage* message) const {
    if (message) gst_message_unref(message);
  }
};
using PipelinePtr = std::unique_ptr<GstElement, ObjectUnref>;
using BusPtr = std::unique_ptr<GstBus, ObjectUnref>;
using MessagePtr = std::unique_ptr<GstMessage, MessageUnref>;
}  // namespace sound

// Plays the program's short WAVE sounds (resources/sounds/<id>.wav) asynchronously through a GStreamer
// playbin each. Fire and forget: play() returns at once, a finished or failed sound is released by a
// poll on the GUI thread, and a machine without an audio device simply stays silent.
class SoundPlayer {
 public:
  SoundPlayer();
  ~SoundPlayer();
  SoundPlayer(const SoundPlayer&) = delete;
  SoundPlayer& operator=(const SoundPlayer&) = delete;

  // Starts the sound with this resource id (180, 181, 182); false when it cannot start.
  bool play(int soundId);
  bool playFile(const QString& path);
  int activeCount() const { return static_cast<int>(active_.size()); }

 private:
  struct Playing {
    sound::PipelinePtr pipeline;
    QElapsedTimer age;
  };
  void reap();
  static void stopAndRelease(Playing& playing);

  std::vector<Playing> active_;
  QTimer reaper_;
};

}  // namespace lumivex
