#pragma once

#include "export/mail_settings.h"
#include "export/mail_transport.h"

#include <QDialog>

#include <optional>

class QLineEdit;
class QPlainTextEdit;
class QComboBox;
class QSpinBox;

namespace lumivex {

// Our compose window for mail sent through the SMTP server: To, Subject, the message and the attachment
// it carries; "Mail server..." opens the server settings.
class MailComposeDialog : public QDialog {
 public:
  MailComposeDialog(const MailMessage& message, QString configFolder, QWidget* parent = nullptr);
  MailMessage message() const;

  // Shows the window modally; nullopt when cancelled.
  static std::optional<MailMessage> compose(const MailMessage& message, const QString& configFolder, QWidget* parent);

 private:
  MailMessage message_;
  QString configFolder_;
  QLineEdit* to_;
  QLineEdit* subject_;
  QPlainTextEdit* body_;
};

// The SMTP server settings: server, port, security, user, sender and a password that is stored, if
// given, in a file only its owner can read (the window says where).
class MailSettingsDialog : public QDialog {
 public:
  MailSettingsDialog(QString configFolder, QWidget* parent = nullptr);
  // Writes the settings and the password; false (after a message) when they could not be stored.
  bool store();

 private:
  QString configFolder_;
  QLineEdit* server_;
  QSpinBox* port_;
  QComboBox* security_;
  QLineEdit* user_;
  QLineEdit* sender_;
  QLineEdit* password_;
};

}  // namespace lumivex
