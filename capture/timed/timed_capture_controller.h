#pragma once

#include "capture/timed/series_clock.h"
#include "capture/timed/timed_capture_rules.h"
#include "capture/timed/timed_series.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

namespace lumivex {

// What the timed-capture dialog does, without its widgets: starts and stops one series at a time, asks
// the capture side for each picture on the GUI thread, counts them and collects the stills saved for
// them. Lives on the GUI thread; the series' worker only posts to it, and whatever a stopped or replaced
// series posted is dropped.
class TimedCaptureController : public QObject {
 public:
  enum class State { Idle, Running, Finished };
  enum class StartResult { Started, StartInThePast };

  struct Hooks {
    std::function<void()> requestStill;           // a kind-0 still, as the Camera command asks for one
    std::function<void(int taken)> pictureTaken;  // the count to show
    std::function<void()> finished;               // one interval after the last picture
  };

  TimedCaptureController(SeriesClock& clock, Hooks hooks);
  // Stops and joins the series.
  ~TimedCaptureController() override;

  // Start: a start time earlier than now (field by field) is refused. Joins a stopped series first, so
  // there is never more than one worker.
  StartResult start(const StartFields& start, int intervalMinutes, int intervalSeconds, int count);
  // Stop: the count goes back to 0; the worker ends at once (joined on the next start, cancel or close).
  void stop();
  // Cancel or close: stops and joins.
  void cancel();

  // Message 0x8001 saved a still (GUI thread): kind-0 stills the series asked for belong to it.
  void stillSaved(int kind, const QString& path);

  State state() const { return state_; }
  int taken() const { return taken_; }
  // The stills saved for the current (or just finished) series, in order.
  const QStringList& stills() const { return stills_; }
  // The interval of a plan in milliseconds: seconds x 1000 + minutes x 60000.
  static std::chrono::milliseconds intervalOf(int minutes, int seconds);

 private:
  void onPicture(int generation, int picture);
  void onFinished(int generation);

  SeriesClock& clock_;
  Hooks hooks_;
  std::unique_ptr<TimedSeries> series_;
  int generation_ = 0;  // of the series whose posts are wanted; bumped by every start and stop
  State state_ = State::Idle;
  int taken_ = 0;
  int awaited_ = 0;  // stills asked for and not saved yet
  QStringList stills_;
};

}  // namespace lumivex
