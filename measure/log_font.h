#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>

namespace lumivex {

// The Win32 LOGFONTW the font files store: 92 bytes, little-endian, face name in UTF-16.
struct LogFont {
  static constexpr int kSize = 92;
  static constexpr int kFaceSize = 32;

  std::int32_t height = 0;
  std::int32_t width = 0;
  std::int32_t escapement = 0;
  std::int32_t orientation = 0;
  std::int32_t weight = 0;
  std::uint8_t italic = 0;
  std::uint8_t underline = 0;
  std::uint8_t strikeOut = 0;
  std::uint8_t charSet = 0;
  std::uint8_t outPrecision = 0;
  std::uint8_t clipPrecision = 0;
  std::uint8_t quality = 0;
  std::uint8_t pitchAndFamily = 0;
  std::array<char16_t, kFaceSize> faceName{};

  QByteArray toBytes() const;
  // nullopt unless bytes holds exactly kSize bytes.
  static std::optional<LogFont> fromBytes(const QByteArray& bytes);

  QString face() const;
  // Copies at most 31 units and clears the rest.
  void setFace(const QString& face);

  // Arial 14 as the program starts without a font file.
  static LogFont defaultFont();

  bool operator==(const LogFont&) const = default;
};

}  // namespace lumivex
