#include "capture/demo_key_filter.h"

#include "capture/demo_camera.h"
#include "capture/demo_camera_hub.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace lumivex {

DemoKeyFilter::DemoKeyFilter() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

DemoKeyFilter::~DemoKeyFilter() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

bool DemoKeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() != (Qt::ControlModifier | Qt::ShiftModifier) || key->isAutoRepeat())
    return QObject::eventFilter(watched, event);
  DemoCameraHub& hub = DemoCameraHub::instance();
  if (key->key() == Qt::Key_F2) {
    for (const auto& camera : hub.cameras()) camera->pressSnapshotKey();  // only the one in use listens
    return true;
  }
  if (key->key() == Qt::Key_F8 && !hub.cameras().empty()) {
    if (hub.cameras().front()->plugged()) {
      hub.unplug(0);
    } else {
      hub.replug(0);
    }
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace lumivex
