#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace lumivex {

// How a text file's bytes are turned into text: a byte-order mark wins; without one the Windows code page
// given (for example 936, 1251) is used; code page 0 means UTF-8.
enum class TextEncoding { Utf8, Utf8Bom, Utf16LeBom, Utf16BeBom, CodePage };

struct DecodedText {
  QString text;
  TextEncoding encoding = TextEncoding::Utf8;
  int codePage = 0;
};

// nullopt when the bytes are not valid in the chosen encoding.
std::optional<DecodedText> decodeText(const QByteArray& bytes, int codePage);
// Encodes back in the same form the text was read in; nullopt when a character has no code there.
std::optional<QByteArray> encodeText(const QString& text, TextEncoding encoding, int codePage);

// The code page named by a file name such as "Chinese936.ini" (936), or 0 when the name has none.
int codePageFromFileName(const QString& fileName);

}  // namespace lumivex
