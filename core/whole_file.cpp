#include "core/whole_file.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lumivex {
namespace {

FileStamp stampOf(const struct stat& st) {
  FileStamp stamp;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.changedNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return stamp;
}

}  // namespace

std::optional<FileStamp> FileStamp::of(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
  return stampOf(st);
}

WholeFile WholeFile::read(const QString& path, std::int64_t maxBytes) {
  WholeFile file;
  const auto unreadable = [&file](int error, const char* reason = nullptr) {
    file.status = Status::Unreadable;
    file.error = error;
    file.reason = QString::fromLocal8Bit(reason != nullptr ? reason : std::strerror(error));
    file.bytes.clear();
    return file;
  };
  // Non-blocking, so a FIFO put in the file's place cannot hang the program.
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return file;
    return unreadable(errno);
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int error = errno;
    ::close(fd);
    return unreadable(error);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    // A FIFO, device or socket: nothing errno names, so say what it is not.
    return S_ISDIR(st.st_mode) ? unreadable(EISDIR) : unreadable(EINVAL, "Not a regular file");
  }
  file.stamp = stampOf(st);
  if (st.st_size > maxBytes) {
    ::close(fd);
    file.status = Status::TooLarge;
    return file;
  }
  file.bytes.resize(static_cast<qsizetype>(st.st_size));
  qsizetype got = 0;
  // The file may grow while it is read: read to the end, but never past the limit.
  for (;;) {
    if (got == file.bytes.size()) {
      if (file.bytes.size() >= maxBytes + 1) break;
      file.bytes.resize(std::min<qsizetype>(file.bytes.size() + 4096, maxBytes + 1));
    }
    const ssize_t n = ::read(fd, file.bytes.data() + got, static_cast<size_t>(file.bytes.size() - got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      return unreadable(error);
    }
    if (n == 0) break;
    got += n;
  }
  ::close(fd);
  file.bytes.truncate(got);
  if (got > maxBytes) {
    file.bytes.clear();
    file.status = Status::TooLarge;
    return file;
  }
  file.status = Status::Read;
  return file;
}

}  // namespace lumivex
