#pragma once

#include "library/player/playback_graph.h"

#include <QCoreApplication>
#include <QImage>
#include <QObject>
#include <QString>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumivex::test {

// What a FakePlaybackGraph does and what was done to it. Shared with the test, so it outlives the graph
// the window destroys.
struct FakeGraphScript {
  bool createSucceeds = true;
  bool renderSucceeds = true;
  std::optional<double> duration = 10.0;
  // Where the next graph starts.
  double position = 0.0;
  PlaybackGraph::State state = PlaybackGraph::State::Stopped;
  std::vector<std::string> calls;
  std::vector<PlaybackEvent> pending;
  QObject* notify = nullptr;
  VideoDisplay* display = nullptr;
  bool alive = false;
  int graphsMade = 0;

  int count(const std::string& call) const { return static_cast<int>(std::count(calls.begin(), calls.end(), call)); }
  // Queues an event and tells the window, as a graph's streaming thread would.
  void raise(PlaybackEvent event) {
    pending.push_back(event);
    if (notify) QCoreApplication::postEvent(notify, new QEvent(PlaybackGraph::notifyEventType()));
  }
};

// A playback graph whose answers are scripted: positions are exact, seeks land where asked (clamped to
// the duration), and rendering shows one grey frame.
class FakePlaybackGraph : public PlaybackGraph {
 public:
  explicit FakePlaybackGraph(std::shared_ptr<FakeGraphScript> script) : s_(std::move(script)) { ++s_->graphsMade; }
  ~FakePlaybackGraph() override { s_->alive = false; }

  static PlaybackGraphFactory factory(const std::shared_ptr<FakeGraphScript>& script) {
    return [script] { return std::make_unique<FakePlaybackGraph>(script); };
  }

  bool create() override {
    s_->calls.push_back("create");
    s_->alive = s_->createSucceeds;
    return s_->createSucceeds;
  }
  void setDisplayWindow(VideoDisplay* display) override { s_->display = display; }
  void setNotifyWindow(QObject* window) override { s_->notify = window; }
  bool renderFile(const QString&) override {
    s_->calls.push_back("render");
    if (!s_->renderSucceeds) return false;
    s_->state = State::Paused;
    if (s_->display) {
      QImage frame(64, 48, QImage::Format_RGB32);
      frame.fill(QColor(128, 128, 128));
      s_->display->present(frame);
    }
    return true;
  }
  bool run() override { return to(State::Running, "run"); }
  bool pause() override { return to(State::Paused, "pause"); }
  bool stop() override {
    if (s_->state != State::Stopped) s_->position = 0.0;
    return to(State::Stopped, "stop");
  }
  State state() const override { return s_->state; }
  std::optional<double> currentPosition() const override { return s_->position; }
  std::optional<double> duration() const override { return s_->duration; }
  bool setPosition(double seconds) override {
    s_->calls.push_back("seek " + std::to_string(seconds));
    double target = std::max(seconds, 0.0);
    if (s_->duration && *s_->duration > 0) target = std::min(target, *s_->duration);
    s_->position = target;
    return true;
  }
  std::vector<PlaybackEvent> takeEvents() override {
    std::vector<PlaybackEvent> events;
    events.swap(s_->pending);
    return events;
  }
  void destroy() override {
    s_->calls.push_back("destroy");
    s_->alive = false;
    s_->display = nullptr;
    s_->notify = nullptr;
  }

 private:
  bool to(State state, const char* call) {
    // A call in the state it leads to does nothing and is not counted.
    if (s_->state == state) return true;
    s_->calls.push_back(call);
    s_->state = state;
    return true;
  }
  std::shared_ptr<FakeGraphScript> s_;
};

}  // namespace lumivex::test
