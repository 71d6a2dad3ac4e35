#pragma once

#include <QStringList>

#include <functional>

namespace lumivex::tool {

// A subcommand of lumivex-image: gets the arguments after its name, prints its results on stdout and its
// error text on stderr, and returns the process exit status.
using Command = std::function<int(const QStringList& args)>;

// Called from a static initialiser in each command's source file.
bool registerCommand(const char* name, const char* usage, Command command);

}  // namespace lumivex::tool
