#include "core/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lumivex {
namespace {

QString systemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// A folder only uid can enter: a real directory (not a link), owned by uid, with no access for others.
bool isPrivateFolder(const QString& folder, uid_t uid) {
  struct stat st {};
  if (::lstat(QFile::encodeName(folder).constData(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == uid && (st.st_mode & 077) == 0;
}

// Our own folder in tmpRoot, made private when it is new; anything else found there is refused.
QString privateTmpFolder(uid_t uid, const QString& tmpRoot, QString* error) {
  const QString folder = tmpRoot + QStringLiteral("/lumivex-") + QString::number(uid);
  const QByteArray native = QFile::encodeName(folder);
  if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
    if (error != nullptr) *error = folder + QStringLiteral(": ") + systemText(errno);
    return {};
  }
  if (!isPrivateFolder(folder, uid)) {
    // Someone else's folder, a link, or one others can write to: a lock there could be faked.
    if (error != nullptr) *error = folder + QStringLiteral(": not a private folder of this user");
    return {};
  }
  return folder;
}

}  // namespace

QString SingleInstance::lockPathFor(uid_t uid, const QString& settingsFolder, const QString& runUserRoot,
                                    const QString& tmpRoot, QString* error) {
  const QString runFolder = runUserRoot + u'/' + QString::number(uid);
  QString folder = isPrivateFolder(runFolder, uid) ? runFolder : privateTmpFolder(uid, tmpRoot, error);
  if (folder.isEmpty()) return {};
  const QByteArray key = QFile::encodeName(QDir::cleanPath(QDir(settingsFolder).absolutePath()));
  const QString tag = QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
  return folder + u'/' + QString::fromLatin1(kMutexName) + u'-' + tag + QStringLiteral(".lock");
}

QString SingleInstance::defaultLockPath(QString* error) {
  // The folder of registry.reg, as the settings store resolves it.
  const QString settings =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Lumivex");
  return lockPathFor(::getuid(), settings, QStringLiteral("/run/user"), QStringLiteral("/tmp"), error);
}

SingleInstance::SingleInstance() {
  path_ = defaultLockPath(&error_);
  if (!path_.isEmpty()) acquire();  // else no private folder: run without a lock, error_ says why
}

SingleInstance::SingleInstance(QString lockPath) : path_(std::move(lockPath)) { acquire(); }

void SingleInstance::acquire() {
  const QByteArray native = QFile::encodeName(path_);
  fd_ = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) {
    error_ = path_ + QStringLiteral(": ") + systemText(errno);
    return;
  }
  // The kernel drops the lock when the process ends, however it ends.
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    anotherRunning_ = errno == EWOULDBLOCK;
    if (!anotherRunning_) error_ = path_ + QStringLiteral(": ") + systemText(errno);
    ::close(fd_);
    fd_ = -1;
  }
}

SingleInstance::~SingleInstance() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace lumivex
