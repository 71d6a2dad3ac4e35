#pragma once

#include <QEvent>
#include <QString>

#include <cstdint>

class QObject;

namespace lumivex {

// A posted application message (0x8001, 0x8003, ...). Each message number has its own event type so a
// receiver can tell them apart in event() without a cast; wParam/lParam carry what the sender attaches.
class AppMessageEvent : public QEvent {
 public:
  AppMessageEvent(int message, std::intptr_t wParam = 0, std::intptr_t lParam = 0, QString text = {});

  static QEvent::Type typeFor(int message);
  // The message number of an event type, or 0 when the type is not an application message.
  static int messageOf(QEvent::Type type);

  int message() const { return message_; }
  std::intptr_t wParam() const { return wParam_; }
  std::intptr_t lParam() const { return lParam_; }
  const QString& text() const { return text_; }

 private:
  int message_;
  std::intptr_t wParam_;
  std::intptr_t lParam_;
  QString text_;
};

// Thread-safe: may be called from the capture thread.
void postAppMessage(QObject* receiver, int message, std::intptr_t wParam = 0, std::intptr_t lParam = 0,
                    QString text = {});

}  // namespace lumivex
