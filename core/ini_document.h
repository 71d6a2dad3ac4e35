#pragma once

#include "core/atomic_file.h"
#include "core/text_codec.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace lumivex {

// A profile ("ini") file with the lookup rules of the Windows profile functions: section names and keys
// match whole, trimmed and case-insensitively; an empty value is the empty text; a value in matching
// quotes loses them. Writing keeps every other line (comments, unknown lines, order) as it was.
// Sections and keys are indexed when the document is read or changed, so a lookup does not scan the file.
class IniDocument {
 public:
  // Profile files of this program are small; a larger one is treated as one that cannot be decoded.
  static constexpr qint64 kMaxBytes = 4 << 20;

  // Loads path; a missing file is an empty document. False when the file exists but cannot be decoded,
  // in which case the document is empty. codePage 0: UTF-8 unless a byte-order mark says otherwise.
  bool load(const QString& path, int codePage = 0);
  bool parse(const QByteArray& bytes, int codePage = 0);
  // Writes in the encoding the file was read in (UTF-8 for a new file), atomically.
  WriteResult save(const QString& path) const;
  QByteArray serialise() const;

  std::optional<QString> value(const QString& section, const QString& key) const;
  // Replaces the key's line in place, or adds it at the end of its section, or adds the section.
  void setValue(const QString& section, const QString& key, const QString& value);
  bool hasSection(const QString& section) const;

  const QStringList& lines() const { return lines_; }

  // Profile structures: the bytes as upper-case hex digits followed by a checksum byte (sum mod 256).
  static QString encodeStruct(const QByteArray& bytes);
  // nullopt when the text does not hold exactly size bytes plus a matching checksum.
  static std::optional<QByteArray> decodeStruct(const QString& text, int size);

 private:
  // Index of the section header line, or -1.
  int findSection(const QString& section) const;
  // Index of the key's line within the section starting after header line headerIndex, or -1.
  int findKey(int headerIndex, const QString& key) const;
  int sectionEnd(int headerIndex) const;
  void reindex();

  static QString keyTag(int headerIndex, const QString& key);

  QStringList lines_;
  TextEncoding encoding_ = TextEncoding::Utf8;
  int codePage_ = 0;
  bool crlf_ = false;
  // Case-folded section name -> its first header line; keyTag(header, key) -> the key's first line.
  QHash<QString, int> sections_;
  QHash<QString, int> keys_;
};

}  // namespace lumivex
