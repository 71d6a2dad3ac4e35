#pragma once

#include <span>

namespace lumivex {

// One item of a workspace toolbar menu: its command, its text (language key and English default) and
// its icon ("menu-<icon>.svg").
struct WorkspaceMenuItem {
  int command;
  const char* textKey;
  const char16_t* defaultText;
  int icon;
};

// The items of the menu a toolbar button opens (1333 operation, 1257 drawing, 1138 measuring, 1328
// automatic measuring, 1329 edge, 1289 calibration); empty for any other button.
std::span<const WorkspaceMenuItem> workspaceMenu(int buttonId);

// The menu button whose menu (or, for commands without an item, whose family) holds a tool command; 0
// when none does.
int menuButtonOf(int command);

}  // namespace lumivex
