#include "measure/font_store.h"

#include "core/app_context.h"
#include "core/ini_document.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace lumivex {
namespace {

const QString kSection = QStringLiteral("FONT");
const QString kKey = QStringLiteral("LOGFONT");

QString programFile(const QString& name) {
  if (!AppContext::exists()) return {};
  return AppContext::current().paths().programFolder + u'/' + name;
}

}  // namespace

QString measureFontPath() { return programFile(QStringLiteral("Measurefont.ini")); }
QString textFontPath() { return programFile(QStringLiteral("logfont.ini")); }

std::optional<LogFont> loadFontFile(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  IniDocument document;
  if (!document.load(path)) return std::nullopt;
  const std::optional<QString> value = document.value(kSection, kKey);
  if (!value) return std::nullopt;
  const std::optional<QByteArray> bytes = IniDocument::decodeStruct(*value, LogFont::kSize);
  if (!bytes) return std::nullopt;
  return LogFont::fromBytes(*bytes);
}

WriteResult saveFontFile(const QString& path, const LogFont& font) {
  if (path.isEmpty()) return WriteResult::failure(ENOENT);
  IniDocument document;
  // An undecodable file is replaced rather than left holding a font that can never be read.
  document.load(path);
  document.setValue(kSection, kKey, IniDocument::encodeStruct(font.toBytes()));
  return document.save(path);
}

QFont toQFont(const LogFont& font) {
  QFont q(font.face().isEmpty() ? QStringLiteral("Arial") : font.face());
  const int pixels = std::abs(font.height);
  if (pixels > 0) q.setPixelSize(pixels);
  const int weight = font.weight <= 0 ? 400 : std::clamp(font.weight, 100, 900);
  q.setWeight(static_cast<QFont::Weight>(weight));
  q.setItalic(font.italic != 0);
  q.setUnderline(font.underline != 0);
  q.setStrikeOut(font.strikeOut != 0);
  return q;
}

LogFont fromQFont(const QFont& font, const LogFont& base) {
  LogFont out = base;
  int pixels = font.pixelSize();
  if (pixels <= 0) pixels = static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0));
  out.height = -pixels;
  out.weight = static_cast<int>(font.weight());
  out.italic = font.italic() ? 1 : 0;
  out.underline = font.underline() ? 1 : 0;
  out.strikeOut = font.strikeOut() ? 1 : 0;
  out.setFace(font.family());
  return out;
}

}  // namespace lumivex
