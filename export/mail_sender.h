#pragma once

#include "export/mail_settings.h"
#include "export/mail_transport.h"

#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

class QLabel;

namespace lumivex {

// The small waiting window of the e-mail command (template 1282): "Start outlook, Please waiting..."
// while the picture or video goes to the mail. Timer 1003 starts the send once the window shows; the
// send runs asynchronously, and the window closes after its outcome is told: "Send Completed" when an
// SMTP server took the mail, nothing when the desktop's mail program took it (whether it is sent is
// not known) or the user cancelled, a failure message otherwise.
class MailSender : public QDialog {
 public:
  struct Environment {
    QString mailFolder;    // converted pictures
    QString configFolder;  // mail.json, smtp-password
    // The transport for the settings in force; the default sends through the SMTP server when one is
    // set up (with our compose window), else through xdg-email.
    std::function<std::unique_ptr<MailTransport>(const MailSettings&, QWidget* parent)> makeTransport;
  };

  MailSender(QString file, Environment environment, QWidget* parent = nullptr);
  ~MailSender() override;

  static Environment defaultEnvironment(const QString& programFolder);
  static std::unique_ptr<MailTransport> defaultTransport(const MailSettings& settings, const QString& configFolder,
                                                         QWidget* parent);

 private:
  void startSending();
  void finish(const MailOutcome& outcome);
  void tell(const QString& text);

  QString file_;
  Environment environment_;
  QLabel* text_;
  QTimer timer_;
  std::unique_ptr<MailTransport> transport_;
  bool retried_ = false;
};

}  // namespace lumivex
