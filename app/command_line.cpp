#include "app/command_line.h"

#include <QFileInfo>
#include <QUrl>

namespace lumivex {
namespace {

// The options QGuiApplication takes out of the arguments.
const QStringList& qtOptionsWithValue() {
  static const QStringList options{QStringLiteral("-platform"),
                                   QStringLiteral("-platformpluginpath"),
                                   QStringLiteral("-platformtheme"),
                                   QStringLiteral("-plugin"),
                                   QStringLiteral("-qwindowgeometry"),
                                   QStringLiteral("-qwindowicon"),
                                   QStringLiteral("-qwindowtitle"),
                                   QStringLiteral("-display"),
                                   QStringLiteral("-geometry"),
                                   QStringLiteral("-style"),
                                   QStringLiteral("-stylesheet"),
                                   QStringLiteral("-session"),
                                   QStringLiteral("-name"),
                                   QStringLiteral("-title")};
  return options;
}

const QStringList& qtFlags() {
  static const QStringList flags{QStringLiteral("-reverse"), QStringLiteral("-nograb"), QStringLiteral("-dograb"),
                                 QStringLiteral("-sync"), QStringLiteral("-widgetcount")};
  return flags;
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
  CommandLine line;
  bool optionsEnded = false;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& arg = arguments[i];
    if (!optionsEnded && arg.startsWith(u'-') && arg != QStringLiteral("-")) {
      if (qtOptionsWithValue().contains(arg)) {
        ++i;  // Qt's own, with its value: a second start sees them before Qt could take them out
      } else if (qtFlags().contains(arg)) {
        // Qt's own as well: nothing for the program
      } else if (arg == QStringLiteral("--")) {
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
    // A desktop may hand over file: URLs; other URLs are taken as names and fail as missing files.
    const QUrl url(arg);
    const QString path = arg.startsWith(QStringLiteral("file:")) && url.isLocalFile() ? url.toLocalFile() : arg;
    line.files << QFileInfo(path).absoluteFilePath();
  }
  return line;
}

QString usageText(const QString& programName) {
  return QStringLiteral(
             "Usage: %1 [OPTION]... [FILE]...\n"
             "Live picture, stills, videos and calibrated measurements of a USB microscope camera.\n"
             "\n"
             "Pictures (BMP, JPEG) named on the command line open in still-image workspaces, videos (AVI)\n"
             "in the player (of several videos, the first). When Lumivex is already running, the files\n"
             "are handed to it and this command ends.\n"
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
