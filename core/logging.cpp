#include "core/logging.h"

namespace lumivex {

Q_LOGGING_CATEGORY(lcCapture, "lumivex.capture", QtCriticalMsg)
// Shown by default: a refused snapshot-button device names the udev rule that grants access.
Q_LOGGING_CATEGORY(lcSnapKey, "lumivex.capture.snapkey", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStills, "lumivex.stills", QtCriticalMsg)
// Shown by default: a settings file set aside or left unread is something the user must hear about.
Q_LOGGING_CATEGORY(lcSettings, "lumivex.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcConnection, "lumivex.connection", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcCommands, "lumivex.commands", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcPlayer, "lumivex.player", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcSound, "lumivex.sound", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcRecorder, "lumivex.recorder", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcOpen, "lumivex.open", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStartup, "lumivex.startup", QtInfoMsg)
// Shown by default: a second start could not hand its pictures over.
Q_LOGGING_CATEGORY(lcInstance, "lumivex.instance", QtWarningMsg)

LoggingEnabled::LoggingEnabled() { QLoggingCategory::setFilterRules(QStringLiteral("lumivex.*=true")); }

LoggingEnabled::~LoggingEnabled() { QLoggingCategory::setFilterRules(QString()); }

}  // namespace lumivex
