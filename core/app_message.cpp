#include "core/app_message.h"

#include <QCoreApplication>
#include <QObject>

namespace lumivex {
namespace {
constexpr int kWmApp = 0x8000;
constexpr int kMessageRange = 0x100;
}  // namespace

AppMessageEvent::AppMessageEvent(int message, std::intptr_t wParam, std::intptr_t lParam, QString text)
    : QEvent(typeFor(message)), message_(message), wParam_(wParam), lParam_(lParam), text_(std::move(text)) {}

QEvent::Type AppMessageEvent::typeFor(int message) {
  return static_cast<QEvent::Type>(QEvent::User + (message - kWmApp));
}

int AppMessageEvent::messageOf(QEvent::Type type) {
  const int offset = static_cast<int>(type) - QEvent::User;
  return (offset >= 0 && offset < kMessageRange) ? kWmApp + offset : 0;
}

void postAppMessage(QObject* receiver, int message, std::intptr_t wParam, std::intptr_t lParam, QString text) {
  if (receiver == nullptr) return;
  QCoreApplication::postEvent(receiver, new AppMessageEvent(message, wParam, lParam, std::move(text)));
}

}  // namespace lumivex
