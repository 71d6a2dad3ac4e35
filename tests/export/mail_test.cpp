#include "core/scripted_prompter.h"
#include "export/mail_attachment.h"
#include "export/mail_sender.h"
#include "export/mail_settings.h"
#include "export/smtp_transport.h"
#include "export/xdg_email_transport.h"
#include "image/cx_image.h"
#include "tests/export/export_test_support.h"
#include "tests/support/temp_home.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

namespace lumivex {
namespace {

// Spins the event loop until done() holds or the deadline passes.
template <typename Predicate>
bool waitFor(Predicate done, int milliseconds = 20000) {
  QDeadlineTimer deadline(milliseconds);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return done();
}

bool writeBmp(const QString& path, QSize size = {40, 30}) {
  QImage image(size, QImage::Format_RGB888);
  image.fill(QColor(200, 40, 10));
  return image.save(path, "BMP");
}

class MailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto scripted = std::make_unique<ScriptedPrompter>();
    prompter_ = scripted.get();
    previous_ = installPrompter(std::move(scripted));
    mailFolder_ = dir_.filePath(QStringLiteral("mail"));
    configFolder_ = dir_.filePath(QStringLiteral("config"));
  }
  void TearDown() override {
    installPrompter(std::move(previous_));
    if (!savedPath_.isEmpty()) qputenv("PATH", savedPath_);
  }

  // A fake xdg-email first on PATH: it records its arguments, one a line, and exits with `code`.
  void fakeXdgEmail(int code) {
    const QString bin = dir_.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    const QString script = bin + QStringLiteral("/xdg-email");
    test::writeBytes(script,
                     QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1'\nexit %2\n")
                         .arg(dir_.filePath(QStringLiteral("args.txt")))
                         .arg(code)
                         .toUtf8());
    ::chmod(QFile::encodeName(script).constData(), 0755);
    if (savedPath_.isEmpty()) savedPath_ = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + savedPath_);
    QFile::remove(dir_.filePath(QStringLiteral("args.txt")));
  }
  QStringList recordedArguments() const {
    return QString::fromUtf8(test::readBytes(dir_.filePath(QStringLiteral("args.txt"))))
        .split(u'\n', Qt::SkipEmptyParts);
  }

  MailSender::Environment environment() const {
    MailSender::Environment e;
    e.mailFolder = mailFolder_;
    e.configFolder = configFolder_;
    const QString config = configFolder_;
    e.makeTransport = [config](const MailSettings& s, QWidget* parent) {
      return MailSender::defaultTransport(s, config, parent);
    };
    return e;
  }

  // Runs the waiting window on file until it closes; returns whether it closed in time.
  bool runSender(const QString& file) {
    MailSender sender(file, environment());
    sender.open();
    return waitFor([&] { return !sender.isVisible(); });
  }

  ScriptedPrompter* prompter_ = nullptr;
  std::unique_ptr<Prompter> previous_;
  QTemporaryDir dir_;
  QString mailFolder_;
  QString configFolder_;
  QByteArray savedPath_;
};

TEST_F(MailTest, XdgEmailExitCodesDecideWhatTheUserIsTold) {
  const QString video = dir_.filePath(QStringLiteral("Видео 测试.avi"));
  ASSERT_TRUE(test::writeBytes(video, "RIFF"));
  struct Case {
    int exitCode;
    std::vector<QString> messagesStartWith;
  };
  const Case cases[] = {
      {0, {}},  // handed to the mail program: no "Send Completed", it is not known to be sent
      {3, {QStringLiteral("Mail support cannot be loaded")}},
      {1, {QStringLiteral("The mail could not be sent.")}},
      {2, {QStringLiteral("The mail could not be sent.")}},
      {4, {QStringLiteral("The mail could not be sent.")}},
  };
  for (const Case& c : cases) {
    fakeXdgEmail(c.exitCode);
    prompter_->clearRecords();
    ASSERT_TRUE(runSender(video)) << "the waiting window closes after exit " << c.exitCode;
    const std::vector<QString> texts = prompter_->messageTexts();
    ASSERT_EQ(texts.size(), c.messagesStartWith.size()) << c.exitCode;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      EXPECT_TRUE(texts[i].startsWith(c.messagesStartWith[i])) << texts[i].toStdString();
    }
    EXPECT_EQ(recordedArguments(), (QStringList{QStringLiteral("--attach"), video})) << "a path with Cyrillic and CJK";
  }
}

