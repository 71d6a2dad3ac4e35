#pragma once

#include "export/mail_transport.h"

#include <QProcess>

#include <memory>

namespace lumivex {

// Hands the message to the desktop's mail program through xdg-email, run with arguments (never through
// a shell). xdg-email returns once the mail program has the message, so success means handed off, not
// sent. Exit 3 (no mail program found) and a missing xdg-email mean there is nothing to hand it to.
class XdgEmailTransport : public MailTransport {
 public:
  explicit XdgEmailTransport(QString program = QStringLiteral("xdg-email"));
  ~XdgEmailTransport() override;

  void send(const MailMessage& message, std::function<void(const MailOutcome&)> done) override;

  static QStringList arguments(const MailMessage& message);
  static MailOutcome outcomeOf(int exitCode, QProcess::ExitStatus status);

 private:
  QString program_;
  // Kept until the process ends: xdg-email may outlive the call that started it.
  std::unique_ptr<QProcess> process_;
};

}  // namespace lumivex
