#include "export/spreadsheet/text_sheet_file.h"

#include <QStringDecoder>

namespace lumivex {
namespace {

// The separator of a file: TAB, comma or semicolon between two quoted values of the first line, else what
// stands between its first quoted value and the next quote (files of earlier versions), or for an
// unquoted first line its first TAB, semicolon or comma.
QString detectSeparator(const QString& text) {
  const qsizetype lineEnd = [&] {
    const qsizetype n = text.indexOf(u'\n');
    return n < 0 ? text.size() : n;
  }();
  const QStringView line = QStringView(text).left(lineEnd);
  for (const QLatin1StringView joint :
       {QLatin1StringView("\"\t\""), QLatin1StringView("\",\""), QLatin1StringView("\";\"")})
    if (line.contains(joint)) return QString(joint[1]);
  if (line.startsWith(u'"')) {
    qsizetype i = 1;
    while (i < line.size()) {
      if (line[i] == u'"') {
        if (i + 1 < line.size() && line[i + 1] == u'"') {
          i += 2;
          continue;
        }
        break;
      }
      ++i;
    }
    const qsizetype next = line.indexOf(u'"', i + 1);
    if (i < line.size() && next > i + 1) return line.mid(i + 1, next - i - 1).toString();
  }
  for (const char16_t candidate : {u'\t', u';', u','})
    if (line.contains(candidate)) return QString(QChar(candidate));
  return QStringLiteral("\t");
}

}  // namespace

QByteArray TextSheetFile::encode(const QList<QStringList>& rows, QChar separator) {
  QString text;
  qsizetype size = 1;
  for (const QStringList& row : rows)
    for (const QString& value : row) size += value.size() + 3;
  text.reserve(size + rows.size() * 2);
  text += QChar(0xFEFF);
  for (const QStringList& row : rows) {
    for (qsizetype i = 0; i < row.size(); ++i) {
      if (i > 0) text += separator;
      text += u'"';
      for (const QChar c : row[i]) {
        text += c;
        if (c == u'"') text += c;
      }
      text += u'"';
    }
    text += QLatin1String("\r\n");
  }
  QByteArray bytes(text.size() * 2, Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i].unicode();
    bytes[2 * i] = static_cast<char>(unit & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(unit >> 8);
  }
  return bytes;
}

QString TextSheetFile::decodeText(const QByteArray& bytes) {
  const auto decodeWith = [&](QStringConverter::Encoding encoding, qsizetype skip) {
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return QString(decoder.decode(QByteArrayView(bytes).sliced(skip)));
  };
  if (bytes.startsWith("\xFF\xFE")) return decodeWith(QStringConverter::Utf16LE, 2);
  if (bytes.startsWith("\xFE\xFF")) return decodeWith(QStringConverter::Utf16BE, 2);
  if (bytes.startsWith("\xEF\xBB\xBF")) return decodeWith(QStringConverter::Utf8, 3);
  // Without a mark: text written as UTF-16 has a zero in one byte of nearly every character.
  if (bytes.size() >= 2 && bytes.size() % 2 == 0) {
    qsizetype zeroOdd = 0;
    qsizetype zeroEven = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
      zeroEven += bytes[i] == 0;
      zeroOdd += bytes[i + 1] == 0;
    }
    const qsizetype units = bytes.size() / 2;
    if (zeroOdd * 2 >= units && zeroEven * 4 < units) return decodeWith(QStringConverter::Utf16LE, 0);
    if (zeroEven * 2 >= units && zeroOdd * 4 < units) return decodeWith(QStringConverter::Utf16BE, 0);
  }
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) return text;
  return QString::fromLatin1(bytes);
}

QList<QStringList> TextSheetFile::decode(const QByteArray& bytes) {
  const QString text = decodeText(bytes);
  QList<QStringList> rows;
  if (text.isEmpty()) return rows;
  const QString separator = detectSeparator(text);
  const QStringView all(text);
  QStringList row;
  QString value;
  qsizetype i = 0;
  const auto atSeparator = [&](qsizetype at) { return all.mid(at).startsWith(separator); };
  const auto atLineEnd = [&](qsizetype at) {
    return at >= all.size() || all[at] == u'\n' || (all[at] == u'\r' && (at + 1 >= all.size() || all[at + 1] == u'\n'));
  };
  while (i < all.size()) {
    value.clear();
    if (all[i] == u'"') {
      // A quote closes the value only before a separator or a line end; a doubled quote is one quote,
      // and any other quote is kept as written (earlier versions did not double them).
      ++i;
      while (i < all.size()) {
        if (all[i] == u'"') {
          if (i + 1 < all.size() && all[i + 1] == u'"') {
            value += u'"';
            i += 2;
            continue;
          }
          if (atSeparator(i + 1) || atLineEnd(i + 1)) {
            ++i;
            break;
          }
        }
        value += all[i++];
      }
    } else {
      while (i < all.size() && !atSeparator(i) && !atLineEnd(i)) value += all[i++];
    }
    row.append(value);
    if (i < all.size() && atSeparator(i)) {
      i += separator.size();
      if (atLineEnd(i))
        row.append(QString());
      else
        continue;
    }
    // Line end: CR LF, LF, or the end of the text.
    if (i < all.size() && all[i] == u'\r') ++i;
    if (i < all.size() && all[i] == u'\n') ++i;
    rows.append(row);
    row.clear();
  }
  return rows;
}

}  // namespace lumivex