TEST_F(MailTest, ABmpIsSentAsAJpegOfItsOwnAndOtherFilesAsTheyAre) {
  const QString bmp = dir_.filePath(QStringLiteral("Still_1.bmp"));
  ASSERT_TRUE(writeBmp(bmp));
  fakeXdgEmail(0);
  ASSERT_TRUE(runSender(bmp));
  const QStringList args = recordedArguments();
  ASSERT_EQ(args.size(), 2);
  EXPECT_TRUE(args[1].startsWith(mailFolder_ + u'/'));
  EXPECT_TRUE(args[1].endsWith(QStringLiteral("/Still_1.jpg")));
  CxImage jpeg;
  ASSERT_TRUE(jpeg.Load(args[1], CxImage::kTypeJpg)) << "a real JPEG";
  EXPECT_EQ(jpeg.GetWidth(), 40u);

  // A second send keeps the first file (the mail program may not have read it yet) under another folder.
  ASSERT_TRUE(runSender(bmp));
  EXPECT_NE(recordedArguments()[1], args[1]);
  EXPECT_TRUE(QFile::exists(args[1]));

  for (const QString& name : {QStringLiteral("UPPER.BMP"), QStringLiteral("x.bmp.jpg"), QStringLiteral("clip.avi")}) {
    const QString file = dir_.filePath(name);
    ASSERT_TRUE(test::writeBytes(file, "data"));
    const PreparedAttachment a = prepareAttachment(file, mailFolder_);
    EXPECT_EQ(a.status, PreparedAttachment::Status::Ready);
    EXPECT_EQ(a.path, file) << "attached unchanged: " << name.toStdString();
  }

  const QString broken = dir_.filePath(QStringLiteral("broken.bmp"));
  ASSERT_TRUE(test::writeBytes(broken, "not a picture"));
  prompter_->clearRecords();
  ASSERT_TRUE(runSender(broken));
  EXPECT_EQ(prompter_->messageTexts(), std::vector<QString>{QStringLiteral("imageEmail Create fail")});
}

TEST_F(MailTest, ConvertedPicturesOlderThanADayAreRemoved) {
  const QString old = mailFolder_ + QStringLiteral("/old");
  const QString fresh = mailFolder_ + QStringLiteral("/fresh");
  QDir().mkpath(old);
  QDir().mkpath(fresh);
  ASSERT_TRUE(test::writeBytes(old + QStringLiteral("/a.jpg"), "x"));
  const struct utimbuf twoDaysAgo { time(nullptr) - 2 * 86400, time(nullptr) - 2 * 86400 };
  ASSERT_EQ(::utime(QFile::encodeName(old).constData(), &twoDaysAgo), 0);
  EXPECT_EQ(removeOldAttachments(mailFolder_), 1);
  EXPECT_FALSE(QFile::exists(old));
  EXPECT_TRUE(QFile::exists(fresh));
}

TEST_F(MailTest, SettingsRoundTripAndThePasswordIsOwnerOnly) {
  MailSettings s;
  s.server = QStringLiteral("mail.example.org");
  s.port = 465;
  s.security = MailSettings::Security::Tls;
  s.user = QStringLiteral("me");
  s.sender = QStringLiteral("me@example.org");
  ASSERT_TRUE(s.save(configFolder_).ok());
  const MailSettings back = MailSettings::load(configFolder_);
  EXPECT_EQ(back.server, s.server);
  EXPECT_EQ(back.port, 465);
  EXPECT_EQ(back.security, MailSettings::Security::Tls);
  EXPECT_EQ(back.sender, s.sender);
  ASSERT_TRUE(MailSettings::savePassword(configFolder_, QStringLiteral("sécret")).ok());
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(MailSettings::passwordFile(configFolder_)).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(MailSettings::loadPassword(configFolder_), QStringLiteral("sécret"));
  ASSERT_TRUE(MailSettings::savePassword(configFolder_, {}).ok());
  EXPECT_FALSE(MailSettings::loadPassword(configFolder_));
  EXPECT_FALSE(MailSettings::load(dir_.filePath(QStringLiteral("none"))).configured());
}

TEST(MailHeaders, NamesAndSubjectsTravelInUtf8) {
  EXPECT_EQ(SmtpTransport::encodedWord(QStringLiteral("plain")), QByteArray("plain"));
  EXPECT_EQ(SmtpTransport::encodedWord(QStringLiteral("Снимок")),
            "=?UTF-8?B?" + QStringLiteral("Снимок").toUtf8().toBase64() + "?=");
  EXPECT_EQ(SmtpTransport::dispositionHeader(QStringLiteral("a.jpg")),
            QByteArray("Content-Disposition: attachment; filename=\"a.jpg\""));
  EXPECT_EQ(SmtpTransport::dispositionHeader(QStringLiteral("显微.jpg")),
            QByteArray("Content-Disposition: attachment; filename*=UTF-8''%E6%98%BE%E5%BE%AE.jpg"));
  EXPECT_EQ(SmtpTransport::addresses(QStringLiteral("a@x, Bee <b@y>; ;c@z")),
            (QStringList{QStringLiteral("a@x"), QStringLiteral("b@y"), QStringLiteral("c@z")}));
}

