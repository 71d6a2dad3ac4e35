#pragma once

#include <cstddef>
#include <cstdint>

namespace lumivex {

// An abstract byte stream with the meaning of the C standard stream functions. The codecs read and write
// through it, so a picture decodes the same from a file as from a frame in memory.
class CxFile {
 public:
  virtual ~CxFile() = default;

  virtual bool Close() = 0;
  // Returns the number of whole items transferred, like fread/fwrite.
  virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
  virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
  // origin is SEEK_SET, SEEK_CUR or SEEK_END; returns true on success.
  virtual bool Seek(int64_t offset, int origin) = 0;
  virtual int64_t Tell() = 0;
  virtual int64_t Size() = 0;
  virtual bool Flush() = 0;
  virtual bool Eof() = 0;
  virtual long Error() = 0;
  // Returns the character written or EOF.
  virtual int PutC(unsigned char c);
  // Returns the next byte or EOF.
  virtual int GetC();
  // Reads up to n - 1 bytes, stopping after a newline; null at the end of the stream, like fgets.
  virtual char* GetS(char* string, int n);
  // One conversion of format into output; returns the number of items assigned or EOF, like fscanf.
  virtual long Scanf(const char* format, void* output) = 0;
};

}  // namespace lumivex
