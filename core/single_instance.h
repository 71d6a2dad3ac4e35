#pragma once

#include <QString>

namespace lumivex {

// Holds an exclusive lock on a file named after the program's instance GUID for the life of the object.
// A second process of the same user finds the lock taken.
class SingleInstance {
 public:
  static constexpr char kMutexName[] = "{1C6780D1-4078-41fa-8F5F-8FCC82BD15DD}";

  SingleInstance();
  explicit SingleInstance(QString lockPath);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when another process holds the lock.
  bool anotherInstanceRunning() const { return anotherRunning_; }
  const QString& lockPath() const { return path_; }

  static QString defaultLockPath();

 private:
  QString path_;
  int fd_ = -1;
  bool anotherRunning_ = false;
};

}  // namespace lumivex
