#include "image/cx_file.h"

#include <cstdio>

namespace lumivex {

int CxFile::PutC(unsigned char c) { return Write(&c, 1, 1) == 1 ? c : EOF; }

int CxFile::GetC() {
  unsigned char c = 0;
  return Read(&c, 1, 1) == 1 ? c : EOF;
}

char* CxFile::GetS(char* string, int n) {
  if (string == nullptr || n <= 0) return nullptr;
  int used = 0;
  while (used < n - 1) {
    const int c = GetC();
    if (c == EOF) break;
    string[used++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  if (used == 0) return nullptr;
  string[used] = '\0';
  return string;
}

}  // namespace lumivex
