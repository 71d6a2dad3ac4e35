#include "library/player/playback_graph.h"

namespace lumivex {

QEvent::Type PlaybackGraph::notifyEventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

}  // namespace lumivex
