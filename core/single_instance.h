#pragma once

#include <QString>

#include <sys/types.h>

namespace lumivex {

// Holds an exclusive lock on a file named after the program's instance GUID for the life of the object.
// A second process of the same user finds the lock taken.
//
// The lock does not depend on session variables such as XDG_RUNTIME_DIR: it lives in the user's runtime
// folder found by uid (/run/user/UID) when that exists and is private, else in a private folder of ours
// (/tmp/lumivex-UID, mode 0700, never followed through a link). Its name carries the settings folder it
// guards, so two starts that share settings always meet, while a run with a separate HOME (a test, a
// screenshot) does not hold up the user's program.
class SingleInstance {
 public:
  static constexpr char kMutexName[] = "{1C6780D1-4078-41fa-8F5F-8FCC82BD15DD}";

  // The lock for the settings folder of the current environment.
  SingleInstance();
  explicit SingleInstance(QString lockPath);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when another process holds the lock.
  bool anotherInstanceRunning() const { return anotherRunning_; }
  // True when this process holds it. Neither: no lock could be made (error() says why).
  bool locked() const { return fd_ >= 0; }
  const QString& error() const { return error_; }
  const QString& lockPath() const { return path_; }

  // The lock file for a settings folder; empty (and error set) when no private folder can be had.
  static QString lockPathFor(uid_t uid, const QString& settingsFolder, const QString& runUserRoot,
                             const QString& tmpRoot, QString* error = nullptr);
  static QString defaultLockPath(QString* error = nullptr);

 private:
  void acquire();

  QString path_;
  QString error_;
  int fd_ = -1;
  bool anotherRunning_ = false;
};

}  // namespace lumivex
