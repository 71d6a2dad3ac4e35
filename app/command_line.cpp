#include "app/command_line.h"

#include <QFileInfo>

namespace lumivex {

CommandLine parseCommandLine(const QStringList& arguments) {
  CommandLine line;
  bool optionsEnded = false;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& arg = arguments[i];
    if (!optionsEnded && arg.startsWith(u'-') && arg != QStringLiteral("-")) {
      if (arg == QStringLiteral("--")) {
        optionsEnded = true;
      } else if (arg == QStringLiteral("-h") || arg == QStringLiteral("--help") || arg == QStringLiteral("-?")) {
        line.help = true;
      } else if (arg == QStringLiteral("-v") || arg == QStringLiteral("--version")) {
        line.version = true;
      } else if (arg == QStringLiteral("--demo-camera")) {
        line.demoCamera = true;
      } else if (arg == QStringLiteral("--demo-steady")) {
        line.demoSteady = true;
      } else if (line.error.isEmpty()) {
        line.error = QStringLiteral("unknown option '%1'").arg(arg);
      }
      continue;
    }
    // Absolute, so the files still name the same thing when handed to a running instance elsewhere.
    line.files << QFileInfo(arg).absoluteFilePath();
  }
  return line;
}

QString usageText(const QString& programName) {
  return QStringLiteral(
             "Usage: %1 [OPTION]... [FILE]...\n"
             "Live picture, stills, videos and calibrated measurements of a USB microscope camera.\n"
             "\n"
             "Pictures (BMP, JPEG) named on the command line open in still-image workspaces, videos (AVI)\n"
             "in the player. When Lumivex is already running, the files are handed to it and this\n"
             "command ends.\n"
             "\n"
             "Options:\n"
             "  --demo-camera   add the built-in simulated camera to the device list\n"
             "  --demo-steady   the simulated camera without drift and noise, so its specimen measures\n"
             "                  exactly (implies --demo-camera)\n"
             "  -h, --help      show this help and exit\n"
             "  -v, --version   show the version and exit\n"
             "  --              end of options: every later argument is a file\n"
             "\n"
             "Settings are kept in $XDG_CONFIG_HOME/Lumivex, the program folder is\n"
             "$XDG_DATA_HOME/Lumivex, pictures and videos go to \"Lumivex files\" in the documents\n"
             "folder. See lumivex(1).\n")
      .arg(programName);
}

QString versionText() { return QStringLiteral("Lumivex " LUMIVEX_VERSION "\n"); }

}  // namespace lumivex
