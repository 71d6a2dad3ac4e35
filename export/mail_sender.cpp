#include "export/mail_sender.h"

#include "core/localisation.h"
#include "core/prompter.h"
#include "export/mail_attachment.h"
#include "export/mail_dialogs.h"
#include "export/smtp_transport.h"
#include "export/xdg_email_transport.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>

namespace lumivex {

MailSender::MailSender(QString file, Environment environment, QWidget* parent)
    : QDialog(parent), file_(std::move(file)), environment_(std::move(environment)) {
  setObjectName(QStringLiteral("1282"));
  setWindowTitle(QStringLiteral("Lumivex"));
  // 222 x 19 dialog units.
  setFixedSize(340, 40);
  text_ = new QLabel(LookupText("StartOutlook", 128, QStringLiteral("Start outlook, Please waiting...")), this);
  text_->setObjectName(QStringLiteral("1107"));
  text_->setAlignment(Qt::AlignCenter);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(text_);
  timer_.setObjectName(QStringLiteral("1003"));
  timer_.setSingleShot(true);
  timer_.setInterval(50);
  connect(&timer_, &QTimer::timeout, this, &MailSender::startSending);
  timer_.start();
}

MailSender::~MailSender() = default;

MailSender::Environment MailSender::defaultEnvironment(const QString& programFolder) {
  Environment e;
  e.mailFolder = QDir(programFolder).filePath(QStringLiteral("mail"));
  e.configFolder = mailConfigFolder();
  const QString config = e.configFolder;
  e.makeTransport = [config](const MailSettings& settings, QWidget* parent) {
    return defaultTransport(settings, config, parent);
  };
  return e;
}

std::unique_ptr<MailTransport> MailSender::defaultTransport(const MailSettings& settings, const QString& configFolder,
                                                            QWidget* parent) {
  if (!settings.configured()) return std::make_unique<XdgEmailTransport>();
  return std::make_unique<SmtpTransport>(settings, MailSettings::loadPassword(configFolder),
                                         [configFolder, parent](const MailMessage& message) {
                                           return MailComposeDialog::compose(message, configFolder, parent);
                                         });
}

void MailSender::tell(const QString& text) {
  prompter().message(this, QStringLiteral("Lumivex"), text, MessageIcon::Warning, MessageButtons::Ok);
}

void MailSender::startSending() {
  const PreparedAttachment attachment = prepareAttachment(file_, environment_.mailFolder);
  if (attachment.status == PreparedAttachment::Status::LoadFailed) {
    tell(QStringLiteral("imageEmail Create fail"));
    reject();
    return;
  }
  if (attachment.status == PreparedAttachment::Status::CompressFailed) {
    tell(QStringLiteral("Compress fail"));
    reject();
    return;
  }
  MailMessage message;
  message.attachmentPath = attachment.path;
  message.attachmentName = attachment.name;
  const MailSettings settings = MailSettings::load(environment_.configFolder);
  transport_ = environment_.makeTransport(settings, this);
  transport_->send(message, [this](const MailOutcome& outcome) { finish(outcome); });
}

void MailSender::finish(const MailOutcome& outcome) {
  switch (outcome.result) {
    case MailResult::Sent:
      tell(LookupText("SEND_CAMPLETE", 64, QStringLiteral("Send Completed")));
      accept();
      return;
    case MailResult::HandedOff:
    case MailResult::Cancelled:
      accept();
      return;
    case MailResult::NoMailProgram: {
      // Nothing on this desktop takes mail: offer to send through a mail server instead.
      const QString text = LookupText("MailNoProgram", 160,
                                      QStringLiteral("Mail support cannot be loaded: no mail program is set up on "
                                                     "this computer. Set up a mail server to send from Lumivex?"));
      if (!retried_ && prompter().message(this, QStringLiteral("Lumivex"), text, MessageIcon::Warning,
                                          MessageButtons::YesNo) == MessageAnswer::Yes) {
        MailSettingsDialog settings(environment_.configFolder, this);
        if (settings.exec() == QDialog::Accepted && MailSettings::load(environment_.configFolder).configured()) {
          retried_ = true;
          // A new transport for the new settings; the old one is still inside its callback.
          QTimer::singleShot(0, this, [this] {
            transport_.reset();
            startSending();
          });
          return;
        }
      }
      reject();
      return;
    }
    case MailResult::LogonFailed:
      tell(LookupText("MailLogonFail", 160,
                      QStringLiteral("The mail server refused the log-on. The mail was not sent.")) +
           QStringLiteral("\n") + outcome.detail);
      reject();
      return;
    case MailResult::Failed:
      tell(LookupText("MailSendFail", 128, QStringLiteral("The mail could not be sent.")) + QStringLiteral("\n") +
           outcome.detail);
      reject();
      return;
  }
}

}  // namespace lumivex
