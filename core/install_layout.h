#pragma once

#include <QString>
#include <QStringList>

namespace lumivex {

// Where the program's shipped files are, worked out from where the running executable is, so the same
// binary works from the build tree, from /usr/local, from /usr and from a staging folder (DESTDIR).
// The install layout's folders come first, relative to the executable's folder; an executable inside
// the build tree also uses the source tree's resources and the build tree's lib/.
struct InstallLayout {
  QString executableFolder;    // canonical folder of the running executable
  QString buildTree;           // the build tree's top folder, or empty when not running from it
  QStringList dataFolders;     // each may hold lang/, help/, skin/, sounds/
  QStringList libraryFolders;  // where libCadIO.so may be: beside the executable first

  // The layout of the running process (reads /proc/self/exe).
  static InstallLayout current();
  // The layout of an executable in executableFolder: what current() does, for tests.
  static InstallLayout forExecutableFolder(const QString& executableFolder);
};

}  // namespace lumivex
