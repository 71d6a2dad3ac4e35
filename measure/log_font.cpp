#include "measure/log_font.h"

#include <QString>
#include <QtEndian>

#include <algorithm>

namespace lumivex {
namespace {

void putLong(QByteArray& out, std::int32_t value) {
  char bytes[4];
  qToLittleEndian(value, bytes);
  out.append(bytes, 4);
}

std::int32_t getLong(const QByteArray& in, int offset) {
  return qFromLittleEndian<std::int32_t>(in.constData() + offset);
}

}  // namespace

QByteArray LogFont::toBytes() const {
  QByteArray out;
  out.reserve(kSize);
  putLong(out, height);
  putLong(out, width);
  putLong(out, escapement);
  putLong(out, orientation);
  putLong(out, weight);
  for (std::uint8_t b : {italic, underline, strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily})
    out.append(static_cast<char>(b));
  for (char16_t c : faceName) {
    out.append(static_cast<char>(c & 0xFF));
    out.append(static_cast<char>(c >> 8));
  }
  return out;
}

std::optional<LogFont> LogFont::fromBytes(const QByteArray& bytes) {
  if (bytes.size() != kSize) return std::nullopt;
  LogFont f;
  f.height = getLong(bytes, 0);
  f.width = getLong(bytes, 4);
  f.escapement = getLong(bytes, 8);
  f.orientation = getLong(bytes, 12);
  f.weight = getLong(bytes, 16);
  auto byteAt = [&](int i) { return static_cast<std::uint8_t>(bytes[i]); };
  f.italic = byteAt(20);
  f.underline = byteAt(21);
  f.strikeOut = byteAt(22);
  f.charSet = byteAt(23);
  f.outPrecision = byteAt(24);
  f.clipPrecision = byteAt(25);
  f.quality = byteAt(26);
  f.pitchAndFamily = byteAt(27);
  for (int i = 0; i < kFaceSize; ++i)
    f.faceName[static_cast<std::size_t>(i)] = static_cast<char16_t>(byteAt(28 + 2 * i) | (byteAt(29 + 2 * i) << 8));
  return f;
}

QString LogFont::face() const {
  const auto end = std::find(faceName.begin(), faceName.end(), u'\0');
  return QString::fromUtf16(faceName.data(), end - faceName.begin());
}

void LogFont::setFace(const QString& face) {
  faceName.fill(0);
  const qsizetype count = std::min<qsizetype>(face.size(), kFaceSize - 1);
  for (qsizetype i = 0; i < count; ++i) faceName[static_cast<std::size_t>(i)] = face[i].unicode();
}

LogFont LogFont::defaultFont() {
  LogFont f;
  f.height = 14;
  f.weight = 400;
  f.charSet = 134;
  f.outPrecision = 3;
  f.clipPrecision = 2;
  f.quality = 1;
  f.pitchAndFamily = 50;
  f.setFace(QStringLiteral("Arial"));
  return f;
}

}  // namespace lumivex
