#include "core/app_events.h"

namespace lumivex {
namespace {
constexpr int kWmApp = 0x8000;
constexpr int kMessageRange = 0x100;
}  // namespace

QEvent::Type AppEvent::typeFor(int message) { return static_cast<QEvent::Type>(QEvent::User + (message - kWmApp)); }

int AppEvent::messageOf(QEvent::Type type) {
  const int offset = static_cast<int>(type) - QEvent::User;
  return (offset >= 0 && offset < kMessageRange) ? kWmApp + offset : 0;
}

}  // namespace lumivex
