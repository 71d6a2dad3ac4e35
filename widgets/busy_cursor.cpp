#include "widgets/busy_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace lumivex {

BusyCursor::BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

BusyCursor::~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace lumivex
