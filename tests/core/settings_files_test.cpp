// The settings file as a user's machine meets it: unreadable, corrupt, huge, vanished, changed by
// another process, and a writer killed at any moment.
#include "core/app_context.h"
#include "core/atomic_file.h"
#include "core/logging.h"
#include "core/registry_file.h"
#include "core/settings_store.h"
#include "core/startup_settings.h"
#include "tests/support/small_disk.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <random>

namespace lumivex {
namespace {

using test::readBytes;
using test::writeBytes;

// Captures the store's warnings (its lumivex.settings category, turned on) while alive.
class WarningLog {
 public:
  WarningLog() { previous_ = qInstallMessageHandler(&WarningLog::handle); }
  ~WarningLog() { qInstallMessageHandler(previous_); }
  static QStringList& lines() {
    static QStringList all;
    return all;
  }

 private:
  static void handle(QtMsgType, const QMessageLogContext&, const QString& text) { lines() << text; }
  LoggingEnabled enabled_;
  QtMessageHandler previous_ = nullptr;
};

QByteArray registryWithLineColor(std::uint32_t color) {
  RegistryFile file;
  file.setValue(SettingsStore::kFontKey, QStringLiteral("LineColor"), RegistryValue::dword(color));
  file.setValue(SettingsStore::kRootKey, QStringLiteral("x"), RegistryValue::dword(0));
  return file.serialise();
}

class SettingsFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { WarningLog::lines().clear(); }
  QString path() const { return home_.registryFile(); }
  test::TempHome home_;
};

// A file that is there but cannot be read is not corrupt: defaults in memory, never renamed or written
// over, every save refused with the reason, and one note on stderr.
TEST_F(SettingsFilesTest, UnreadableFileIsNeverTouched) {
  struct Row {
    const char* name;
    std::function<void(const QString&)> make;
    bool rootCanRead;
  };
  const Row rows[] = {
      {"mode 000",
       [](const QString& p) {
         writeBytes(p, registryWithLineColor(0x123456));
         ::chmod(QFile::encodeName(p).constData(), 0);
       },
       true},
      {"a directory", [](const QString& p) { QDir().mkpath(p + QStringLiteral("/inside")); }, false},
      {"a FIFO",
       [](const QString& p) {
         QDir().mkpath(QFileInfo(p).absolutePath());
         ::mkfifo(QFile::encodeName(p).constData(), 0600);
       },
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.rootCanRead && test::SmallDisk::runningAsRoot()) continue;  // root reads mode 000 files
    QDir(QFileInfo(path()).absolutePath()).removeRecursively();
    row.make(path());
    struct stat before {};
    ASSERT_EQ(::lstat(QFile::encodeName(path()).constData(), &before), 0);
    WarningLog log;
    WarningLog::lines().clear();
    WriteResult reported;
    Settings settings;
    SettingsStore store(path(), settings);
    store.setFailureHandler([&reported](const QString&, const WriteResult& r) { reported = r; });
    store.loadAll();
    EXPECT_EQ(settings.lineColor, Settings().lineColor);
    EXPECT_FALSE(store.ensureFirstRunDefaults());
    const WriteResult saved = store.saveLineColor(0x00FF00);
    EXPECT_FALSE(saved.ok());
    EXPECT_EQ(reported.reason, saved.reason);
    EXPECT_FALSE(saved.reason.isEmpty());
    EXPECT_EQ(settings.lineColor, 0x00FF00u);  // the session keeps the choice in memory
    store.loadAll();
    struct stat after {};
    ASSERT_EQ(::lstat(QFile::encodeName(path()).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_FALSE(QFileInfo::exists(path() + QStringLiteral(".bad")));
    EXPECT_EQ(WarningLog::lines().size(), 1) << WarningLog::lines().join(u'\n').toStdString();
    ::chmod(QFile::encodeName(path()).constData(), 0600);
  }
}

// Each corrupt file is set aside under a new name; none overwrites an earlier one. An oversized file is
// corrupt without being read.
TEST_F(SettingsFilesTest, CorruptAndHugeFilesAreSetAsideUnderNewNames) {
  QByteArray huge = registryWithLineColor(0x111111);
  while (huge.size() <= RegistryFile::kMaxBytes) huge += "; padding that makes the file too large to be ours\n";
  const QByteArray versions[] = {"not a registry at all", QByteArray("Windows Registry Editor Version 5.00\n[x"), huge};
  const QString asides[] = {path() + QStringLiteral(".bad"), path() + QStringLiteral(".bad.1"),
                            path() + QStringLiteral(".bad.2")};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(writeBytes(path(), versions[i]));
    Settings settings;
    SettingsStore store(path(), settings);
    store.loadAll();
    EXPECT_EQ(settings.lineColor, Settings().lineColor);
    EXPECT_TRUE(store.ensureFirstRunDefaults());
    RegistryFile fresh;
    EXPECT_EQ(fresh.load(path()), RegistryFile::LoadStatus::Loaded);
  }
  for (int i = 0; i < 3; ++i) EXPECT_EQ(readBytes(asides[i]), versions[i]) << i;
}

// Many values are read at start-up; the file is parsed once, and again only when it changes, whether
// another process replaces it or writes into it. A file that vanishes reads as missing.
TEST_F(SettingsFilesTest, ParsedOncePerChangeAndOtherWritersAreSeen) {
  ASSERT_TRUE(writeBytes(path(), registryWithLineColor(0x000001)));
  Settings settings;
  SettingsStore store(path(), settings);
  for (int i = 0; i < 5; ++i) store.loadAll();
  EXPECT_EQ(store.readCount(), 1);
  EXPECT_EQ(settings.lineColor, 0x000001u);

  // Replaced by another process (a new inode).
  ASSERT_TRUE(AtomicFile::write(path(), registryWithLineColor(0x000002)).ok());
  store.loadLineColor();
  EXPECT_EQ(settings.lineColor, 0x000002u);
  // Written in place, to a different length.
  ASSERT_TRUE(writeBytes(path(), registryWithLineColor(0x000003) + "; edited\n"));
  store.loadLineColor();
  EXPECT_EQ(settings.lineColor, 0x000003u);
  // Our own write needs no re-read.
  const int reads = store.readCount();
  ASSERT_TRUE(store.saveLineColor(0x000004).ok());
  store.loadAll();
  EXPECT_EQ(store.readCount(), reads);
  Settings other;
  SettingsStore(path(), other).loadLineColor();
  EXPECT_EQ(other.lineColor, 0x000004u);

  ASSERT_TRUE(QFile::remove(path()));
  store.loadLineColor();  // a missing value leaves the variable as it is
  EXPECT_EQ(settings.lineColor, 0x000004u);
  ASSERT_TRUE(store.saveLineWidth(5).ok());
  RegistryFile file;
  ASSERT_EQ(file.load(path()), RegistryFile::LoadStatus::Loaded);
  EXPECT_FALSE(file.value(SettingsStore::kFontKey, QStringLiteral("LineColor")).has_value());
}

// A writer killed at any moment leaves the old or the new file, never half of one, and the next start
// removes the temporary it may have left.
TEST_F(SettingsFilesTest, KillNineDuringWritesLeavesOldOrNewAndNoTemporaries) {
  const QByteArray first = registryWithLineColor(0x000001);
  ASSERT_TRUE(writeBytes(path(), first));
  auto* writes = static_cast<std::atomic<int>*>(
      ::mmap(nullptr, sizeof(std::atomic<int>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(writes, MAP_FAILED);
  std::mt19937 random(12345);
  int strays = 0;  // temporaries found after a kill, for the record: they show the kill hit mid-write
  for (int round = 0; round < 25; ++round) {
    writes->store(0);
    const int killAfter = static_cast<int>(random() % 8);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Settings settings;
      SettingsStore store(path(), settings);
      // Values of different lengths, so a torn file could not pass for a whole one.
      for (std::uint32_t i = 0;; ++i) {
        store.saveUnits(i % 2 != 0 ? QStringLiteral("mm") : QStringLiteral("inch"), i % 7);
        store.saveLineColor(i);
        writes->fetch_add(1);
      }
    }
    // Waits on the child's progress, not on time.
    while (writes->load() < killAfter) {
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);

    RegistryFile file;
    ASSERT_EQ(file.load(path()), RegistryFile::LoadStatus::Loaded) << "round " << round;
    EXPECT_TRUE(file.value(SettingsStore::kFontKey, QStringLiteral("LineColor")).has_value());

    for (const QString& name : QDir(QFileInfo(path()).absolutePath()).entryList(QDir::Files | QDir::Hidden))
      if (AtomicFile::isTemporaryName(name)) ++strays;
    AppContext& context = AppContext::initialise();
    loadStartupSettings(context);
    QStringList left;
    for (const QString& name : QDir(QFileInfo(path()).absolutePath()).entryList(QDir::Files | QDir::Hidden))
      if (name != QStringLiteral("registry.reg")) left << name;
    EXPECT_EQ(left, QStringList()) << "round " << round;
    AppContext::shutdown();
  }
  ::munmap(writes, sizeof(std::atomic<int>));
  RecordProperty("temporaries_left_by_kills", strays);
}

}  // namespace
}  // namespace lumivex
