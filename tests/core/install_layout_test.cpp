#include "core/install_layout.h"
#include "core/program_paths.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace lumivex {
namespace {

QString canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }
QString buildTree() { return canonical(qEnvironmentVariable("LUMIVEX_BINARY_DIR")); }

bool under(const QString& path, const QString& folder) { return path.startsWith(folder + u'/'); }

TEST(InstallLayoutTest, InstalledProgramUsesOnlyFoldersBesideItsOwn) {
  // The same answer under any prefix: /usr, /usr/local or a staging folder.
  QTemporaryDir stage;
  for (const char* prefix : {"/usr", "/usr/local", "/opt/lumivex"}) {
    const QString root = stage.path() + QLatin1String(prefix);
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/bin")));
    const InstallLayout layout = InstallLayout::forExecutableFolder(root + QStringLiteral("/bin"));
    SCOPED_TRACE(prefix);
    EXPECT_TRUE(layout.buildTree.isEmpty());
    ASSERT_EQ(layout.dataFolders.size(), 1);
    EXPECT_EQ(layout.dataFolders[0], canonical(root) + QStringLiteral("/share/lumivex"));
    ASSERT_EQ(layout.libraryFolders.size(), 2);
    EXPECT_EQ(layout.libraryFolders[0], canonical(root) + QStringLiteral("/bin"));
    EXPECT_TRUE(under(layout.libraryFolders[1], canonical(root))) << layout.libraryFolders[1].toStdString();
    EXPECT_TRUE(layout.libraryFolders[1].endsWith(QStringLiteral("/lumivex")));
  }
}

TEST(InstallLayoutTest, BuildTreeProgramFallsBackToTheSourceResourcesAndBuildLib) {
  const QString tree = buildTree();
  ASSERT_FALSE(tree.isEmpty());
  const QString sources = canonical(test::sourcePath(QStringLiteral("resources")));
  // The program itself, a test binary, and a staged install inside the build folder: the staged
  // install's own folders come first, so it is checked as an install and not from the sources.
  QTemporaryDir staged(tree + QStringLiteral("/stage-XXXXXX"));
  ASSERT_TRUE(QDir().mkpath(staged.path() + QStringLiteral("/usr/bin")));
  struct Case {
    QString exeFolder;
    QString firstData;
  } cases[] = {
      {tree + QStringLiteral("/app"), tree + QStringLiteral("/share/lumivex")},
      {tree + QStringLiteral("/tests/core"), tree + QStringLiteral("/tests/share/lumivex")},
      {staged.path() + QStringLiteral("/usr/bin"), canonical(staged.path()) + QStringLiteral("/usr/share/lumivex")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exeFolder.toStdString());
    const InstallLayout layout = InstallLayout::forExecutableFolder(c.exeFolder);
    EXPECT_EQ(layout.buildTree, tree);
    EXPECT_EQ(layout.dataFolders.value(0), c.firstData);
    EXPECT_EQ(canonical(layout.dataFolders.value(1)), sources);
    EXPECT_EQ(layout.libraryFolders.value(0), canonical(c.exeFolder));
    EXPECT_EQ(layout.libraryFolders.last(), tree + QStringLiteral("/lib"));
  }
}

TEST(InstallLayoutTest, ProgramFolderOverridesTheShippedResources) {
  test::TempHome home;
  const ProgramPaths paths = ProgramPaths::fromEnvironment();
  // This test runs from the build tree, so the shipped help page comes from the sources...
  const QString help = QStringLiteral("help/Lumivex-EN.html");
  EXPECT_EQ(canonical(paths.findResource(help)), canonical(test::sourcePath(QStringLiteral("resources/") + help)));
  // ...until the user puts one in the program folder.
  ASSERT_TRUE(test::writeBytes(home.programFolder() + u'/' + help, "<html></html>"));
  EXPECT_EQ(paths.findResource(help), home.programFolder() + u'/' + help);
}

}  // namespace
}  // namespace lumivex
