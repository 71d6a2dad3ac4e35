#include "core/text_codec.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <vector>

namespace lumivex {
namespace {

struct IconvCloser {
  void operator()(iconv_t* cd) const {
    if (*cd != reinterpret_cast<iconv_t>(-1)) iconv_close(*cd);
    delete cd;
  }
};
using IconvHandle = std::unique_ptr<iconv_t, IconvCloser>;

IconvHandle openIconv(const char* to, const char* from) { return IconvHandle(new iconv_t(iconv_open(to, from))); }

// Strict conversion: any invalid or incomplete sequence fails the whole text.
std::optional<QByteArray> convert(const QByteArray& in, const char* to, const char* from) {
  IconvHandle cd = openIconv(to, from);
  if (*cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::vector<char> out(static_cast<size_t>(in.size()) * 4 + 16);
  char* inPtr = const_cast<char*>(in.constData());
  size_t inLeft = static_cast<size_t>(in.size());
  char* outPtr = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(*cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
      if (errno != E2BIG) return std::nullopt;
      const size_t used = static_cast<size_t>(outPtr - out.data());
      out.resize(out.size() * 2);
      outPtr = out.data() + used;
      outLeft = out.size() - used;
    }
  }
  return QByteArray(out.data(), static_cast<qsizetype>(outPtr - out.data()));
}

QByteArray iconvName(int codePage) { return "CP" + QByteArray::number(codePage); }

std::optional<QString> strictUtf8(const QByteArray& bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8);
  QString s = decoder(bytes);
  if (decoder.hasError()) return std::nullopt;
  return s;
}

}  // namespace

std::optional<DecodedText> decodeText(const QByteArray& bytes, int codePage) {
  DecodedText out;
  if (bytes.startsWith("\xEF\xBB\xBF")) {
    const std::optional<QString> s = strictUtf8(bytes.mid(3));
    if (!s) return std::nullopt;
    out.text = *s;
    out.encoding = TextEncoding::Utf8Bom;
    return out;
  }
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
    const bool little = bytes.startsWith("\xFF\xFE");
    if ((bytes.size() % 2) != 0) return std::nullopt;
    QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
    out.text = decoder(bytes.mid(2));
    if (decoder.hasError()) return std::nullopt;
    out.encoding = little ? TextEncoding::Utf16LeBom : TextEncoding::Utf16BeBom;
    return out;
  }
  if (codePage == 0 || codePage == 65001) {
    const std::optional<QString> s = strictUtf8(bytes);
    if (!s) return std::nullopt;
    out.text = *s;
    return out;
  }
  const std::optional<QByteArray> utf8 = convert(bytes, "UTF-8", iconvName(codePage).constData());
  if (!utf8) return std::nullopt;
  out.text = QString::fromUtf8(*utf8);
  out.encoding = TextEncoding::CodePage;
  out.codePage = codePage;
  return out;
}

std::optional<QByteArray> encodeText(const QString& text, TextEncoding encoding, int codePage) {
  switch (encoding) {
    case TextEncoding::Utf8:
      return text.toUtf8();
    case TextEncoding::Utf8Bom:
      return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case TextEncoding::Utf16LeBom:
    case TextEncoding::Utf16BeBom: {
      const bool little = encoding == TextEncoding::Utf16LeBom;
      QStringEncoder encoder(little ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE);
      return QByteArray(little ? "\xFF\xFE" : "\xFE\xFF") + QByteArray(encoder(text));
    }
    case TextEncoding::CodePage:
      return convert(text.toUtf8(), iconvName(codePage).constData(), "UTF-8");
  }
  return std::nullopt;
}

int codePageFromFileName(const QString& fileName) {
  const QString base = QFileInfo(fileName).completeBaseName();
  int start = static_cast<int>(base.size());
  while (start > 0 && base[start - 1].isDigit()) --start;
  if (start == base.size()) return 0;
  bool ok = false;
  const int cp = base.mid(start).toInt(&ok);
  return ok ? cp : 0;
}

}  // namespace lumivex
