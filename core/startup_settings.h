#pragma once

namespace lumivex {

class AppContext;

// The settings part of the main window's initialisation, in its order: data folders, the first stored
// values, first-run defaults, the language (stored choice, else the system language), then units,
// colours and the line pen.
void loadStartupSettings(AppContext& context);

}  // namespace lumivex
