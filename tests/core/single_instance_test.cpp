#include "core/single_instance.h"
#include "tests/support/temp_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

namespace lumivex {
namespace {

TEST(SingleInstanceTest, SecondHolderFindsTheLockTakenUntilTheFirstGoes) {
  test::TempHome home;
  const QString path = home.path() + QStringLiteral("/lock");
  {
    SingleInstance first(path);
    EXPECT_FALSE(first.anotherInstanceRunning());
    SingleInstance second(path);
    EXPECT_TRUE(second.anotherInstanceRunning());
  }
  SingleInstance third(path);
  EXPECT_FALSE(third.anotherInstanceRunning());
}

// One start holds the lock; a second one, whatever its session variables say, ends at once with status 0,
// no output and no settings written.
TEST(SingleInstanceTest, SecondProgramExitsSilentlyWhateverItsEnvironment) {
  test::TempHome home;     // XDG_RUNTIME_DIR points into the temporary home
  SingleInstance running;  // as if a first instance were running
  ASSERT_TRUE(running.locked()) << running.error().toStdString();
  const QString otherRuntime = home.path() + QStringLiteral("/other-run");
  QDir().mkpath(otherRuntime);
  const struct {
    const char* name;
    std::function<void(QProcessEnvironment&)> change;
  } starts[] = {
      {"same environment", [](QProcessEnvironment&) {}},
      {"no XDG_RUNTIME_DIR", [](QProcessEnvironment& e) { e.remove(QStringLiteral("XDG_RUNTIME_DIR")); }},
      {"another XDG_RUNTIME_DIR",
       [&otherRuntime](QProcessEnvironment& e) { e.insert(QStringLiteral("XDG_RUNTIME_DIR"), otherRuntime); }},
      {"XDG_CONFIG_HOME spelt out differently",
       [&home](QProcessEnvironment& e) {
         e.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/./.config/"));
       }},
  };
  for (const auto& start : starts) {
    SCOPED_TRACE(start.name);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    start.change(environment);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(qEnvironmentVariable("LUMIVEX_BINARY_DIR") + QStringLiteral("/app/lumivex"), {});
    ASSERT_TRUE(process.waitForStarted());
    if (!process.waitForFinished(test::kWaitDeadlineMs)) {
      process.kill();
      process.waitForFinished();
      ADD_FAILURE() << "a second instance kept running";
      continue;
    }
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAll().isEmpty());
    // It never got as far as creating settings.
    EXPECT_FALSE(QFile::exists(home.registryFile()));
  }
}

// Where the lock lives: the user's runtime folder when it is private, else a private folder of ours, and
// never a folder someone else could have prepared.
TEST(SingleInstanceTest, LockFolderIsPrivateToTheUser) {
  QTemporaryDir dir;
  const uid_t uid = ::getuid();
  const QString run = dir.filePath(QStringLiteral("run"));
  const QString tmp = dir.filePath(QStringLiteral("tmp"));
  const QString ours = tmp + QStringLiteral("/lumivex-") + QString::number(uid);
  const auto mode = [](const QString& path) {
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
  };
  QDir().mkpath(tmp);
  const QString settings = dir.filePath(QStringLiteral("config/Lumivex"));

  // No runtime folder: ours is made, private.
  QString error;
  const QString inTmp = SingleInstance::lockPathFor(uid, settings, run, tmp, &error);
  EXPECT_TRUE(inTmp.startsWith(ours + u'/')) << inTmp.toStdString();
  EXPECT_EQ(mode(ours), 0700u);
  SingleInstance first(inTmp);
  EXPECT_TRUE(first.locked());

  // A private runtime folder of the user wins; one others may enter does not.
  QDir().mkpath(run + u'/' + QString::number(uid));
  ::chmod(QFile::encodeName(run + u'/' + QString::number(uid)).constData(), 0755);
  EXPECT_TRUE(SingleInstance::lockPathFor(uid, settings, run, tmp).startsWith(ours));
  ::chmod(QFile::encodeName(run + u'/' + QString::number(uid)).constData(), 0700);
  EXPECT_TRUE(SingleInstance::lockPathFor(uid, settings, run, tmp).startsWith(run + u'/'));
  ASSERT_TRUE(QDir(run).removeRecursively());

  // The settings folder names the lock, however it is spelt.
  EXPECT_EQ(SingleInstance::lockPathFor(uid, settings + QStringLiteral("/../Lumivex/"), run, tmp), inTmp);
  EXPECT_NE(SingleInstance::lockPathFor(uid, settings + QStringLiteral("2"), run, tmp), inTmp);

  // Our folder replaced by a link, or opened to others: refused, with the reason.
  ASSERT_TRUE(QDir(ours).removeRecursively());
  ASSERT_EQ(::symlink(QFile::encodeName(dir.path()).constData(), QFile::encodeName(ours).constData()), 0);
  error.clear();
  EXPECT_TRUE(SingleInstance::lockPathFor(uid, settings, run, tmp, &error).isEmpty());
  EXPECT_FALSE(error.isEmpty());
  ASSERT_EQ(::unlink(QFile::encodeName(ours).constData()), 0);
  ASSERT_TRUE(QDir().mkpath(ours));
  ::chmod(QFile::encodeName(ours).constData(), 0777);
  EXPECT_TRUE(SingleInstance::lockPathFor(uid, settings, run, tmp).isEmpty());
}

// A lock file that is a link is not followed (it could point at any file of the user).
TEST(SingleInstanceTest, LinkedLockFileIsNotFollowed) {
  QTemporaryDir dir;
  const QString victim = dir.filePath(QStringLiteral("victim"));
  ASSERT_TRUE(test::writeBytes(victim, "keep"));
  const QString lock = dir.filePath(QStringLiteral("x.lock"));
  ASSERT_EQ(::symlink(QFile::encodeName(victim).constData(), QFile::encodeName(lock).constData()), 0);
  SingleInstance instance(lock);
  EXPECT_FALSE(instance.locked());
  EXPECT_FALSE(instance.anotherInstanceRunning());
  EXPECT_FALSE(instance.error().isEmpty());
  EXPECT_EQ(test::readBytes(victim), "keep");
}

}  // namespace
}  // namespace lumivex
