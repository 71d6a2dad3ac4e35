#include "core/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <optional>
#include <variant>

namespace lumivex {
namespace {

constexpr int kMaxLinkHops = 40;
constexpr char kTemporaryMark[] = ".lvxtmp";

std::mutex& hookLock() {
  static std::mutex lock;
  return lock;
}

AtomicFile::FaultHook& hookSlot() {
  static AtomicFile::FaultHook hook;
  return hook;
}

// The injected errno for a step, 0 when the step should run.
int injected(AtomicFile::Step step) {
  const std::lock_guard guard(hookLock());
  return hookSlot() ? hookSlot()(step) : 0;
}

QByteArray folderOf(const QByteArray& path) {
  const qsizetype slash = path.lastIndexOf('/');
  if (slash < 0) return ".";
  if (slash == 0) return "/";
  return path.left(slash);
}

QByteArray nameOf(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

struct Target {
  QByteArray path;
  std::optional<struct stat> existing;
};

// Follows symbolic links to the file a write really replaces and checks it may be replaced.
std::variant<Target, WriteResult> resolveTarget(const QByteArray& path) {
  Target target{path, std::nullopt};
  for (int hop = 0;; ++hop) {
    if (hop > kMaxLinkHops) return WriteResult::failure(ELOOP);
    struct stat st {};
    if (::lstat(target.path.constData(), &st) != 0) {
      if (errno == ENOENT) break;  // a new file
      return WriteResult::failure(errno);
    }
    if (!S_ISLNK(st.st_mode)) {
      target.existing = st;
      break;
    }
    QByteArray link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(target.path.constData(), link.data(), static_cast<size_t>(link.size()));
    if (n < 0) return WriteResult::failure(errno);
    link.truncate(n);
    target.path = link.startsWith('/') ? link : folderOf(target.path) + '/' + link;
  }
  if (target.existing) {
    if (S_ISDIR(target.existing->st_mode)) return WriteResult::failure(EISDIR);
    if (!S_ISREG(target.existing->st_mode)) return WriteResult::failure(EINVAL, QStringLiteral("Not a regular file"));
    // A file the user made read-only is not replaced behind their back.
    if (::faccessat(AT_FDCWD, target.path.constData(), W_OK, AT_EACCESS) != 0) return WriteResult::failure(errno);
  }
  return target;
}

QByteArray randomTag() {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  QByteArray tag(6, '\0');
  for (char& c : tag) c = kChars[QRandomGenerator::global()->bounded(static_cast<int>(sizeof kChars) - 1)];
  return tag;
}

// ".NAME.lvxtmpXXXXXX.EXT": hidden, recognisably ours, and still ending in the target's extension.
QByteArray temporaryName(const QByteArray& targetName) {
  const qsizetype dot = targetName.lastIndexOf('.');
  QByteArray extension = dot > 0 && dot + 1 < targetName.size() ? targetName.mid(dot) : QByteArray();
  const QByteArray tail = kTemporaryMark + randomTag();
  extension.truncate(NAME_MAX / 4);
  // Long names are cut at the front so the temporary still fits in a folder entry.
  const qsizetype room = NAME_MAX - 1 - tail.size() - extension.size();
  return '.' + targetName.left(room) + tail + extension;
}

void closeQuietly(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

WriteResult WriteResult::failure(int error) { return failure(error, QString::fromLocal8Bit(std::strerror(error))); }

WriteResult WriteResult::failure(int error, QString reason) {
  WriteResult result;
  result.error = error != 0 ? error : EIO;
  result.reason = std::move(reason);
  return result;
}

AtomicFile::AtomicFile(QString path) : path_(std::move(path)) {}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::setFaultHook(FaultHook hook) {
  const std::lock_guard guard(hookLock());
  hookSlot() = std::move(hook);
}

WriteResult AtomicFile::fail(int error) { return fail(WriteResult::failure(error)); }

WriteResult AtomicFile::fail(const WriteResult& result) {
  if (error_.ok()) error_ = result;
  discard();
  return error_;
}

WriteResult AtomicFile::write(const QString& path, QByteArrayView bytes) {
  AtomicFile file(path);
  if (WriteResult r = file.open(); !r) return r;
  if (WriteResult r = file.append(bytes); !r) return r;
  return file.commit();
}

WriteResult AtomicFile::open() {
  if (fd_ >= 0 || !error_.ok()) return WriteResult::failure(EBUSY);
  if (path_.isEmpty()) return fail(ENOENT);
  auto resolved = resolveTarget(QFile::encodeName(path_));
  if (auto* failed = std::get_if<WriteResult>(&resolved)) return fail(*failed);
  const Target& target = std::get<Target>(resolved);
  target_ = QFile::decodeName(target.path);
  const QByteArray folder = folderOf(target.path);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QByteArray name = folder + '/' + temporaryName(nameOf(target.path));
    if (const int e = injected(Step::Create)) return fail(e);
    // 0666 so the umask decides, as for any new file of the user's.
    fd_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd_ < 0 && errno == EEXIST) continue;
    if (fd_ < 0) return fail(errno);
    temporary_ = QFile::decodeName(name);
    // Held until the rename: a start-up sweep leaves a locked temporary alone, its writer is alive.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    return {};
  }
  return fail(EEXIST);
}

WriteResult AtomicFile::append(QByteArrayView bytes) {
  if (!error_.ok()) return error_;
  if (fd_ < 0) return WriteResult::failure(EBADF);
  const char* data = bytes.data();
  qsizetype left = bytes.size();
  while (left > 0) {
    if (const int e = injected(Step::Write)) return fail(e);
    const ssize_t n = ::write(fd_, data, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    if (n == 0) return fail(EIO);
    data += n;
    left -= n;
  }
  return {};
}

WriteResult AtomicFile::commit() {
  if (!error_.ok()) return error_;
  if (fd_ < 0 || committed_) return WriteResult::failure(EBADF);
  const QByteArray temporary = QFile::encodeName(temporary_);
  const QByteArray target = QFile::encodeName(target_);

  if (const int e = injected(Step::Sync)) return fail(e);
  if (::fsync(fd_) != 0) return fail(errno);
  // A library given temporaryPath() may have replaced the file rather than written into it: whatever
  // is under the name now is what gets synced and renamed.
  const int written = ::open(temporary.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (written < 0) return fail(errno);
  struct stat st {};
  struct stat ours {};
  if (::fstat(written, &st) != 0 || ::fstat(fd_, &ours) != 0 || !S_ISREG(st.st_mode)) {
    const int e = S_ISREG(st.st_mode) ? errno : EINVAL;
    ::close(written);
    return fail(e);
  }
  // The replacement keeps the old file's permissions and, where we may set it, its owner.
  struct stat old {};
  if (::stat(target.constData(), &old) == 0) {
    ::fchmod(written, old.st_mode & 07777);
    // Root writing a user's file: the content matters more than keeping its owner, so no check.
    [[maybe_unused]] const int owned = ::geteuid() == 0 ? ::fchown(written, old.st_uid, old.st_gid) : 0;
  }
  const bool replaced = st.st_ino != ours.st_ino || st.st_dev != ours.st_dev;
  if (replaced && ::fsync(written) != 0) {
    const int e = errno;
    ::close(written);
    return fail(e);
  }
  ::close(written);

  // The lock stays on a duplicate while the written descriptor is closed and checked.
  int lock = ::dup(fd_);
  const int closeError = injected(Step::Close);
  const int closed = ::close(fd_);
  fd_ = lock;
  if (closeError != 0) return fail(closeError);
  if (closed != 0 && errno != EINTR) return fail(errno);

  if (const int e = injected(Step::Rename)) return fail(e);
  if (::rename(temporary.constData(), target.constData()) != 0) return fail(errno);
  committed_ = true;
  closeQuietly(fd_);

  // Without this the rename itself may not survive a power cut.
  int syncError = injected(Step::SyncFolder);
  if (syncError == 0) {
    const int dir = ::open(folderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
      syncError = errno;
    } else {
      if (::fsync(dir) != 0 && errno != EINVAL && errno != ENOTSUP) syncError = errno;
      ::close(dir);
    }
  }
  // The new content is in place; the caller still hears that it may not be on the disk.
  if (syncError != 0) error_ = WriteResult::failure(syncError);
  return error_;
}

void AtomicFile::discard() {
  closeQuietly(fd_);
  if (!committed_ && !temporary_.isEmpty()) ::unlink(QFile::encodeName(temporary_).constData());
  temporary_.clear();
}

bool AtomicFile::isTemporaryName(const QString& fileName) {
  static const QRegularExpression pattern(QStringLiteral("^\\..+\\.lvxtmp[A-Za-z0-9]{6}(\\.[^/]*)?$"));
  return pattern.match(fileName).hasMatch();
}

int AtomicFile::removeStaleTemporaries(const QString& folder) {
  int removed = 0;
  const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& name : names) {
    if (!isTemporaryName(name)) continue;
    const QByteArray path = QFile::encodeName(folder + u'/' + name);
    int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    // A live writer holds its lock; anything we can lock was left behind.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::unlink(path.constData()) == 0) {
      ++removed;
    }
    closeQuietly(fd);
  }
  return removed;
}

bool writeFileAtomically(const QString& path, const QByteArray& data) { return AtomicFile::write(path, data).ok(); }

}  // namespace lumivex
