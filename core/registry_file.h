#pragma once

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
  enum class LoadStatus { Missing, Loaded, Corrupt };

  // Reads the file; a missing file gives an empty registry. On Corrupt the registry stays empty.
  LoadStatus load(const QString& path);
  // Parses text; false (and an empty registry) when any line is not understood.
  bool parse(const QByteArray& text);
  QByteArray serialise() const;
  // Writes to a temporary file beside the target and renames it over, so a crash never leaves half a file.
  bool saveAtomically(const QString& path) const;

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
