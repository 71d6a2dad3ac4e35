#pragma once

#include <QString>
#include <QStringList>

namespace lumivex {

// Where the program keeps its files on this system. The program folder plays the part of the folder of
// the executable: settings files live there, and language and help files are looked up there before the
// installed resources.
struct ProgramPaths {
  QString programFolder;        // $XDG_DATA_HOME/Lumivex
  QString registryFile;         // $XDG_CONFIG_HOME/Lumivex/registry.reg
  QString documentsFolder;      // the user's documents folder
  QStringList resourceFolders;  // program folder, then InstallLayout::dataFolders

  // Paths from the XDG environment; creates the program folder.
  static ProgramPaths fromEnvironment();

  QString calibrationFile() const;
  // The first existing resourceFolders/relative, or the program folder's path when none exists.
  QString findResource(const QString& relative) const;
};

}  // namespace lumivex
