#include "image/cx_io_file.h"

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lumivex {

CxIOFile::~CxIOFile() { Close(); }

bool CxIOFile::Open(const QString& fileName, const char* mode) {
  if (stream_ != nullptr || mode == nullptr) return false;
  openError_.clear();
  const auto fail = [this](int error, const char* text = nullptr) {
    openError_ = QString::fromLocal8Bit(text != nullptr ? text : std::strerror(error));
    return false;
  };
  const QByteArray native = QFile::encodeName(fileName);
  if (mode[0] != 'r' || std::strchr(mode, '+') != nullptr) {
    stream_ = std::fopen(native.constData(), mode);
    owned_ = stream_ != nullptr;
    return owned_ || fail(errno);
  }
  // Non-blocking, so a FIFO cannot hold the open; blocking again once it is known to be a regular file.
  const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return fail(errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int error = errno;
    ::close(fd);
    if (S_ISDIR(st.st_mode)) return fail(EISDIR);
    return S_ISREG(st.st_mode) ? fail(error) : fail(0, "Not a regular file");
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  stream_ = ::fdopen(fd, mode);
  if (stream_ == nullptr) {
    const int error = errno;
    ::close(fd);
    return fail(error);
  }
  owned_ = true;
  return true;
}

bool CxIOFile::Close() {
  if (stream_ == nullptr) return false;
  int result = 0;
  if (owned_) result = std::fclose(stream_);
  stream_ = nullptr;
  owned_ = false;
  return result == 0;
}

size_t CxIOFile::Read(void* buffer, size_t size, size_t count) {
  if (stream_ == nullptr || buffer == nullptr || size == 0) return 0;
  return std::fread(buffer, size, count, stream_);
}

size_t CxIOFile::Write(const void* buffer, size_t size, size_t count) {
  if (stream_ == nullptr || buffer == nullptr || size == 0) return 0;
  return std::fwrite(buffer, size, count, stream_);
}

bool CxIOFile::Seek(int64_t offset, int origin) {
  return stream_ != nullptr && fseeko(stream_, static_cast<off_t>(offset), origin) == 0;
}

int64_t CxIOFile::Tell() { return stream_ != nullptr ? static_cast<int64_t>(ftello(stream_)) : -1; }

int64_t CxIOFile::Size() {
  if (stream_ == nullptr) return -1;
  const off_t here = ftello(stream_);
  if (here < 0 || fseeko(stream_, 0, SEEK_END) != 0) return -1;
  const off_t end = ftello(stream_);
  fseeko(stream_, here, SEEK_SET);
  return static_cast<int64_t>(end);
}

bool CxIOFile::Flush() { return stream_ != nullptr && std::fflush(stream_) == 0; }
bool CxIOFile::Eof() { return stream_ == nullptr || std::feof(stream_) != 0; }
long CxIOFile::Error() { return stream_ == nullptr ? -1 : std::ferror(stream_); }
int CxIOFile::PutC(unsigned char c) { return stream_ != nullptr ? std::fputc(c, stream_) : EOF; }
int CxIOFile::GetC() { return stream_ != nullptr ? std::fgetc(stream_) : EOF; }

char* CxIOFile::GetS(char* string, int n) {
  return stream_ != nullptr && string != nullptr && n > 0 ? std::fgets(string, n, stream_) : nullptr;
}

long CxIOFile::Scanf(const char* format, void* output) {
  return stream_ != nullptr && format != nullptr ? std::fscanf(stream_, format, output) : EOF;
}

}  // namespace lumivex
