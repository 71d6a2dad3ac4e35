#include "core/registry_file.h"

#include "core/whole_file.h"

#include <QList>

namespace lumivex {
namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";
constexpr char kRootPrefix[] = "HKEY_CURRENT_USER\\";

QByteArray hexList(const QByteArray& bytes) {
  QByteArray out;
  for (int i = 0; i < bytes.size(); ++i) {
    if (i > 0) out += ',';
    out += QByteArray::number(static_cast<unsigned char>(bytes[i]), 16).rightJustified(2, '0');
  }
  return out;
}

std::optional<QByteArray> parseHexList(const QByteArray& text) {
  QByteArray out;
  if (text.trimmed().isEmpty()) return out;
  for (const QByteArray& part : text.split(',')) {
    bool ok = false;
    const uint v = part.trimmed().toUInt(&ok, 16);
    if (!ok || v > 0xFF) return std::nullopt;
    out += static_cast<char>(v);
  }
  return out;
}

// The body of a quoted "..." with backslash escapes; pos points at the opening quote and is moved past
// the closing one.
std::optional<QString> parseQuoted(const QString& line, int& pos) {
  if (pos >= line.size() || line[pos] != u'"') return std::nullopt;
  QString out;
  for (++pos; pos < line.size(); ++pos) {
    const QChar c = line[pos];
    if (c == u'\\') {
      if (++pos >= line.size()) return std::nullopt;
      out += line[pos];
    } else if (c == u'"') {
      ++pos;
      return out;
    } else {
      out += c;
    }
  }
  return std::nullopt;
}

QString quoted(const QString& s) {
  QString out = QStringLiteral("\"");
  for (QChar c : s) {
    if (c == u'"' || c == u'\\') out += u'\\';
    out += c;
  }
  return out + u'"';
}

QByteArray utf16Bytes(const QString& s) {
  QByteArray out;
  for (QChar ch : s) {
    const char16_t c = ch.unicode();
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  out += '\0';
  out += '\0';
  return out;
}

}  // namespace

RegistryValue RegistryValue::dword(std::uint32_t value) {
  RegistryValue v;
  v.type = Type::Dword;
  for (int i = 0; i < 4; ++i) v.bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return v;
}

RegistryValue RegistryValue::stringBytes(QByteArray utf16le) {
  RegistryValue v;
  v.type = Type::String;
  v.bytes = std::move(utf16le);
  return v;
}

RegistryFile::LoadStatus RegistryFile::load(const QString& path) {
  keys_.clear();
  const WholeFile file = WholeFile::read(path, kMaxBytes);
  switch (file.status) {
    case WholeFile::Status::Missing:
      return LoadStatus::Missing;
    case WholeFile::Status::Unreadable:
      return LoadStatus::Unreadable;
    case WholeFile::Status::TooLarge:
      return LoadStatus::Corrupt;
    case WholeFile::Status::Read:
      break;
  }
  return parse(file.bytes) ? LoadStatus::Loaded : LoadStatus::Corrupt;
}

bool RegistryFile::parse(const QByteArray& text) {
  keys_.clear();
  const auto fail = [this] {
    keys_.clear();
    return false;
  };
  const QString all = QString::fromUtf8(text);
  if (all.contains(QChar::ReplacementCharacter)) return fail();
  QStringList lines = all.split(u'\n');
  bool sawHeader = false;
  ValueMap* current = nullptr;
  for (QString line : lines) {
    if (line.endsWith(u'\r')) line.chop(1);
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u';')) continue;
    if (!sawHeader) {
      if (trimmed != QLatin1String(kHeader)) break;
      sawHeader = true;
      continue;
    }
    if (trimmed.startsWith(u'[')) {
      if (!trimmed.endsWith(u']')) return fail();
      QString key = trimmed.mid(1, trimmed.size() - 2);
      if (!key.startsWith(QLatin1String(kRootPrefix), Qt::CaseInsensitive)) return fail();
      key = key.mid(static_cast<int>(sizeof(kRootPrefix)) - 1);
      current = &keys_[key];
      continue;
    }
    if (current == nullptr) return fail();
    int pos = 0;
    const std::optional<QString> name = parseQuoted(trimmed, pos);
    if (!name || pos >= trimmed.size() || trimmed[pos] != u'=') return fail();
    const QString data = trimmed.mid(pos + 1);
    RegistryValue value;
    if (data.startsWith(QLatin1String("dword:"))) {
      bool ok = false;
      const uint v = data.mid(6).toUInt(&ok, 16);
      if (!ok || data.size() != 14) return fail();
      value = RegistryValue::dword(v);
    } else if (data.startsWith(u'"')) {
      int p = 0;
      const std::optional<QString> s = parseQuoted(data, p);
      if (!s || p != data.size()) return fail();
      value = RegistryValue::stringBytes(utf16Bytes(*s));
    } else if (data.startsWith(QLatin1String("hex(1):")) || data.startsWith(QLatin1String("hex:"))) {
      const bool isString = data.startsWith(QLatin1String("hex(1):"));
      const std::optional<QByteArray> bytes = parseHexList(data.mid(isString ? 7 : 4).toLatin1());
      if (!bytes) return fail();
      value.type = isString ? RegistryValue::Type::String : RegistryValue::Type::Binary;
      value.bytes = *bytes;
    } else {
      return fail();
    }
    (*current)[*name] = value;
  }
  if (!sawHeader && !text.trimmed().isEmpty()) return fail();
  return true;
}

QByteArray RegistryFile::serialise() const {
  QByteArray out = QByteArray(kHeader) + "\n";
  for (const auto& [key, values] : keys_) {
    out += "\n[" + QByteArray(kRootPrefix) + key.toUtf8() + "]\n";
    for (const auto& [name, value] : values) {
      out += quoted(name).toUtf8() + '=';
      switch (value.type) {
        case RegistryValue::Type::Dword: {
          std::uint32_t v = 0;
          for (int i = 0; i < 4 && i < value.bytes.size(); ++i)
            v |= static_cast<std::uint32_t>(static_cast<unsigned char>(value.bytes[i])) << (8 * i);
          out += "dword:" + QByteArray::number(v, 16).rightJustified(8, '0');
          break;
        }
        case RegistryValue::Type::String:
          // Exact bytes, so fixed-size string values keep their length.
          out += "hex(1):" + hexList(value.bytes);
          break;
        case RegistryValue::Type::Binary:
          out += "hex:" + hexList(value.bytes);
          break;
      }
      out += '\n';
    }
  }
  return out;
}

WriteResult RegistryFile::saveAtomically(const QString& path) const { return AtomicFile::write(path, serialise()); }

bool RegistryFile::hasKey(const QString& keyPath) const {
  if (keys_.count(keyPath) != 0) return true;
  const QString prefix = keyPath + u'\\';
  for (const auto& entry : keys_)
    if (entry.first.startsWith(prefix, Qt::CaseInsensitive)) return true;
  return false;
}

void RegistryFile::createKey(const QString& keyPath) { keys_[keyPath]; }

std::optional<RegistryValue> RegistryFile::value(const QString& keyPath, const QString& name) const {
  const auto key = keys_.find(keyPath);
  if (key == keys_.end()) return std::nullopt;
  const auto v = key->second.find(name);
  if (v == key->second.end()) return std::nullopt;
  return v->second;
}

void RegistryFile::setValue(const QString& keyPath, const QString& name, const RegistryValue& value) {
  keys_[keyPath][name] = value;
}

}  // namespace lumivex
