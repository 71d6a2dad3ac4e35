#include "export/mail_settings.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <sys/stat.h>

namespace lumivex {

QString mailConfigFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Lumivex");
}

QString MailSettings::settingsFile(const QString& configFolder) { return configFolder + QStringLiteral("/mail.json"); }

QString MailSettings::passwordFile(const QString& configFolder) {
  return configFolder + QStringLiteral("/smtp-password");
}

MailSettings MailSettings::load(const QString& configFolder) {
  MailSettings settings;
  QFile file(settingsFile(configFolder));
  if (!file.open(QIODevice::ReadOnly) || file.size() > 65536) return settings;
  const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
  settings.server = o.value(QStringLiteral("server")).toString();
  const int port = o.value(QStringLiteral("port")).toInt(settings.port);
  if (port > 0 && port < 65536) settings.port = port;
  const int security = o.value(QStringLiteral("security")).toInt(static_cast<int>(settings.security));
  if (security >= 0 && security <= 2) settings.security = static_cast<Security>(security);
  settings.user = o.value(QStringLiteral("user")).toString();
  settings.sender = o.value(QStringLiteral("sender")).toString();
  const int connect = o.value(QStringLiteral("connectTimeout")).toInt(settings.connectTimeoutSeconds);
  const int total = o.value(QStringLiteral("totalTimeout")).toInt(settings.totalTimeoutSeconds);
  if (connect > 0 && connect <= 600) settings.connectTimeoutSeconds = connect;
  if (total > 0 && total <= 3600) settings.totalTimeoutSeconds = total;
  return settings;
}

WriteResult MailSettings::save(const QString& configFolder) const {
  QDir().mkpath(configFolder);
  const QJsonObject o{{QStringLiteral("server"), server.trimmed()},
                      {QStringLiteral("port"), port},
                      {QStringLiteral("security"), static_cast<int>(security)},
                      {QStringLiteral("user"), user},
                      {QStringLiteral("sender"), sender},
                      {QStringLiteral("connectTimeout"), connectTimeoutSeconds},
                      {QStringLiteral("totalTimeout"), totalTimeoutSeconds}};
  return AtomicFile::write(settingsFile(configFolder), QJsonDocument(o).toJson());
}

std::optional<QString> MailSettings::loadPassword(const QString& configFolder) {
  QFile file(passwordFile(configFolder));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return QString::fromUtf8(file.read(4096));
}

WriteResult MailSettings::savePassword(const QString& configFolder, const QString& password) {
  const QString path = passwordFile(configFolder);
  if (password.isEmpty()) {
    if (QFile::exists(path) && !QFile::remove(path)) return WriteResult::failure(EACCES);
    return {};
  }
  QDir().mkpath(configFolder);
  AtomicFile file(path);
  if (WriteResult r = file.open(); !r) return r;
  // Owner-only before the secret goes in; the rename keeps the mode.
  if (::chmod(QFile::encodeName(file.temporaryPath()).constData(), 0600) != 0) return WriteResult::failure(errno);
  if (WriteResult r = file.append(password.toUtf8()); !r) return r;
  if (WriteResult r = file.commit(); !r) return r;
  if (::chmod(QFile::encodeName(file.targetPath()).constData(), 0600) != 0) return WriteResult::failure(errno);
  return {};
}

}  // namespace lumivex
