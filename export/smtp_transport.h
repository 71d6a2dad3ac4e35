#pragma once

#include "export/mail_settings.h"
#include "export/mail_transport.h"

#include <QByteArray>
#include <QFutureWatcher>

#include <functional>
#include <memory>
#include <optional>

namespace lumivex {

// Sends the message itself through the configured SMTP server with libcurl, after the user has filled in
// our compose window (To, Subject, Body, the attachment shown). The transfer runs on a worker thread
// with connect and total timeouts, so the window never blocks.
class SmtpTransport : public MailTransport {
 public:
  // Shows the compose window for the message; nullopt when the user cancels.
  using Composer = std::function<std::optional<MailMessage>(const MailMessage&)>;

  SmtpTransport(MailSettings settings, std::optional<QString> password, Composer composer);
  ~SmtpTransport() override;

  void send(const MailMessage& message, std::function<void(const MailOutcome&)> done) override;

  // The blocking transfer the worker runs (public for tests and the command line).
  static MailOutcome sendNow(const MailSettings& settings, const std::optional<QString>& password,
                             const MailMessage& message);

  // Header value forms: an RFC 2047 encoded word for non-ASCII text, and the RFC 2231 parameter
  // "filename*=UTF-8''..." for an attachment name that is not plain ASCII.
  static QByteArray encodedWord(const QString& text);
  static QByteArray dispositionHeader(const QString& fileName);
  // The addresses of a To line ("a@x, B <b@y>; c@z").
  static QStringList addresses(const QString& to);

 private:
  MailSettings settings_;
  std::optional<QString> password_;
  Composer composer_;
  std::unique_ptr<QFutureWatcher<MailOutcome>> watcher_;
};

}  // namespace lumivex
