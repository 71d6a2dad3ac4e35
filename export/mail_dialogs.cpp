#include "export/mail_dialogs.h"

#include "core/localisation.h"
#include "core/prompter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lumivex {

MailComposeDialog::MailComposeDialog(const MailMessage& message, QString configFolder, QWidget* parent)
    : QDialog(parent), message_(message), configFolder_(std::move(configFolder)) {
  setWindowTitle(LookupText("MailComposeTitle", 64, QStringLiteral("New message")));
  setObjectName(QStringLiteral("mailCompose"));
  auto* form = new QFormLayout;
  to_ = new QLineEdit(message.to, this);
  to_->setObjectName(QStringLiteral("mailTo"));
  subject_ = new QLineEdit(message.subject, this);
  subject_->setObjectName(QStringLiteral("mailSubject"));
  body_ = new QPlainTextEdit(message.body, this);
  body_->setObjectName(QStringLiteral("mailBody"));
  const QFileInfo file(message.attachmentPath);
  auto* attachment =
      new QLabel(QStringLiteral("%1 (%2)").arg(message.attachmentName, QLocale().formattedDataSize(file.size())), this);
  attachment->setObjectName(QStringLiteral("mailAttachment"));
  form->addRow(LookupText("MailTo", 64, QStringLiteral("To:")), to_);
  form->addRow(LookupText("MailSubject", 64, QStringLiteral("Subject:")), subject_);
  form->addRow(LookupText("MailAttachment", 64, QStringLiteral("Attachment:")), attachment);
  form->addRow(LookupText("MailBody", 64, QStringLiteral("Message:")), body_);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* send =
      buttons->addButton(LookupText("MailSend", 64, QStringLiteral("Send")), QDialogButtonBox::AcceptRole);
  send->setObjectName(QStringLiteral("mailSend"));
  buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("mailCancel"));
  QPushButton* server = buttons->addButton(LookupText("MailServerButton", 64, QStringLiteral("Mail server...")),
                                           QDialogButtonBox::ResetRole);
  server->setObjectName(QStringLiteral("mailServer"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (to_->text().trimmed().isEmpty()) {
      to_->setFocus();
      return;
    }
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(server, &QPushButton::clicked, this, [this] {
    MailSettingsDialog settings(configFolder_, this);
    settings.exec();
  });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  resize(480, 360);
}

MailMessage MailComposeDialog::message() const {
  MailMessage m = message_;
  m.to = to_->text().trimmed();
  m.subject = subject_->text();
  m.body = body_->toPlainText();
  return m;
}

std::optional<MailMessage> MailComposeDialog::compose(const MailMessage& message, const QString& configFolder,
                                                      QWidget* parent) {
  MailComposeDialog dialog(message, configFolder, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.message();
}

MailSettingsDialog::MailSettingsDialog(QString configFolder, QWidget* parent)
    : QDialog(parent), configFolder_(std::move(configFolder)) {
  setWindowTitle(LookupText("MailServerTitle", 64, QStringLiteral("Mail server")));
  setObjectName(QStringLiteral("mailSettings"));
  const MailSettings settings = MailSettings::load(configFolder_);
  server_ = new QLineEdit(settings.server, this);
  server_->setObjectName(QStringLiteral("mailServerName"));
  port_ = new QSpinBox(this);
  port_->setObjectName(QStringLiteral("mailPort"));
  port_->setRange(1, 65535);
  port_->setValue(settings.port);
  security_ = new QComboBox(this);
  security_->setObjectName(QStringLiteral("mailSecurity"));
  security_->addItems(
      {LookupText("MailSecurityNone", 64, QStringLiteral("None")), QStringLiteral("STARTTLS"), QStringLiteral("TLS")});
  security_->setCurrentIndex(static_cast<int>(settings.security));
  user_ = new QLineEdit(settings.user, this);
  user_->setObjectName(QStringLiteral("mailUser"));
  sender_ = new QLineEdit(settings.sender, this);
  sender_->setObjectName(QStringLiteral("mailSender"));
  password_ = new QLineEdit(MailSettings::loadPassword(configFolder_).value_or(QString()), this);
  password_->setObjectName(QStringLiteral("mailPassword"));
  password_->setEchoMode(QLineEdit::Password);
  auto* note =
      new QLabel(LookupText("MailPasswordNote", 160,
                            QStringLiteral("A password is kept in %1, a file only you can read. Leave it empty "
                                           "to keep none."))
                     .arg(MailSettings::passwordFile(configFolder_)),
                 this);
  note->setWordWrap(true);

  auto* form = new QFormLayout;
  form->addRow(LookupText("MailServer", 64, QStringLiteral("SMTP server:")), server_);
  form->addRow(LookupText("MailPort", 64, QStringLiteral("Port:")), port_);
  form->addRow(LookupText("MailSecurity", 64, QStringLiteral("Security:")), security_);
  form->addRow(LookupText("MailUser", 64, QStringLiteral("User name:")), user_);
  form->addRow(LookupText("MailPassword", 64, QStringLiteral("Password:")), password_);
  form->addRow(LookupText("MailSender", 64, QStringLiteral("Sender address:")), sender_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Save)->setObjectName(QStringLiteral("mailSave"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (store()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(note);
  layout->addWidget(buttons);
}

bool MailSettingsDialog::store() {
  MailSettings settings = MailSettings::load(configFolder_);
  settings.server = server_->text().trimmed();
  settings.port = port_->value();
  settings.security = static_cast<MailSettings::Security>(security_->currentIndex());
  settings.user = user_->text().trimmed();
  settings.sender = sender_->text().trimmed();
  WriteResult result = settings.save(configFolder_);
  if (result) result = MailSettings::savePassword(configFolder_, password_->text());
  if (result) return true;
  prompter().message(this, windowTitle(),
                     LookupText("SaveFail", 64, QStringLiteral("Save fail")) + u'\n' + result.reason,
                     MessageIcon::Warning, MessageButtons::Ok);
  return false;
}

}  // namespace lumivex
