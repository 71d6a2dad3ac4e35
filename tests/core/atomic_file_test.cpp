#include "core/atomic_file.h"
#include "tests/support/temp_home.h"
#include "tests/support/write_failures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lumivex {
namespace {

using test::readBytes;
using test::writeBytes;
using test::WriteFailure;
using test::WriteFailureStage;

const QByteArray kOld = "old content that must survive\n";

QByteArray bigContent() {
  QByteArray bytes;
  for (int i = 0; bytes.size() < 3 * 1024 * 1024; ++i) bytes += QByteArray::number(i) + ',';
  return bytes;
}

QStringList temporariesIn(const QString& folder) {
  QStringList found;
  for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
    if (AtomicFile::isTemporaryName(name)) found << name;
  return found;
}

// Every staged failure, for a small write and one larger than the disk: the call says why, the old file
// keeps its bytes, and no temporary stays behind.
TEST(AtomicFileTest, FailuresKeepTheOldFileAndSayWhy) {
  for (const QByteArray& content : {QByteArray("new"), bigContent()}) {
    for (WriteFailure failure : test::allWriteFailures()) {
      SCOPED_TRACE(test::nameOf(failure));
      SCOPED_TRACE(content.size());
      WriteFailureStage stage;
      const QString target = stage.path(QStringLiteral("registry.reg"));
      stage.arm(failure, target, kOld);
      const WriteResult result = AtomicFile::write(target, content);
      EXPECT_FALSE(result.ok());
      EXPECT_TRUE(stage.expectedReasons().contains(result.reason)) << result.reason.toStdString();
      EXPECT_TRUE(stage.targetUnchanged());
      stage.disarm();
      EXPECT_EQ(stage.leftoverTemporaries(), QStringList());
    }
  }
}

// Each step of a write failing in turn, through the seam: nothing but the last (syncing the folder after
// the rename) may change the target.
TEST(AtomicFileTest, AFailureAtAnyStepBeforeTheRenameKeepsTheOldFile) {
  struct Row {
    AtomicFile::Step step;
    int error;
    bool targetReplaced;
  };
  const Row rows[] = {
      {AtomicFile::Step::Create, ENOSPC, false}, {AtomicFile::Step::Write, EIO, false},
      {AtomicFile::Step::Sync, EIO, false},      {AtomicFile::Step::Close, EDQUOT, false},
      {AtomicFile::Step::Rename, EXDEV, false},  {AtomicFile::Step::SyncFolder, EIO, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.step));
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("file.dat"));
    ASSERT_TRUE(writeBytes(target, kOld));
    AtomicFile::setFaultHook([&row](AtomicFile::Step step) { return step == row.step ? row.error : 0; });
    const WriteResult result = AtomicFile::write(target, "replacement");
    AtomicFile::setFaultHook({});
    EXPECT_EQ(result.error, row.error);
    EXPECT_EQ(result.reason, QString::fromLocal8Bit(std::strerror(row.error)));
    EXPECT_EQ(readBytes(target), row.targetReplaced ? QByteArray("replacement") : kOld);
    EXPECT_EQ(temporariesIn(dir.path()), QStringList());
  }
}

TEST(AtomicFileTest, ReplacesContentKeepsModeAndLeavesNoTemporary) {
  QTemporaryDir dir;
  const QString target = dir.filePath(QStringLiteral("CapConfig.dat"));
  ASSERT_TRUE(writeBytes(target, kOld));
  ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
  const QByteArray content = bigContent();
  ASSERT_TRUE(AtomicFile::write(target, content).ok());
  EXPECT_EQ(readBytes(target), content);
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(temporariesIn(dir.path()), QStringList());
  // An empty content is a valid file too.
  ASSERT_TRUE(AtomicFile::write(target, QByteArray()).ok());
  EXPECT_TRUE(QFileInfo::exists(target));
  EXPECT_EQ(QFileInfo(target).size(), 0);
}

// A link is kept and the file it names replaced, also through a relative link into another folder.
TEST(AtomicFileTest, WritesThroughSymbolicLinks) {
  QTemporaryDir dir;
  QDir().mkpath(dir.filePath(QStringLiteral("real")));
  const QString real = dir.filePath(QStringLiteral("real/settings.ini"));
  ASSERT_TRUE(writeBytes(real, kOld));
  const QString link = dir.filePath(QStringLiteral("settings.ini"));
  ASSERT_EQ(::symlink("real/settings.ini", QFile::encodeName(link).constData()), 0);
  ASSERT_TRUE(AtomicFile::write(link, "through the link").ok());
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(readBytes(real), "through the link");

  // A dangling link gets its file made.
  const QString dangling = dir.filePath(QStringLiteral("later.ini"));
  ASSERT_EQ(::symlink("real/later.ini", QFile::encodeName(dangling).constData()), 0);
  ASSERT_TRUE(AtomicFile::write(dangling, "made").ok());
  EXPECT_EQ(readBytes(dir.filePath(QStringLiteral("real/later.ini"))), "made");

  // A loop of links is refused with the system's word for it.
  const QString a = dir.filePath(QStringLiteral("a"));
  const QString b = dir.filePath(QStringLiteral("b"));
  ASSERT_EQ(::symlink("b", QFile::encodeName(a).constData()), 0);
  ASSERT_EQ(::symlink("a", QFile::encodeName(b).constData()), 0);
  EXPECT_EQ(AtomicFile::write(a, "x").error, ELOOP);
  EXPECT_EQ(temporariesIn(dir.path()), QStringList());
  EXPECT_EQ(temporariesIn(dir.filePath(QStringLiteral("real"))), QStringList());
}

