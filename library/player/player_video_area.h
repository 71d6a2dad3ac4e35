#pragma once

#include "library/player/playback_graph.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <mutex>

namespace lumivex {

// The player's video area (control 1290): shows the newest frame of the playback graph stretched to
// its whole size, or a dark well while there is none.
class PlayerVideoArea : public QWidget, public VideoDisplay {
 public:
  explicit PlayerVideoArea(QWidget* parent = nullptr);

  // Any thread: keeps the frame and schedules one repaint on the GUI thread.
  void present(QImage frame) override;
  // GUI thread: forgets the frame (another file, or none).
  void clear();
  // The frame shown now; null when none.
  QImage frame() const;
  // How many frames have been presented since the last clear.
  int framesPresented() const { return presented_.load(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  mutable std::mutex lock_;  // guards frame_, written on the streaming thread
  QImage frame_;
  std::atomic<bool> repaintPending_{false};
  std::atomic<int> presented_{0};
};

}  // namespace lumivex
