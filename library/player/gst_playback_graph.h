#pragma once

#include "library/player/playback_graph.h"
#include "media/gst_ptr.h"

#include <atomic>

#include <gst/app/gstappsink.h>

namespace lumivex {

// The playback graph over GStreamer: a playbin whose video ends in an appsink that hands BGRx frames to
// the display, and whose audio goes to the automatic sink when the machine has a sound output (else to
// a fakesink, so a file with sound neither fails nor prints the audio systems' complaints). Bus messages
// are turned into one posted notify event at a time, as the capture graph does.
class GstPlaybackGraph final : public PlaybackGraph {
 public:
  GstPlaybackGraph();
  ~GstPlaybackGraph() override;
  GstPlaybackGraph(const GstPlaybackGraph&) = delete;
  GstPlaybackGraph& operator=(const GstPlaybackGraph&) = delete;

  // How long renderFile waits for the first frame and a seek for its new frame.
  static constexpr int kPrerollTimeoutMs = 5000;
  static constexpr int kSeekTimeoutMs = 5000;

  bool create() override;
  void setDisplayWindow(VideoDisplay* display) override { display_.store(display); }
  void setNotifyWindow(QObject* window) override { notify_.store(window); }
  bool renderFile(const QString& path) override;
  bool run() override;
  bool pause() override;
  bool stop() override;
  State state() const override;
  std::optional<double> currentPosition() const override;
  std::optional<double> duration() const override;
  bool setPosition(double seconds) override;
  std::vector<PlaybackEvent> takeEvents() override;
  void destroy() override;

  // Whether audio would go to a fakesink (no sound output on this machine).
  bool audioMuted() const { return audioMuted_; }

 private:
  static GstFlowReturn onPreroll(GstAppSink* sink, gpointer self);
  static GstFlowReturn onSample(GstAppSink* sink, gpointer self);
  static GstBusSyncReply onBusSync(GstBus* bus, GstMessage* message, gpointer self);
  void deliver(GstSamplePtr sample);
  // Reads one bus message: logs what the user should know and returns the event it means, if any.
  std::optional<PlaybackEvent> interpret(GstMessage* message);
  bool waitForPreroll();
  bool waitForStateChange(int timeoutMs) const;
  bool seekTo(double seconds);

  GstElementPtr playbin_;
  std::atomic<VideoDisplay*> display_{nullptr};
  std::atomic<QObject*> notify_{nullptr};
  std::atomic<bool> notifyPosted_{false};
  // The sync handler runs before its message is queued, so a notify can be handled before the end of
  // stream is there to pop: the ends announced and taken are counted, and the window is notified again
  // until each announced end has been taken.
  std::atomic<int> endsAnnounced_{0};
  int endsTaken_ = 0;
  bool stopped_ = false;
  bool audioMuted_ = false;
  bool errorLogged_ = false;  // one line per file, however many errors follow the first
  QString path_;
};

}  // namespace lumivex
