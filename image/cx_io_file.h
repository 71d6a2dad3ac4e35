#pragma once

#include "image/cx_file.h"

#include <QString>

#include <cstdio>

namespace lumivex {

// A CxFile over a C stream. It closes the stream on destruction only when it opened it itself.
class CxIOFile : public CxFile {
 public:
  CxIOFile() = default;
  // Borrows a stream the caller keeps open and closes.
  explicit CxIOFile(FILE* stream) : stream_(stream) {}
  ~CxIOFile() override;
  CxIOFile(const CxIOFile&) = delete;
  CxIOFile& operator=(const CxIOFile&) = delete;

  // mode as for fopen ("rb", "wb"); fails if a stream is already attached. A file opened for reading
  // only must be a regular file: a FIFO would block the reader and a directory is no picture.
  bool Open(const QString& fileName, const char* mode);
  // Why the last Open failed, in the system's words ("Is a directory"); empty after a success.
  const QString& OpenError() const { return openError_; }
  FILE* GetFP() const { return stream_; }

  bool Close() override;
  size_t Read(void* buffer, size_t size, size_t count) override;
  size_t Write(const void* buffer, size_t size, size_t count) override;
  bool Seek(int64_t offset, int origin) override;
  int64_t Tell() override;
  int64_t Size() override;
  bool Flush() override;
  bool Eof() override;
  long Error() override;
  int PutC(unsigned char c) override;
  int GetC() override;
  char* GetS(char* string, int n) override;
  long Scanf(const char* format, void* output) override;

 private:
  FILE* stream_ = nullptr;
  QString openError_;
  bool owned_ = false;
};

}  // namespace lumivex
