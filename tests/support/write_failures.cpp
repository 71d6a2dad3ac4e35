#include "tests/support/write_failures.h"

#include "core/atomic_file.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace lumivex::test {
namespace {

QString reasonOf(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString fifoOf(const QString& target) { return target + QStringLiteral(".fifo"); }

}  // namespace

const std::vector<WriteFailure>& allWriteFailures() {
  static const std::vector<WriteFailure> all{WriteFailure::DiskFull, WriteFailure::ReadOnlyFolder,
                                             WriteFailure::ReadOnlyTarget, WriteFailure::TargetIsDirectory,
                                             WriteFailure::TargetIsLinkToFifo};
  return all;
}

const char* nameOf(WriteFailure failure) {
  switch (failure) {
    case WriteFailure::DiskFull:
      return "disk full";
    case WriteFailure::ReadOnlyFolder:
      return "read-only folder";
    case WriteFailure::ReadOnlyTarget:
      return "read-only target";
    case WriteFailure::TargetIsDirectory:
      return "target is a directory";
    case WriteFailure::TargetIsLinkToFifo:
      return "target is a link to a FIFO";
  }
  return "?";
}

WriteFailureStage::WriteFailureStage() : disk_(SmallDisk::create()) {
  if (disk_) {
    folder_ = disk_->path();
  } else {
    dir_ = std::make_unique<QTemporaryDir>();
    folder_ = dir_->path();
  }
}

WriteFailureStage::~WriteFailureStage() { disarm(); }

void WriteFailureStage::arm(WriteFailure failure, const QString& target, const QByteArray& oldBytes) {
  failure_ = failure;
  target_ = target;
  oldBytes_ = oldBytes;
  armed_ = true;
  QDir().mkpath(QFileInfo(target).absolutePath());
  switch (failure) {
    case WriteFailure::TargetIsDirectory:
      QDir().mkpath(target);
      writeBytes(target + QStringLiteral("/inside"), oldBytes);
      return;
    case WriteFailure::TargetIsLinkToFifo:
      ::mkfifo(QFile::encodeName(fifoOf(target)).constData(), 0600);
      QFile::link(QFileInfo(fifoOf(target)).fileName(), target);
      return;
    default:
      writeBytes(target, oldBytes);
      break;
  }
  switch (failure) {
    case WriteFailure::DiskFull:
      if (disk_) {
        disk_->fill();
      } else {
        AtomicFile::setFaultHook([](AtomicFile::Step step) { return step == AtomicFile::Step::Write ? ENOSPC : 0; });
      }
      break;
    case WriteFailure::ReadOnlyFolder:
      // Root ignores modes; only a read-only filesystem stops it.
      if (disk_) {
        disk_->setReadOnly(true);
      } else {
        QFile::setPermissions(QFileInfo(target).absolutePath(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
      }
      break;
    case WriteFailure::ReadOnlyTarget:
      if (!(SmallDisk::runningAsRoot() && setImmutable(target, true)))
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
      break;
    default:
      break;
  }
}

void WriteFailureStage::disarm() {
  if (!armed_) return;
  armed_ = false;
  AtomicFile::setFaultHook({});
  if (disk_) {
    disk_->setReadOnly(false);
    disk_->drain();
  }
  for (const QString& folder : {folder_, QFileInfo(target_).absolutePath()})
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  if (failure_ == WriteFailure::ReadOnlyTarget) {
    setImmutable(target_, false);
    QFile::setPermissions(target_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  }
}

bool WriteFailureStage::targetUnchanged() const {
  struct stat st {};
  const QByteArray native = QFile::encodeName(target_);
  if (::lstat(native.constData(), &st) != 0) return false;
  switch (failure_) {
    case WriteFailure::TargetIsDirectory:
      return S_ISDIR(st.st_mode) && readBytes(target_ + QStringLiteral("/inside")) == oldBytes_;
    case WriteFailure::TargetIsLinkToFifo: {
      struct stat fifo {};
      return S_ISLNK(st.st_mode) && ::lstat(QFile::encodeName(fifoOf(target_)).constData(), &fifo) == 0 &&
             S_ISFIFO(fifo.st_mode);
    }
    default:
      return S_ISREG(st.st_mode) && readBytes(target_) == oldBytes_;
  }
}

QStringList WriteFailureStage::expectedReasons() const {
  switch (failure_) {
    case WriteFailure::DiskFull:
      return {reasonOf(ENOSPC)};
    case WriteFailure::ReadOnlyFolder:
      return {reasonOf(disk_ ? EROFS : EACCES)};
    case WriteFailure::ReadOnlyTarget:
      return {reasonOf(EPERM), reasonOf(EACCES)};
    case WriteFailure::TargetIsDirectory:
      return {reasonOf(EISDIR)};
    case WriteFailure::TargetIsLinkToFifo:
      return {QStringLiteral("Not a regular file")};
  }
  return {};
}

QStringList WriteFailureStage::leftoverTemporaries() const {
  QStringList found;
  const QStringList names = QDir(folder_).entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& name : names) {
    if (AtomicFile::isTemporaryName(name)) found << name;
  }
  return found;
}

}  // namespace lumivex::test
