#pragma once

#include <QStringList>

namespace lumivex {

struct ProgramPaths;

// The shipped files the program found at start-up, one "what: where" line each (language file, help
// page, skin, sounds, CAD library), or "what: missing (...)". Call after the start-up settings chose the
// language.
QStringList startupFiles(const ProgramPaths& paths);

// Writes startupFiles() to the "lumivex.startup" log category at debug level, which is off unless
// enabled (QT_LOGGING_RULES="lumivex.startup.debug=true"): a check of an install.
void reportStartupFiles(const ProgramPaths& paths);

}  // namespace lumivex
