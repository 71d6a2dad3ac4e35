#include "core/data_folders.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

namespace lumivex {
namespace {

class DataFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override { QDir().mkpath(program()); }
  QString program() const { return home_.programFolder(); }
  QString datFile() const { return program() + QStringLiteral("/folderpath.dat"); }
  QString documents() const { return home_.path() + QStringLiteral("/Documents"); }
  test::TempHome home_;
};

TEST_F(DataFoldersTest, DefaultRootIsCreatedUnderDocuments) {
  DataFolders folders;
  folders.resolve(program(), documents());
  EXPECT_EQ(folders.root(), documents() + QStringLiteral("/Lumivex files"));
  EXPECT_TRUE(QFileInfo(folders.pictureFolder()).isDir());
  EXPECT_TRUE(QFileInfo(folders.videoFolder()).isDir());
  EXPECT_TRUE(folders.pictureFolder().endsWith(QStringLiteral("/Picture")));
  EXPECT_TRUE(folders.videoFolder().endsWith(QStringLiteral("/Video")));
}

TEST_F(DataFoldersTest, NonAsciiRootRoundTripsThroughTheFile) {
  const QString root = home_.path() + QStringLiteral("/Mikroskop-Bilder/显微镜 ①");
  DataFolders folders;
  folders.resolve(program(), documents());
  ASSERT_TRUE(folders.setDataRoot(root));
  EXPECT_TRUE(QFileInfo(root + QStringLiteral("/Picture")).isDir());

  const QByteArray bytes = test::readBytes(datFile());
  ASSERT_EQ(bytes.size(), 520);
  EXPECT_EQ(bytes.left(root.size() * 2), QByteArray(reinterpret_cast<const char*>(root.utf16()), root.size() * 2));
  EXPECT_EQ(bytes.mid(root.size() * 2, 2), QByteArray(2, '\0'));

  DataFolders next;
  next.resolve(program(), documents());
  EXPECT_EQ(next.root(), root);
  EXPECT_EQ(next.pictureFolder(), root + QStringLiteral("/Picture"));
}

TEST_F(DataFoldersTest, StoredRootsFoldersAreNotCreatedAtStart) {
  const QString root = home_.path() + QStringLiteral("/elsewhere");
  ASSERT_TRUE(DataFolders::writeFolderPathFile(datFile(), root));
  DataFolders folders;
  folders.resolve(program(), documents());
  EXPECT_EQ(folders.root(), root);
  EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/Video")));
}

TEST_F(DataFoldersTest, UnusableFolderPathFilesFallBackToTheDefaultRoot) {
  QByteArray noTerminator(520, '\0');
  for (int i = 0; i < 520; i += 2) noTerminator[i] = 'a';
  QByteArray emptyPath(520, '\0');
  QByteArray shortFile = QByteArray("/\0t\0m\0p\0\0\0", 10);
  for (const QByteArray& content : {noTerminator, emptyPath, shortFile, QByteArray()}) {
    ASSERT_TRUE(test::writeBytes(datFile(), content));
    DataFolders folders;
    folders.resolve(program(), documents());
    EXPECT_EQ(folders.root(), documents() + QStringLiteral("/Lumivex files")) << content.size();
  }
}

TEST_F(DataFoldersTest, RootTooLongForTheFileChangesNothing) {
  DataFolders folders;
  folders.resolve(program(), documents());
  const QString before = folders.root();
  EXPECT_FALSE(folders.setDataRoot(QString(300, u'x')));
  EXPECT_EQ(folders.root(), before);
  EXPECT_FALSE(QFileInfo::exists(datFile()));
}

}  // namespace
}  // namespace lumivex
