#include "core/instance_handoff.h"
#include "core/single_instance.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>

#include <atomic>
#include <functional>
#include <thread>

namespace lumivex {
namespace {

// The server needs an event loop: this test binary has no application object of its own.
void ensureApplication() {
  static int argc = 1;
  static char name[] = "core_test";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

// Spins the event loop until the condition holds or a generous deadline passes.
bool spinUntil(const std::function<bool()>& done) {
  const QDeadlineTimer deadline(20000);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return done();
}

TEST(InstanceHandoffTest, PathsReachTheRunningInstanceAbsolute) {
  ensureApplication();
  test::TempHome home;
  const QString name = QStringLiteral("lumivex-test-%1").arg(QCoreApplication::applicationPid());
  QStringList received;
  InstanceHandoff server([&received](const QStringList& paths) { received += paths; }, name);
  ASSERT_TRUE(server.isListening());
  std::atomic<bool> sent{false};
  std::atomic<bool> answered{false};
  // A path with spaces and non-ASCII letters, and a relative one made absolute by the sender.
  std::thread client([&] {
    answered = InstanceHandoff::send(
        {QStringLiteral("/data/Mikroskop Bilder/Прибор_100X.jpg"), QStringLiteral("rel.bmp")}, 10000, name);
    sent = true;
  });
  EXPECT_TRUE(spinUntil([&] { return sent.load(); }));
  client.join();
  EXPECT_TRUE(answered);
  EXPECT_EQ(received, (QStringList{QStringLiteral("/data/Mikroskop Bilder/Прибор_100X.jpg"),
                                   QDir::current().absoluteFilePath(QStringLiteral("rel.bmp"))}));
}

TEST(InstanceHandoffTest, NobodyListeningGivesUpAtTheDeadline) {
  EXPECT_FALSE(InstanceHandoff::send({QStringLiteral("/x.jpg")}, 300, QStringLiteral("lumivex-test-nobody")));
}

// The program itself, started while an instance runs: it hands its picture over and ends with status 0.
TEST(InstanceHandoffTest, SecondProgramHandsItsPicturesOver) {
  ensureApplication();
  test::TempHome home;  // XDG_RUNTIME_DIR (the lock) points into the temporary home
  SingleInstance running;
  ASSERT_FALSE(running.anotherInstanceRunning());
  QStringList received;
  InstanceHandoff server([&received](const QStringList& paths) { received += paths; });
  ASSERT_TRUE(server.isListening());
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(qEnvironmentVariable("LUMIVEX_BINARY_DIR") + QStringLiteral("/app/lumivex"),
                {QStringLiteral("--demo-camera"), home.path() + QStringLiteral("/Still_1_100X_N0001.jpg")});
  ASSERT_TRUE(process.waitForStarted());
  EXPECT_TRUE(spinUntil([&] { return process.state() == QProcess::NotRunning; }));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0);
  EXPECT_EQ(received, QStringList{home.path() + QStringLiteral("/Still_1_100X_N0001.jpg")});
  EXPECT_FALSE(QFile::exists(home.registryFile()));
}

}  // namespace
}  // namespace lumivex
