#pragma once

#include <QString>

#include <cstdint>

namespace lumivex {

// The thirteen stored settings with their built-in defaults. A value missing from the store keeps the
// default here. The line width starts at 1 until "Linewidth" has been read (the stored default is 2).
struct Settings {
  std::uint32_t fontColor = 255;         // "fontcolor", COLORREF of free texts
  std::uint32_t lineColor = 255;         // "LineColor", COLORREF of measurement lines
  std::uint32_t measureTextColor = 255;  // "MeasureTxtColor", COLORREF of result texts
  std::uint32_t fontSize = 16;           // "fontsize"
  std::uint32_t lineWidth = 1;           // "Linewidth"
  std::uint32_t lineType = 0;            // "Linetype", pen style index
  std::uint32_t languageId = 0;          // "LanID", primary language id; 0 = none chosen yet
  std::uint32_t subLanguage = 0;         // "SubLanIDD": 1 traditional, 2 simplified Chinese
  std::uint32_t imageFormat = 2;         // "ImageFormat": 1 BMP, 2 JPEG
  std::uint32_t enableSnap = 0;          // "IsEnableSnap"
  std::uint32_t calibratePrompt = 1;     // "sys_date": show the calibrate prompt at start
  QString unit = QStringLiteral("mm");   // "unit", at most five characters
  std::uint32_t decimals = 3;            // "decimal"
};

inline constexpr std::uint32_t kImageFormatBmp = 1;
inline constexpr std::uint32_t kImageFormatJpeg = 2;
inline constexpr std::uint32_t kDefaultLineWidth = 2;

}  // namespace lumivex
