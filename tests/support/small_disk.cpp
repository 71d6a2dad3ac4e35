#include "tests/support/small_disk.h"

#include <QFile>

#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <vector>

namespace lumivex::test {
namespace {

// A private mount namespace, so mounts vanish with the process however it ends. Entered while static
// objects are made, before any thread exists: a namespace is per thread, and every thread of the test
// (and every program it starts) must see the same mounts.
bool enterPrivateNamespace() {
  if (::geteuid() != 0 || ::unshare(CLONE_NEWNS) != 0) return false;
  return ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}
[[maybe_unused]] const bool kPrivateMounts = enterPrivateNamespace();

QByteArray sizeOption(int bytes) { return "size=" + QByteArray::number(bytes) + ",mode=0777"; }

}  // namespace

bool SmallDisk::runningAsRoot() { return ::geteuid() == 0; }

SmallDisk::SmallDisk(QString path) : path_(std::move(path)) {}

std::unique_ptr<SmallDisk> SmallDisk::create(int bytes) {
  auto dir = std::make_unique<QTemporaryDir>();
  if (!dir->isValid()) return nullptr;
  auto disk = mountAt(dir->path(), bytes);
  if (disk) disk->owned_ = std::move(dir);
  return disk;
}

std::unique_ptr<SmallDisk> SmallDisk::mountAt(const QString& folder, int bytes) {
  if (!runningAsRoot()) return nullptr;
  const QByteArray where = QFile::encodeName(folder);
  if (::mount("tmpfs", where.constData(), "tmpfs", 0, sizeOption(bytes).constData()) != 0) return nullptr;
  return std::unique_ptr<SmallDisk>(new SmallDisk(folder));
}

SmallDisk::~SmallDisk() { ::umount2(QFile::encodeName(path_).constData(), MNT_DETACH); }

bool SmallDisk::fill() {
  const QByteArray ballast = QFile::encodeName(path_ + QStringLiteral("/.ballast"));
  const int fd = ::open(ballast.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  std::vector<char> block(4096, 'b');
  // Whole pages first, then single bytes, until the disk refuses.
  while (::write(fd, block.data(), block.size()) > 0) {
  }
  while (::write(fd, block.data(), 1) > 0) {
  }
  const bool full = errno == ENOSPC;
  ::close(fd);
  return full;
}

void SmallDisk::drain() { QFile::remove(path_ + QStringLiteral("/.ballast")); }

bool SmallDisk::setReadOnly(bool readOnly) {
  const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
  return ::mount("tmpfs", QFile::encodeName(path_).constData(), "tmpfs", flags, "mode=0777") == 0;
}

bool setImmutable(const QString& path, bool immutable) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok) {
    flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return ok;
}

}  // namespace lumivex::test