TEST(AtomicFileTest, AMissingFolderIsReportedNotCreated) {
  QTemporaryDir dir;
  const WriteResult result = AtomicFile::write(dir.filePath(QStringLiteral("gone/file.dat")), "x");
  EXPECT_EQ(result.error, ENOENT);
  EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("gone"))));
}

// The streaming form: chunks appended, or a library that writes to the temporary by name, including one
// that replaces the temporary with a file of its own. The temporary keeps the extension for such libraries.
TEST(AtomicFileTest, StreamingAndLibraryWrittenTemporaries) {
  QTemporaryDir dir;
  const QString target = dir.filePath(QStringLiteral("report.xlsx"));
  ASSERT_TRUE(writeBytes(target, kOld));
  {
    AtomicFile file(target);
    ASSERT_TRUE(file.open().ok());
    EXPECT_TRUE(file.temporaryPath().endsWith(QStringLiteral(".xlsx")));
    EXPECT_TRUE(AtomicFile::isTemporaryName(QFileInfo(file.temporaryPath()).fileName()));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(file.append("chunk").ok());
    EXPECT_EQ(readBytes(target), kOld);  // nothing visible before the commit
    ASSERT_TRUE(file.commit().ok());
  }
  EXPECT_EQ(readBytes(target), "chunkchunkchunk");

  {
    AtomicFile file(target);
    ASSERT_TRUE(file.open().ok());
    std::FILE* out = std::fopen(QFile::encodeName(file.temporaryPath()).constData(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("written by a library", out);
    std::fclose(out);
    ASSERT_TRUE(file.commit().ok());
  }
  EXPECT_EQ(readBytes(target), "written by a library");

  {
    AtomicFile file(target);
    ASSERT_TRUE(file.open().ok());
    const QString own = dir.filePath(QStringLiteral("library-own.tmp"));
    ASSERT_TRUE(writeBytes(own, "replaced by a library"));
    ASSERT_EQ(::rename(QFile::encodeName(own).constData(), QFile::encodeName(file.temporaryPath()).constData()), 0);
    ASSERT_TRUE(file.commit().ok());
  }
  EXPECT_EQ(readBytes(target), "replaced by a library");

  {
    // Given up: the old file stays and the temporary goes.
    AtomicFile file(target);
    ASSERT_TRUE(file.open().ok());
    ASSERT_TRUE(file.append("half").ok());
  }
  EXPECT_EQ(readBytes(target), "replaced by a library");
  EXPECT_EQ(temporariesIn(dir.path()), QStringList());
}

// A crashed writer's temporary goes at the next start; a live writer's stays; other files are not ours.
TEST(AtomicFileTest, StaleTemporariesAreRemovedLiveOnesKept) {
  QTemporaryDir dir;
  const QString stale = dir.filePath(QStringLiteral(".registry.reg.lvxtmpAb3dE9.reg"));
  ASSERT_TRUE(writeBytes(stale, "left by kill -9"));
  const QStringList notOurs{QStringLiteral("registry.reg"), QStringLiteral("registry.reg.bad"),
                            QStringLiteral(".registry.reg.lvxtmp.reg"), QStringLiteral("x.lvxtmpAb3dE9")};
  for (const QString& name : notOurs) ASSERT_TRUE(writeBytes(dir.filePath(name), "keep"));

  AtomicFile live(dir.filePath(QStringLiteral("Still.jpg")));
  ASSERT_TRUE(live.open().ok());
  EXPECT_EQ(AtomicFile::removeStaleTemporaries(dir.path()), 1);
  EXPECT_FALSE(QFileInfo::exists(stale));
  EXPECT_TRUE(QFileInfo::exists(live.temporaryPath()));
  for (const QString& name : notOurs) EXPECT_TRUE(QFileInfo::exists(dir.filePath(name))) << name.toStdString();
  ASSERT_TRUE(live.commit().ok());
  EXPECT_EQ(AtomicFile::removeStaleTemporaries(dir.path()), 0);
}

TEST(AtomicFileTest, LongNamesStillGetATemporary) {
  QTemporaryDir dir;
  const QString target = dir.filePath(QString(250, u'n') + QStringLiteral(".jpg"));
  ASSERT_TRUE(AtomicFile::write(target, "long").ok());
  EXPECT_EQ(readBytes(target), "long");
}

}  // namespace
}  // namespace lumivex
