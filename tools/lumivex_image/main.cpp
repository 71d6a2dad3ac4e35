#include "tools/lumivex_image/command_registry.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <clocale>
#include <cstdio>
#include <map>
#include <string>

namespace lumivex::tool {
namespace {

struct Entry {
  std::string usage;
  Command command;
};

std::map<std::string, Entry>& commands() {
  static std::map<std::string, Entry> table;
  return table;
}

int usage() {
  std::fputs("usage: lumivex-image COMMAND ARGS...\n", stderr);
  for (const auto& [name, entry] : commands()) std::fprintf(stderr, "  %s %s\n", name.c_str(), entry.usage.c_str());
  return 2;
}

}  // namespace

bool registerCommand(const char* name, const char* usageText, Command command) {
  commands()[name] = Entry{usageText, std::move(command)};
  return true;
}

}  // namespace lumivex::tool

namespace {
// Scripts read this tool's stderr for the container's error text; Qt's note about a missing runtime folder
// (the offscreen platform asks for one) is noise there.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (message.startsWith(QLatin1String("QStandardPaths:"))) return;
  if (type != QtDebugMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}
}  // namespace

int main(int argc, char** argv) {
  using namespace lumivex::tool;
  qInstallMessageHandler(quietHandler);
  // Drawing text onto pictures needs a GUI application object, but never a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  // Results are read by scripts: a decimal point whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");
  QStringList args = QCoreApplication::arguments().mid(1);
  if (args.isEmpty()) return usage();
  // A two-word name ("process edge-global") lets another file add an operation to a command it does not own.
  if (args.size() >= 2) {
    const auto pair = commands().find((args[0] + QLatin1Char(' ') + args[1]).toStdString());
    if (pair != commands().end()) return pair->second.command(args.mid(2));
  }
  const auto it = commands().find(args.front().toStdString());
  if (it == commands().end()) return usage();
  return it->second.command(args.mid(1));
}