// A local aiosmtpd that stores what it receives in a maildir.
class SmtpServer {
 public:
  explicit SmtpServer(const QString& maildir) : maildir_(maildir) {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    port_ = probe.serverPort();
    probe.close();
    process_.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral("-m"), QStringLiteral("aiosmtpd"), QStringLiteral("-n"), QStringLiteral("-l"),
                    QStringLiteral("127.0.0.1:%1").arg(port_), QStringLiteral("-c"),
                    QStringLiteral("aiosmtpd.handlers.Mailbox"), maildir});
    ready_ = waitFor([this] {
      QTcpSocket socket;
      socket.connectToHost(QHostAddress::LocalHost, port_);
      return socket.waitForConnected(200);
    });
  }
  ~SmtpServer() {
    process_.kill();
    process_.waitForFinished(5000);
  }
  bool ready() const { return ready_; }
  int port() const { return port_; }
  QJsonArray messages() const {
    if (!QDir(maildir_).exists()) return {};
    return QJsonDocument::fromJson(test::runPython(QStringLiteral(MAIL_PROBE), {maildir_})).array();
  }

 private:
  QString maildir_;
  QProcess process_;
  int port_ = 0;
  bool ready_ = false;
};

class SmtpTest : public MailTest {
 protected:
  MailSettings settings(int port) const {
    MailSettings s;
    s.server = QStringLiteral("127.0.0.1");
    s.port = port;
    s.security = MailSettings::Security::None;
    s.sender = QStringLiteral("lumivex@localhost");
    s.connectTimeoutSeconds = 2;
    s.totalTimeoutSeconds = 4;
    return s;
  }
  MailOutcome sendThrough(SmtpTransport& transport, const MailMessage& message) {
    std::optional<MailOutcome> outcome;
    transport.send(message, [&](const MailOutcome& o) { outcome = o; });
    EXPECT_TRUE(waitFor([&] { return outcome.has_value(); }));
    return outcome.value_or(MailOutcome{});
  }
};

TEST_F(SmtpTest, OneMessageWithItsAttachmentReachesTheServer) {
  SmtpServer server(dir_.filePath(QStringLiteral("maildir")));
  ASSERT_TRUE(server.ready());
  const QString file = dir_.filePath(QStringLiteral("Снимок 显微镜.jpg"));
  QByteArray bytes;
  for (int i = 0; i < 5000; ++i) bytes += static_cast<char>(i * 7);
  ASSERT_TRUE(test::writeBytes(file, bytes));

  SmtpTransport transport(settings(server.port()), std::nullopt, [](const MailMessage& m) {
    MailMessage composed = m;
    composed.to = QStringLiteral("Someone <someone@localhost>");
    composed.subject = QStringLiteral("Измерение 测量");
    composed.body = QStringLiteral("The picture, as measured.\nÜbersicht.");
    return std::optional<MailMessage>(composed);
  });
  const MailOutcome outcome = sendThrough(transport, {{}, {}, {}, file, QStringLiteral("Снимок 显微镜.jpg")});
  ASSERT_EQ(outcome.result, MailResult::Sent) << outcome.detail.toStdString();
  const QJsonArray messages = server.messages();
  ASSERT_EQ(messages.size(), 1);
  const QJsonObject m = messages[0].toObject();
  EXPECT_EQ(m[QStringLiteral("subject")].toString(), QStringLiteral("Измерение 测量"));
  EXPECT_TRUE(m[QStringLiteral("body")].toString().contains(QStringLiteral("Übersicht.")));
  const QJsonArray attachments = m[QStringLiteral("attachments")].toArray();
  ASSERT_EQ(attachments.size(), 1);
  EXPECT_EQ(attachments[0].toObject()[QStringLiteral("name")].toString(), QStringLiteral("Снимок 显微镜.jpg"));
  EXPECT_EQ(attachments[0].toObject()[QStringLiteral("hex")].toString().toLatin1(), bytes.toHex());
  EXPECT_EQ(attachments[0].toObject()[QStringLiteral("type")].toString(), QStringLiteral("image/jpeg"));

  // Cancel in the compose window sends nothing.
  SmtpTransport cancelled(settings(server.port()), std::nullopt, [](const MailMessage&) { return std::nullopt; });
  EXPECT_EQ(sendThrough(cancelled, {{}, {}, {}, file, QStringLiteral("x.jpg")}).result, MailResult::Cancelled);
  EXPECT_EQ(server.messages().size(), 1);
}

