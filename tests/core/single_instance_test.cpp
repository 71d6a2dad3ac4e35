#include "core/single_instance.h"
#include "tests/support/temp_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>

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

TEST(SingleInstanceTest, SecondProgramExitsSilentlyWithStatusZero) {
  test::TempHome home;     // XDG_RUNTIME_DIR points into the temporary home
  SingleInstance running;  // as if a first instance were running
  ASSERT_FALSE(running.anotherInstanceRunning());
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(qEnvironmentVariable("LUMIVEX_BINARY_DIR") + QStringLiteral("/app/lumivex"), {});
  ASSERT_TRUE(process.waitForStarted());
  ASSERT_TRUE(process.waitForFinished(test::kWaitDeadlineMs));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0);
  EXPECT_TRUE(process.readAll().isEmpty());
  // It never got as far as creating settings.
  EXPECT_FALSE(QFile::exists(home.registryFile()));
}

}  // namespace
}  // namespace lumivex
