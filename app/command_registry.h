#pragma once

#include "app/command_id.h"

#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace lumivex {

// When a button of the command is enabled.
enum class EnabledWhen {
  Connected,  // while a camera is connected (most buttons)
  Always,     // Close: the one way out without a camera
  Never,      // the ellipse tool, kept for its place in the table
};

// What the main window knows of a command besides its handler.
struct CommandEntry {
  CommandId id;
  const char* textKey;      // language file key of its tool-tip or menu text
  const char* textDefault;  // English text when the language file has none
  const char* iconFile;     // its skin icon; nullptr when its menu sets one by state (languages)
  int shortcut;             // Qt::Key without modifiers, 0 for none
  EnabledWhen enabledWhen;
};

// The command table: every command with its text, icon, shortcut and enabled rule.
const std::vector<CommandEntry>& commandEntries();
const CommandEntry* commandEntry(CommandId command);
// The command of a control id (button objectName, menu action data), or nullopt for any other number.
std::optional<CommandId> commandOf(int controlId);
// The command's text from the language file, as LookupText gives it for a buffer of size.
QString commandText(CommandId command, int size = 64);
// The command a key without modifiers runs, if any.
std::optional<CommandId> commandForKey(int qtKey);

// The handlers of the commands, bound by the main window to its controllers. Running a command that has
// no handler, or any command after close(), does nothing and says so.
class CommandRegistry {
 public:
  using Handler = std::function<void()>;

  void bind(CommandId command, Handler handler);
  bool run(CommandId command);
  // A click or a menu choice by control id; false when the number is no bound command.
  bool run(int controlId);
  bool isBound(CommandId command) const { return handlers_.count(command) != 0; }
  std::vector<CommandId> boundCommands() const;
  // After the window closed no command runs.
  void close() { closed_ = true; }

 private:
  std::map<CommandId, Handler> handlers_;
  bool closed_ = false;
};

}  // namespace lumivex
