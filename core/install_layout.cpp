#include "core/install_layout.h"

#include <QDir>
#include <QFileInfo>

namespace lumivex {
namespace {

// The build tree's top folder when folder lies inside it (canonical paths on both sides, so a build
// folder reached through a link still counts).
QString buildTreeContaining(const QString& folder) {
  const QString tree = QFileInfo(QStringLiteral(LUMIVEX_BUILD_TREE)).canonicalFilePath();
  if (tree.isEmpty() || folder.isEmpty()) return {};
  if (folder == tree || folder.startsWith(tree + u'/')) return tree;
  return {};
}

}  // namespace

InstallLayout InstallLayout::current() {
  return forExecutableFolder(QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path());
}

InstallLayout InstallLayout::forExecutableFolder(const QString& executableFolder) {
  InstallLayout layout;
  const QString canonical = QFileInfo(executableFolder).canonicalFilePath();
  layout.executableFolder = canonical.isEmpty() ? QDir::cleanPath(executableFolder) : canonical;
  layout.buildTree = buildTreeContaining(layout.executableFolder);
  const QDir exe(layout.executableFolder);
  // Paths from the install's bin folder fixed at configure time, e.g. "../share/lumivex": a staged
  // install inside the build folder is still an install.
  layout.dataFolders << QDir::cleanPath(exe.filePath(QStringLiteral(LUMIVEX_BIN_TO_DATA)));
  layout.libraryFolders << layout.executableFolder
                        << QDir::cleanPath(exe.filePath(QStringLiteral(LUMIVEX_BIN_TO_PRIVATE_LIB)));
  if (!layout.buildTree.isEmpty()) {
    layout.dataFolders << QStringLiteral(LUMIVEX_SOURCE_RESOURCES);
    layout.libraryFolders << layout.buildTree + QStringLiteral("/lib");
  }
  return layout;
}

}  // namespace lumivex
