#pragma once

#include "core/control_ids.h"
#include "core/device_change.h"
#include "core/still_kind.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QString>

#include <utility>

namespace lumivex {

// A posted application message (0x8001, 0x8003, ...). Each message number has its own event type, and
// each message its own small event class below with typed fields, so a receiver tells them apart in
// event() by type and reads what the sender attached without casting numbers.
class AppEvent : public QEvent {
 public:
  int message() const { return message_; }

  static QEvent::Type typeFor(int message);
  // The message number of an event type, or 0 when the type is not an application message.
  static int messageOf(QEvent::Type type);

 protected:
  explicit AppEvent(int message) : QEvent(typeFor(message)), message_(message) {}

 private:
  int message_;
};

template <int Message>
class AppEventOf : public AppEvent {
 public:
  static constexpr int kMessage = Message;
  AppEventOf() : AppEvent(Message) {}
};

// 0x8001, from the frame thread: the requested still frame is in the frame buffer.
struct StillReadyEvent : AppEventOf<msg::kStillReady> {
  explicit StillReadyEvent(StillKind k) : kind(k) {}
  StillKind kind;
};

// 0x8003, from any GStreamer thread: the capture graph's bus holds messages (one at a time).
struct GraphEvent : AppEventOf<msg::kGraphEvent> {};

// 0x8005, to the open video settings dialog: the device was re-initialised.
struct DeviceReinitialisedEvent : AppEventOf<msg::kDeviceReinitialised> {};

// 0x8006, from a still workspace's canvas to its workspace: a still-picture calibration was measured.
struct StillCalibratedEvent : AppEventOf<msg::kStillCalibrated> {
  explicit StillCalibratedEvent(double value) : calibration(value) {}
  double calibration;
};

// 0x8007, from the start-up timer: ask to calibrate before measuring.
struct CalibratePromptEvent : AppEventOf<msg::kCalibratePrompt> {};

// 0x800a and 0x800b, from the media browser: open this picture in a workspace, this video in the player.
struct OpenPictureEvent : AppEventOf<msg::kOpenPicture> {
  explicit OpenPictureEvent(QString p) : path(std::move(p)) {}
  QString path;
};
struct OpenVideoEvent : AppEventOf<msg::kOpenVideo> {
  explicit OpenVideoEvent(QString p) : path(std::move(p)) {}
  QString path;
};

// 0x800c, from a still workspace whose calibration changed: its magnification text and calibration value.
struct WorkspaceCalibrationEvent : AppEventOf<msg::kWorkspaceCalibration> {
  WorkspaceCalibrationEvent(QString m, double value) : magnification(std::move(m)), calibration(value) {}
  QString magnification;
  double calibration;
};

// 0x800d, from the live view: a line calibration finished.
struct LiveCalibrationDoneEvent : AppEventOf<msg::kLiveCalibrationDone> {};

// 0x8010, from the device monitor's thread: a camera came, went or changed its node.
struct DeviceChangeEvent : AppEventOf<msg::kDeviceChange> {
  explicit DeviceChangeEvent(DeviceChange c) : change(c) {}
  DeviceChange change;
};

// Posts a new E to the receiver (nothing when there is none). Thread-safe: the capture thread posts too.
template <class E, class... Args>
void postAppEvent(QObject* receiver, Args&&... args) {
  if (receiver == nullptr) return;
  // Qt's event queue takes ownership of the posted event.
  QCoreApplication::postEvent(receiver, new E(std::forward<Args>(args)...));
}

// The event as an E when it is one, else nullptr.
template <class E>
const E* appEventCast(const QEvent* event) {
  return event != nullptr && event->type() == AppEvent::typeFor(E::kMessage) ? static_cast<const E*>(event) : nullptr;
}

}  // namespace lumivex
