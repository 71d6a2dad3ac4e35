#include "export/xdg_email_transport.h"

namespace lumivex {

XdgEmailTransport::XdgEmailTransport(QString program) : program_(std::move(program)) {}

XdgEmailTransport::~XdgEmailTransport() {
  if (process_ && process_->state() != QProcess::NotRunning) {
    // The mail program has the message already or never will; do not leave a zombie behind.
    process_->disconnect();
    process_->waitForFinished(2000);
  }
}

QStringList XdgEmailTransport::arguments(const MailMessage& message) {
  QStringList args;
  if (!message.subject.isEmpty()) args << QStringLiteral("--subject") << message.subject;
  if (!message.body.isEmpty()) args << QStringLiteral("--body") << message.body;
  args << QStringLiteral("--attach") << message.attachmentPath;
  if (!message.to.isEmpty()) args << message.to;
  return args;
}

MailOutcome XdgEmailTransport::outcomeOf(int exitCode, QProcess::ExitStatus status) {
  if (status != QProcess::NormalExit) return {MailResult::Failed, QStringLiteral("xdg-email stopped unexpectedly")};
  switch (exitCode) {
    case 0:
      return {MailResult::HandedOff, {}};
    case 3:
      return {MailResult::NoMailProgram, QStringLiteral("No mail program was found.")};
    case 2:
      return {MailResult::Failed, QStringLiteral("The file to attach was not found.")};
    case 5:
      return {MailResult::Failed, QStringLiteral("No permission to read the file to attach.")};
    default:
      return {MailResult::Failed, QStringLiteral("xdg-email failed (exit %1).").arg(exitCode)};
  }
}

void XdgEmailTransport::send(const MailMessage& message, std::function<void(const MailOutcome&)> done) {
  process_ = std::make_unique<QProcess>();
  process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QProcess* process = process_.get();
  QObject::connect(process, &QProcess::finished, process,
                   [done](int exitCode, QProcess::ExitStatus status) { done(outcomeOf(exitCode, status)); });
  QObject::connect(process, &QProcess::errorOccurred, process, [process, done](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    process->disconnect();
    done({MailResult::NoMailProgram, QStringLiteral("xdg-email could not be started.")});
  });
  process->start(program_, arguments(message));
}

}  // namespace lumivex
