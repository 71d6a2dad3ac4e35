#pragma once

#include <QLoggingCategory>

// The program's logging categories, one per subsystem. A failure is logged once, as a warning, where it
// happens. They are quiet by default (only critical messages show) except where the user has to act (see
// core/logging.cpp); QT_LOGGING_RULES turns them on, e.g. QT_LOGGING_RULES="lumivex.*=true" or
// QT_LOGGING_RULES="lumivex.capture.warning=true".
namespace lumivex {

Q_DECLARE_LOGGING_CATEGORY(lcCapture)     // lumivex.capture: the capture graph and its device
Q_DECLARE_LOGGING_CATEGORY(lcSnapKey)     // lumivex.capture.snapkey: the camera's snapshot key
Q_DECLARE_LOGGING_CATEGORY(lcStills)      // lumivex.stills: still pictures written from the live view
Q_DECLARE_LOGGING_CATEGORY(lcSettings)    // lumivex.settings: the settings store and its file
Q_DECLARE_LOGGING_CATEGORY(lcConnection)  // lumivex.connection: camera connection and reconnection
Q_DECLARE_LOGGING_CATEGORY(lcCommands)    // lumivex.commands: the main window's command table
Q_DECLARE_LOGGING_CATEGORY(lcPlayer)      // lumivex.player: the video player
Q_DECLARE_LOGGING_CATEGORY(lcSound)       // lumivex.sound: the sound player
Q_DECLARE_LOGGING_CATEGORY(lcRecorder)    // lumivex.recorder: each recording's frame counts when it closes
Q_DECLARE_LOGGING_CATEGORY(lcOpen)        // lumivex.open: where each file opened from the command line went
Q_DECLARE_LOGGING_CATEGORY(lcStartup)     // lumivex.startup: the resource files found at start (debug)
Q_DECLARE_LOGGING_CATEGORY(lcInstance)    // lumivex.instance: pictures handed to the running instance

// Turns every lumivex.* category on while alive (tests that check what is logged); restores the rules.
class LoggingEnabled {
 public:
  LoggingEnabled();
  ~LoggingEnabled();
  LoggingEnabled(const LoggingEnabled&) = delete;
  LoggingEnabled& operator=(const LoggingEnabled&) = delete;
};

}  // namespace lumivex
