#pragma once

#include "core/atomic_file.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>

namespace lumivex {

// A value as the registry keeps it: its type and its raw bytes.
struct RegistryValue {
  enum class Type { Dword, String, Binary };
  Type type = Type::Dword;
  QByteArray bytes;  // DWORD: 4 bytes little-endian; String: UTF-16LE with its terminator(s)

  static RegistryValue dword(std::uint32_t value);
  static RegistryValue stringBytes(QByteArray utf16le);
};

// The per-user registry of the program kept as one text file in the ".reg" export syntax, so a person can
// read and edit it. Key paths are relative to HKEY_CURRENT_USER and compared case-insensitively.
class RegistryFile {
 public:
  // Unreadable: the file is there but cannot be read (permissions, an I/O error, not a regular file);
  // it says nothing about the content. Corrupt: read, but not understood, or larger than kMaxBytes.
  enum class LoadStatus { Missing, Loaded, Unreadable, Corrupt };
  // Settings of this program fit in a few kilobytes; anything past this is not a registry of ours.
  static constexpr qint64 kMaxBytes = 1 << 20;

  // Reads the file; a missing file gives an empty registry. Otherwise than Loaded the registry is empty.
  LoadStatus load(const QString& path);
  // Parses text; false (and an empty registry) when any line is not understood.
  bool parse(const QByteArray& text);
  QByteArray serialise() const;
  // Writes to a temporary file beside the target and renames it over, so a crash never leaves half a file.
  WriteResult saveAtomically(const QString& path) const;

  bool hasKey(const QString& keyPath) const;  // also true when only a subkey exists
  void createKey(const QString& keyPath);
  std::optional<RegistryValue> value(const QString& keyPath, const QString& name) const;
  void setValue(const QString& keyPath, const QString& name, const RegistryValue& value);

 private:
  struct CaseInsensitiveLess {
    bool operator()(const QString& a, const QString& b) const { return a.compare(b, Qt::CaseInsensitive) < 0; }
  };
  using ValueMap = std::map<QString, RegistryValue, CaseInsensitiveLess>;
  std::map<QString, ValueMap, CaseInsensitiveLess> keys_;
};

}  // namespace lumivex
