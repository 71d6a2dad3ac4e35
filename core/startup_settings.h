#pragma once

namespace lumivex {

class AppContext;

// The settings part of the main window's initialisation, in its order: data folders, the first stored
// values, first-run defaults, the language (stored choice, else the system language), then units,
// colours and the line pen.
void loadStartupSettings(AppContext& context);

// Removes the temporaries a crash or kill -9 left in the program's folders (settings, program folder,
// pictures, videos). Part of loadStartupSettings; returns how many went.
int removeStaleTemporaries(AppContext& context);

}  // namespace lumivex
