#pragma once

#include "core/atomic_file.h"

#include <QString>

#include <optional>

namespace lumivex {

// The SMTP server the program sends through itself, when one is set up (else the desktop's mail program
// takes the message). Kept in mail.json in the configuration folder; the password, if stored at all,
// only in smtp-password beside it, a file readable by its owner alone (mode 0600).
struct MailSettings {
  enum class Security { None = 0, StartTls = 1, Tls = 2 };

  QString server;
  int port = 587;
  Security security = Security::StartTls;
  QString user;
  QString sender;
  int connectTimeoutSeconds = 20;
  int totalTimeoutSeconds = 300;

  bool configured() const { return !server.trimmed().isEmpty(); }

  static QString settingsFile(const QString& configFolder);
  static QString passwordFile(const QString& configFolder);

  // Missing or unreadable settings give the defaults (no server).
  static MailSettings load(const QString& configFolder);
  WriteResult save(const QString& configFolder) const;

  // The stored password, or nullopt when none is stored.
  static std::optional<QString> loadPassword(const QString& configFolder);
  // Stores the password in a file of mode 0600; an empty password removes the file.
  static WriteResult savePassword(const QString& configFolder, const QString& password);
};

// The program's configuration folder ($XDG_CONFIG_HOME/Lumivex).
QString mailConfigFolder();

}  // namespace lumivex
