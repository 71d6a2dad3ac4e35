#include "library/player/player_session.h"

#include "library/player/player_window.h"

#include <memory>

namespace lumivex {

PlayerSession::PlayerSession(QWidget* owner, PlaybackGraphFactory factory, Hooks hooks)
    : owner_(owner), factory_(std::move(factory)), hooks_(std::move(hooks)), context_(std::make_unique<QObject>()) {}

PlayerSession::~PlayerSession() {
  // The connections go with their context, before the player does.
  context_.reset();
  delete window_.data();
}

void PlayerSession::open(const QString& path) {
  if (window_) window_->close();
  if (hooks_.beforeOpen) hooks_.beforeOpen();
  auto* window = new PlayerWindow(path, factory_, owner_);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window_ = window;
  // finished covers every close; destroyed covers a player deleted without one. Each player ends once,
  // whichever says so first.
  auto over = std::make_shared<bool>(false);
  const auto end = [this, window, over] {
    if (*over) return;
    *over = true;
    ended(window);
  };
  QObject::connect(window, &QDialog::finished, context_.get(), end);
  QObject::connect(window, &QObject::destroyed, context_.get(), end);
  window->open();
}

void PlayerSession::ended(const PlayerWindow* window) {
  if (window_.data() == window) window_.clear();
  if (hooks_.afterClose) hooks_.afterClose();
}

}  // namespace lumivex
