#include "core/ini_document.h"

#include "core/whole_file.h"

namespace lumivex {
namespace {

bool isSectionHeader(const QString& trimmed) { return trimmed.startsWith(u'[') && trimmed.contains(u']'); }

QString sectionName(const QString& trimmed) { return trimmed.mid(1, trimmed.indexOf(u']') - 1).trimmed(); }

QString stripQuotes(const QString& v) {
  if (v.size() >= 2 && ((v.front() == u'"' && v.back() == u'"') || (v.front() == u'\'' && v.back() == u'\'')))
    return v.mid(1, v.size() - 2);
  return v;
}

}  // namespace

bool IniDocument::load(const QString& path, int codePage) {
  const WholeFile file = WholeFile::read(path, kMaxBytes);
  if (file.status == WholeFile::Status::Missing) {
    lines_.clear();
    reindex();
    encoding_ = codePage == 0 ? TextEncoding::Utf8 : TextEncoding::CodePage;
    codePage_ = codePage;
    return true;
  }
  if (file.status != WholeFile::Status::Read) {
    lines_.clear();
    reindex();
    return false;
  }
  return parse(file.bytes, codePage);
}

bool IniDocument::parse(const QByteArray& bytes, int codePage) {
  lines_.clear();
  reindex();
  const std::optional<DecodedText> decoded = decodeText(bytes, codePage);
  if (!decoded) return false;
  encoding_ = decoded->encoding;
  codePage_ = decoded->codePage;
  crlf_ = decoded->text.contains(QStringLiteral("\r\n"));
  QString text = decoded->text;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  lines_ = text.split(u'\n');
  if (!lines_.isEmpty() && lines_.back().isEmpty()) lines_.removeLast();
  reindex();
  return true;
}

QString IniDocument::keyTag(int headerIndex, const QString& key) {
  return QString::number(headerIndex) + u'\n' + key.trimmed().toCaseFolded();
}

void IniDocument::reindex() {
  sections_.clear();
  keys_.clear();
  int header = -1;
  for (int i = 0; i < lines_.size(); ++i) {
    const QString& line = lines_[i];
    const QString t = line.trimmed();
    if (isSectionHeader(t)) {
      header = i;
      const QString name = sectionName(t).toCaseFolded();
      if (!sections_.contains(name)) sections_.insert(name, i);  // the first of equal names wins
      continue;
    }
    if (header < 0) continue;
    const int eq = static_cast<int>(line.indexOf(u'='));
    if (eq < 0) continue;
    const QString name = line.left(eq).trimmed();
    if (name.startsWith(u';')) continue;
    const QString tag = keyTag(header, name);
    if (!keys_.contains(tag)) keys_.insert(tag, i);
  }
}

QByteArray IniDocument::serialise() const {
  const QString eol = crlf_ ? QStringLiteral("\r\n") : QStringLiteral("\n");
  QString text;
  for (const QString& line : lines_) text += line + eol;
  // A character the file's code page cannot hold: fall back to UTF-8 with a mark rather than lose it.
  std::optional<QByteArray> bytes = encodeText(text, encoding_, codePage_);
  if (!bytes) bytes = encodeText(text, TextEncoding::Utf8Bom, 0);
  return *bytes;
}

WriteResult IniDocument::save(const QString& path) const { return AtomicFile::write(path, serialise()); }

int IniDocument::findSection(const QString& section) const {
  return sections_.value(section.trimmed().toCaseFolded(), -1);
}

int IniDocument::sectionEnd(int headerIndex) const {
  int i = headerIndex + 1;
  while (i < lines_.size() && !isSectionHeader(lines_[i].trimmed())) ++i;
  return i;
}

int IniDocument::findKey(int headerIndex, const QString& key) const {
  return keys_.value(keyTag(headerIndex, key), -1);
}

bool IniDocument::hasSection(const QString& section) const { return findSection(section) >= 0; }

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const {
  const int header = findSection(section);
  if (header < 0) return std::nullopt;
  const int line = findKey(header, key);
  if (line < 0) return std::nullopt;
  const QString& text = lines_[line];
  return stripQuotes(text.mid(text.indexOf(u'=') + 1).trimmed());
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value) {
  const QString entry = key.trimmed() + u'=' + value;
  int header = findSection(section);
  if (header < 0) {
    lines_.append(u'[' + section.trimmed() + u']');
    lines_.append(entry);
    reindex();
    return;
  }
  const int line = findKey(header, key);
  if (line >= 0) {
    lines_[line] = entry;
    return;
  }
  // After the section's last non-blank line, so blank separators stay before the next section.
  int insertAt = sectionEnd(header);
  while (insertAt > header + 1 && lines_[insertAt - 1].trimmed().isEmpty()) --insertAt;
  lines_.insert(insertAt, entry);
  reindex();
}

QString IniDocument::encodeStruct(const QByteArray& bytes) {
  unsigned sum = 0;
  QString out;
  out.reserve(bytes.size() * 2 + 2);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    sum += b;
    out += QString::number(b, 16).toUpper().rightJustified(2, u'0');
  }
  out += QString::number(sum & 0xFF, 16).toUpper().rightJustified(2, u'0');
  return out;
}

std::optional<QByteArray> IniDocument::decodeStruct(const QString& text, int size) {
  if (text.size() != 2 * size + 2) return std::nullopt;
  QByteArray out;
  unsigned sum = 0;
  for (int i = 0; i <= size; ++i) {
    bool ok = false;
    const uint b = text.mid(2 * i, 2).toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    if (i == size) {
      if ((sum & 0xFF) != b) return std::nullopt;
      break;
    }
    sum += b;
    out += static_cast<char>(b);
  }
  return out;
}

}  // namespace lumivex
