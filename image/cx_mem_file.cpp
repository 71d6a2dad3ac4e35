#include "image/cx_mem_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace lumivex {

CxMemFile::CxMemFile(const uint8_t* data, size_t size) : borrowed_(data), borrowedSize_(data != nullptr ? size : 0) {}

bool CxMemFile::Open() {
  borrowed_ = nullptr;
  borrowedSize_ = 0;
  owned_.clear();
  position_ = 0;
  eof_ = false;
  return true;
}

std::vector<uint8_t> CxMemFile::TakeBuffer() {
  std::vector<uint8_t> out;
  if (borrowed_ != nullptr) {
    out.assign(borrowed_, borrowed_ + borrowedSize_);
  } else {
    out.swap(owned_);
  }
  Open();
  return out;
}

bool CxMemFile::Close() {
  Open();
  return true;
}

size_t CxMemFile::Read(void* buffer, size_t size, size_t count) {
  if (buffer == nullptr || size == 0 || count == 0) return 0;
  const size_t available = position_ < this->size() ? this->size() - position_ : 0;
  // Whole items only, and no overflow of size x count.
  const size_t items = std::min(count, available / size);
  if (items < count) eof_ = true;
  const size_t bytes = items * size;
  if (bytes > 0) std::memcpy(buffer, GetBuffer() + position_, bytes);
  position_ += bytes;
  return items;
}

size_t CxMemFile::Write(const void* buffer, size_t size, size_t count) {
  if (borrowed_ != nullptr || buffer == nullptr || size == 0 || count == 0) return 0;
  if (count > SIZE_MAX / size) return 0;
  const size_t bytes = size * count;
  if (position_ > owned_.size()) owned_.resize(position_);  // a seek past the end leaves a zero gap
  const size_t end = position_ + bytes;
  if (end > owned_.size()) {
    if (end > owned_.capacity()) owned_.reserve(std::max(end, owned_.capacity() * 2));
    owned_.resize(end);
  }
  std::memcpy(owned_.data() + position_, buffer, bytes);
  position_ = end;
  return count;
}

bool CxMemFile::Seek(int64_t offset, int origin) {
  int64_t base = 0;
  if (origin == SEEK_CUR) {
    base = static_cast<int64_t>(position_);
  } else if (origin == SEEK_END) {
    base = static_cast<int64_t>(size());
  } else if (origin != SEEK_SET) {
    return false;
  }
  if ((offset > 0 && base > INT64_MAX - offset)) return false;
  const int64_t target = base + offset;
  // A read-only buffer cannot be extended, so seeking past its end fails.
  if (target < 0 || (borrowed_ != nullptr && static_cast<uint64_t>(target) > borrowedSize_)) return false;
  position_ = static_cast<size_t>(target);
  eof_ = false;
  return true;
}

int CxMemFile::GetC() {
  if (position_ >= size()) {
    eof_ = true;
    return EOF;
  }
  return GetBuffer()[position_++];
}

long CxMemFile::Scanf(const char* format, void* output) {
  if (format == nullptr || position_ >= size()) return EOF;
  // sscanf needs a terminated string; one conversion never needs more than a short window.
  const size_t window = std::min<size_t>(size() - position_, 4096);
  const std::string text(reinterpret_cast<const char*>(GetBuffer() + position_), window);
  const std::string withCount = std::string(format) + "%n";
  int consumed = 0;
  const int result = std::sscanf(text.c_str(), withCount.c_str(), output, &consumed);
  if (result > 0) position_ += static_cast<size_t>(consumed);
  return result;
}

}  // namespace lumivex
