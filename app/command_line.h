#pragma once

#include <QString>
#include <QStringList>

namespace lumivex {

// What the program was asked to do on its command line.
struct CommandLine {
  bool help = false;
  bool version = false;
  bool demoCamera = false;
  bool demoSteady = false;  // the simulated camera without drift and noise (implies demoCamera)
  QStringList files;        // absolute paths, in the order given
  QString error;            // the first unknown option, with what to do about it; empty when none
};

// Reads arguments (the program name first). "--" ends the options; "-" alone is a file name.
CommandLine parseCommandLine(const QStringList& arguments);

// The texts of --help and --version.
QString usageText(const QString& programName);
QString versionText();

}  // namespace lumivex
