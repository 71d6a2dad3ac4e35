#pragma once

#include "library/player/playback_graph.h"
#include "library/player/player_window.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace lumivex {

// One player at a time for an owner window. Before a player opens, the owner gets `beforeOpen` (it
// closes a recording and releases its camera); however the player ends - its close button, the window
// manager, a second file replacing it - the owner gets `afterClose` exactly once (it asks the camera back).
// The player is modal to its owner and deletes itself when it ends.
class PlayerSession {
 public:
  struct Hooks {
    std::function<void()> beforeOpen;
    std::function<void()> afterClose;
  };

  PlayerSession(QWidget* owner, PlaybackGraphFactory factory, Hooks hooks);
  // The owner is going away: a running player is closed without asking for the camera.
  ~PlayerSession();
  PlayerSession(const PlayerSession&) = delete;
  PlayerSession& operator=(const PlayerSession&) = delete;

  // For the players opened from now on.
  void setGraphFactory(PlaybackGraphFactory factory) { factory_ = std::move(factory); }
  // Opens the player on the file; a player already open is closed first.
  void open(const QString& path);
  bool isOpen() const { return !window_.isNull(); }
  PlayerWindow* window() const { return window_.data(); }

 private:
  void ended(const PlayerWindow* window);

  QWidget* owner_;
  PlaybackGraphFactory factory_;
  Hooks hooks_;
  QPointer<PlayerWindow> window_;
  std::unique_ptr<QObject> context_;  // of the player's connections; goes first
};

}  // namespace lumivex