TEST_F(SmtpTest, RefusedAndSilentServersFailWithinTheTimeout) {
  const QString file = dir_.filePath(QStringLiteral("a.jpg"));
  ASSERT_TRUE(test::writeBytes(file, "jpeg"));
  const auto compose = [](const MailMessage& m) {
    MailMessage c = m;
    c.to = QStringLiteral("x@localhost");
    return std::optional<MailMessage>(c);
  };
  QTcpServer closed;
  closed.listen(QHostAddress::LocalHost, 0);
  const int refusedPort = closed.serverPort();
  closed.close();
  SmtpTransport refused(settings(refusedPort), std::nullopt, compose);
  EXPECT_EQ(sendThrough(refused, {{}, {}, {}, file, QStringLiteral("a.jpg")}).result, MailResult::Failed);

  // Accepts the connection and never says a word.
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
  SmtpTransport quiet(settings(silent.serverPort()), std::nullopt, compose);
  QDeadlineTimer started(60000);
  const MailOutcome outcome = sendThrough(quiet, {{}, {}, {}, file, QStringLiteral("a.jpg")});
  EXPECT_EQ(outcome.result, MailResult::Failed);
  EXPECT_FALSE(started.hasExpired());

  // Through the waiting window: the failure is told and the window closes.
  MailSettings s = settings(refusedPort);
  ASSERT_TRUE(s.save(configFolder_).ok());
  MailSender::Environment e = environment();
  e.makeTransport = [compose](const MailSettings& current, QWidget*) {
    return std::make_unique<SmtpTransport>(current, std::nullopt, compose);
  };
  MailSender sender(file, e);
  sender.open();
  ASSERT_TRUE(waitFor([&] { return !sender.isVisible(); }));
  ASSERT_EQ(prompter_->messageTexts().size(), 1u);
  EXPECT_TRUE(prompter_->messageTexts()[0].startsWith(QStringLiteral("The mail could not be sent.")));
}

// A server that offers AUTH and refuses every log-on with 535, as a server does for a wrong password.
class RefusingLogonServer {
 public:
  RefusingLogonServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      QTcpSocket* socket = server_.nextPendingConnection();
      socket->write("220 localhost ESMTP\r\n");
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
        while (socket->canReadLine()) {
          const QByteArray line = socket->readLine().toUpper();
          if (line.startsWith("EHLO")) {
            socket->write("250-localhost\r\n250 AUTH PLAIN LOGIN\r\n");
          } else if (line.startsWith("AUTH")) {
            socket->write("535 5.7.8 Authentication credentials invalid\r\n");
          } else if (line.startsWith("QUIT")) {
            socket->write("221 bye\r\n");
            socket->disconnectFromHost();
          } else {
            socket->write("503 bad sequence\r\n");
          }
        }
      });
    });
  }
  int port() const { return server_.serverPort(); }

 private:
  QTcpServer server_;
};

TEST_F(SmtpTest, ARefusedLogOnIsAFailureNotSendCompleted) {
  RefusingLogonServer server;
  const QString file = dir_.filePath(QStringLiteral("a.jpg"));
  ASSERT_TRUE(test::writeBytes(file, "jpeg"));
  MailSettings s = settings(server.port());
  s.user = QStringLiteral("me");
  ASSERT_TRUE(s.save(configFolder_).ok());
  ASSERT_TRUE(MailSettings::savePassword(configFolder_, QStringLiteral("wrong")).ok());
  MailSender::Environment e = environment();
  e.makeTransport = [config = configFolder_](const MailSettings& current, QWidget*) {
    return std::make_unique<SmtpTransport>(current, MailSettings::loadPassword(config), [](const MailMessage& m) {
      MailMessage c = m;
      c.to = QStringLiteral("x@localhost");
      return std::optional<MailMessage>(c);
    });
  };
  MailSender sender(file, e);
  sender.open();
  ASSERT_TRUE(waitFor([&] { return !sender.isVisible(); }));
  ASSERT_EQ(prompter_->messageTexts().size(), 1u);
  EXPECT_TRUE(prompter_->messageTexts()[0].startsWith(QStringLiteral("The mail server refused the log-on.")))
      << prompter_->messageTexts()[0].toStdString();
}

}  // namespace
}  // namespace lumivex
