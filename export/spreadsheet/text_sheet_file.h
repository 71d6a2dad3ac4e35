#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QStringList>

namespace lumivex {

// The text form of a sheet, as spreadsheet programs open it in any locale: every value in double quotes
// (a quote inside doubled), values separated by TAB, lines ended by CR LF, UTF-16 little-endian with a
// byte-order mark. Reading also takes UTF-8 and UTF-16 with or without a mark, and TAB, comma or
// semicolon separators, or the separator text of files written by earlier versions between quoted values.
class TextSheetFile {
 public:
  static QByteArray encode(const QList<QStringList>& rows, QChar separator = u'\t');
  static QList<QStringList> decode(const QByteArray& bytes);
  // The bytes as text: by their byte-order mark, else UTF-16 when every other byte is zero, else UTF-8
  // when valid, else Latin-1.
  static QString decodeText(const QByteArray& bytes);
};

}  // namespace lumivex
