#include "export/smtp_transport.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace lumivex {
namespace {

struct EasyCleanup {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct MimeFree {
  void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};
struct ListFree {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using SList = std::unique_ptr<curl_slist, ListFree>;

void append(SList& list, const QByteArray& line) {
  curl_slist* next = curl_slist_append(list.get(), line.constData());
  if (next != nullptr) {
    (void)list.release();
    list.reset(next);
  }
}

// libcurl's global start is not thread-safe: done once, before any worker runs a transfer.
void startCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool isPlainAscii(const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() > 0x7e) return false;
  }
  return true;
}

}  // namespace

QByteArray SmtpTransport::encodedWord(const QString& text) {
  if (isPlainAscii(text)) return text.toLatin1();
  return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
}

QByteArray SmtpTransport::dispositionHeader(const QString& fileName) {
  bool plain = isPlainAscii(fileName);
  for (const QChar c : fileName) plain = plain && c != u'"' && c != u'\\';
  if (plain) return "Content-Disposition: attachment; filename=\"" + fileName.toLatin1() + "\"";
  // RFC 2231 alone: readers disagree on which to take when a plain fallback stands beside it.
  return "Content-Disposition: attachment; filename*=UTF-8''" + fileName.toUtf8().toPercentEncoding();
}

QStringList SmtpTransport::addresses(const QString& to) {
  QStringList out;
  static const QRegularExpression angle(QStringLiteral("<([^>]+)>"));
  for (const QString& part : to.split(QRegularExpression(QStringLiteral("[,;]")), Qt::SkipEmptyParts)) {
    const QRegularExpressionMatch m = angle.match(part);
    const QString address = (m.hasMatch() ? m.captured(1) : part).trimmed();
    if (!address.isEmpty()) out << address;
  }
  return out;
}

MailOutcome SmtpTransport::sendNow(const MailSettings& settings, const std::optional<QString>& password,
                                   const MailMessage& message) {
  const QStringList recipients = addresses(message.to);
  if (recipients.isEmpty()) return {MailResult::Failed, QStringLiteral("No recipient.")};
  startCurl();
  std::unique_ptr<CURL, EasyCleanup> curl(curl_easy_init());
  if (!curl) return {MailResult::Failed, QStringLiteral("libcurl could not start.")};

  const QString sender = settings.sender.isEmpty() ? settings.user : settings.sender;
  const QByteArray scheme = settings.security == MailSettings::Security::Tls ? "smtps://" : "smtp://";
  const QByteArray url = scheme + settings.server.trimmed().toUtf8() + ':' + QByteArray::number(settings.port);
  const QByteArray from = '<' + addresses(sender).value(0).toUtf8() + '>';
  const QByteArray user = settings.user.toUtf8();
  const QByteArray secret = password.value_or(QString()).toUtf8();
  char error[CURL_ERROR_SIZE] = {};

  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.constData());
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, static_cast<long>(settings.connectTimeoutSeconds));
  curl_easy_setopt(c, CURLOPT_TIMEOUT, static_cast<long>(settings.totalTimeoutSeconds));
  curl_easy_setopt(
      c, CURLOPT_USE_SSL,
      static_cast<long>(settings.security == MailSettings::Security::None ? CURLUSESSL_NONE : CURLUSESSL_ALL));
  if (!user.isEmpty()) {
    curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(c, CURLOPT_PASSWORD, secret.constData());
  }
  curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
  SList rcpt;
  for (const QString& r : recipients) append(rcpt, '<' + r.toUtf8() + '>');
  curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());

  SList headers;
  append(headers, "Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1());
  append(headers, "From: " + encodedWord(sender));
  append(headers, "To: " + encodedWord(message.to));
  append(headers, "Subject: " + encodedWord(message.subject));
  append(headers, "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + "@lumivex>");
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());

  std::unique_ptr<curl_mime, MimeFree> mime(curl_mime_init(c));
  const QByteArray body = message.body.toUtf8();
  curl_mimepart* text = curl_mime_addpart(mime.get());
  curl_mime_data(text, body.constData(), static_cast<size_t>(body.size()));
  curl_mime_type(text, "text/plain; charset=UTF-8");
  curl_mime_encoder(text, "quoted-printable");

  const QByteArray filePath = QFile::encodeName(message.attachmentPath);
  if (!QFileInfo(message.attachmentPath).isFile()) {
    return {MailResult::Failed, QStringLiteral("The file to attach was not found.")};
  }
  const QString name =
      message.attachmentName.isEmpty() ? QFileInfo(message.attachmentPath).fileName() : message.attachmentName;
  curl_mimepart* file = curl_mime_addpart(mime.get());
  if (curl_mime_filedata(file, filePath.constData()) != CURLE_OK) {
    return {MailResult::Failed, QStringLiteral("The file to attach cannot be read.")};
  }
  const QByteArray type = QMimeDatabase().mimeTypeForFile(message.attachmentPath).name().toLatin1();
  curl_mime_type(file, type.constData());
  curl_mime_encoder(file, "base64");
  // Our own disposition carries the RFC 2231 name; libcurl then adds none of its own.
  SList partHeaders;
  append(partHeaders, dispositionHeader(name));
  curl_mime_headers(file, partHeaders.release(), 1);
  curl_easy_setopt(c, CURLOPT_MIMEPOST, mime.get());

  const CURLcode result = curl_easy_perform(c);
  if (result == CURLE_OK) return {MailResult::Sent, {}};
  const QString detail = QString::fromUtf8(error[0] != 0 ? error : curl_easy_strerror(result));
  if (result == CURLE_LOGIN_DENIED) return {MailResult::LogonFailed, detail};
  return {MailResult::Failed, detail};
}

SmtpTransport::SmtpTransport(MailSettings settings, std::optional<QString> password, Composer composer)
    : settings_(std::move(settings)), password_(std::move(password)), composer_(std::move(composer)) {}

SmtpTransport::~SmtpTransport() {
  // The worker has copies of everything it uses; wait for it so no result arrives after the owner.
  if (watcher_) {
    watcher_->disconnect();
    watcher_->waitForFinished();
  }
}

void SmtpTransport::send(const MailMessage& message, std::function<void(const MailOutcome&)> done) {
  startCurl();
  const std::optional<MailMessage> composed = composer_ ? composer_(message) : std::optional<MailMessage>(message);
  if (!composed) {
    done({MailResult::Cancelled, {}});
    return;
  }
  watcher_ = std::make_unique<QFutureWatcher<MailOutcome>>();
  QFutureWatcher<MailOutcome>* watcher = watcher_.get();
  QObject::connect(watcher, &QFutureWatcher<MailOutcome>::finished, watcher,
                   [watcher, done] { done(watcher->result()); });
  watcher->setFuture(QtConcurrent::run(
      [settings = settings_, password = password_, m = *composed] { return sendNow(settings, password, m); }));
}

}  // namespace lumivex
