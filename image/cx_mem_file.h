#pragma once

#include "image/cx_file.h"

#include <vector>

namespace lumivex {

// A CxFile over memory: either a borrowed, read-only buffer (a grabbed frame, a file already in memory)
// or an owned buffer that grows as it is written.
class CxMemFile : public CxFile {
 public:
  // An empty, growing buffer.
  CxMemFile() = default;
  // Reads the caller's bytes without copying them; the caller keeps them alive. Writes fail.
  CxMemFile(const uint8_t* data, size_t size);
  CxMemFile(const CxMemFile&) = delete;
  CxMemFile& operator=(const CxMemFile&) = delete;

  // Starts over on an empty growing buffer.
  bool Open();
  // The bytes held, from the start.
  const uint8_t* GetBuffer() const { return borrowed_ != nullptr ? borrowed_ : owned_.data(); }
  // Hands over the written bytes and leaves the stream empty.
  std::vector<uint8_t> TakeBuffer();
  // Preallocates a growing buffer.
  void Reserve(size_t size) { owned_.reserve(size); }

  bool Close() override;
  size_t Read(void* buffer, size_t size, size_t count) override;
  size_t Write(const void* buffer, size_t size, size_t count) override;
  bool Seek(int64_t offset, int origin) override;
  int64_t Tell() override { return static_cast<int64_t>(position_); }
  int64_t Size() override { return static_cast<int64_t>(size()); }
  bool Flush() override { return true; }
  bool Eof() override { return eof_; }
  long Error() override { return 0; }
  int GetC() override;
  long Scanf(const char* format, void* output) override;

 private:
  size_t size() const { return borrowed_ != nullptr ? borrowedSize_ : owned_.size(); }

  const uint8_t* borrowed_ = nullptr;
  size_t borrowedSize_ = 0;
  std::vector<uint8_t> owned_;
  size_t position_ = 0;
  bool eof_ = false;
};

}  // namespace lumivex
