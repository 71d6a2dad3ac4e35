#include "core/single_instance.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace lumivex {

QString SingleInstance::defaultLockPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const QString name = QString::fromLatin1(kMutexName);
  if (runtime != nullptr && *runtime != '\0' && QDir(QString::fromLocal8Bit(runtime)).exists())
    return QString::fromLocal8Bit(runtime) + u'/' + name + QStringLiteral(".lock");
  return QStringLiteral("/tmp/") + name + u'-' + QString::number(getuid()) + QStringLiteral(".lock");
}

SingleInstance::SingleInstance() : SingleInstance(defaultLockPath()) {}

SingleInstance::SingleInstance(QString lockPath) : path_(std::move(lockPath)) {
  const QByteArray native = QFile::encodeName(path_);
  fd_ = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return;  // no lock file possible: run rather than refuse to start
  // The kernel drops the lock when the process ends, however it ends.
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    anotherRunning_ = errno == EWOULDBLOCK;
    ::close(fd_);
    fd_ = -1;
  }
}

SingleInstance::~SingleInstance() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace lumivex
