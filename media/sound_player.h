#pragma once

#include "media/gst_ptr.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace lumivex {

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
  // Every id play() was asked for, in order, whether or not a device played it.
  const std::vector<int>& requested() const { return requested_; }
  // Told of every sound asked for, before it starts (tests listen here).
  void setPlayListener(std::function<void(int soundId)> listener) { listener_ = std::move(listener); }

 private:
  struct Playing {
    GstElementPtr pipeline;
    QElapsedTimer age;
  };
  void reap();
  static void stopAndRelease(Playing& playing);

  std::vector<Playing> active_;
  std::vector<int> requested_;
  QTimer reaper_;
  std::function<void(int)> listener_;
};

}  // namespace lumivex
