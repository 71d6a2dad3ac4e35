#pragma once

#include <QEvent>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QObject;

namespace lumivex {

// Where a graph shows its pictures. present() is called on the graph's streaming thread; the display
// keeps the newest frame and paints it on the GUI thread.
class VideoDisplay {
 public:
  virtual ~VideoDisplay() = default;
  virtual void present(QImage frame) = 0;
};

// What a graph reports to its window.
enum class PlaybackEvent {
  Complete,  // the end of the file was reached while playing
  Abort,     // playback failed and cannot go on
};

// The player's playback graph over one file: create, renderFile (builds the graph and shows the first
// frame paused), then run / pause / stop and seeks; destroy releases everything. All calls on the GUI
// thread. Events reach the notify window as a posted PlaybackGraph::notifyEventType() event (one at a
// time), on which the window calls takeEvents().
class PlaybackGraph {
 public:
  enum class State { Stopped, Paused, Running };

  virtual ~PlaybackGraph() = default;

  // The type of the event posted to the notify window when events are pending.
  static QEvent::Type notifyEventType();

  // False when no graph can be made (the media framework is missing).
  virtual bool create() = 0;
  // The display and the notify window must be set before renderFile, which already shows a frame.
  virtual void setDisplayWindow(VideoDisplay* display) = 0;
  virtual void setNotifyWindow(QObject* window) = 0;
  // Builds the graph for the file and waits until it stands paused on its first frame; false when the
  // file cannot be played (the reason is logged once).
  virtual bool renderFile(const QString& path) = 0;

  // Each does nothing in the state it leads to. Stopped is paused at 0 with the stopped flag set.
  virtual bool run() = 0;
  virtual bool pause() = 0;
  virtual bool stop() = 0;
  virtual State state() const = 0;

  // Seconds; empty while the graph cannot tell.
  virtual std::optional<double> currentPosition() const = 0;
  virtual std::optional<double> duration() const = 0;
  // Moves the current position to the frame at that time (not to the key frame before it); returns when
  // the new frame is shown.
  virtual bool setPosition(double seconds) = 0;

  // Every event pending since the last call, in order.
  virtual std::vector<PlaybackEvent> takeEvents() = 0;
  virtual void destroy() = 0;
};

using PlaybackGraphFactory = std::function<std::unique_ptr<PlaybackGraph>()>;

// The program's graph, over GStreamer (defined with it, so callers need no GStreamer headers).
std::unique_ptr<PlaybackGraph> makeGstPlaybackGraph();

}  // namespace lumivex
