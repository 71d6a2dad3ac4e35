#pragma once

#include "core/language.h"

#include <QString>

#include <cstdint>

namespace lumivex {

// The still picture format, stored 1 for BMP and 2 for JPEG (any other stored number reads as JPEG).
enum class ImageFormat : std::uint32_t { Bmp = 1, Jpeg = 2 };

// The stored settings with their built-in defaults, as the program uses them: switches are
// bools, choices enums. SettingsStore alone knows their stored form (numbers in the registry file). A
// value missing from the store keeps the default here. The line width starts at 1 until "Linewidth" has
// been read (the stored default is 2).
struct Settings {
  std::uint32_t fontColor = 255;                       // "fontcolor", COLORREF of free texts
  std::uint32_t lineColor = 255;                       // "LineColor", COLORREF of measurement lines
  std::uint32_t measureTextColor = 255;                // "MeasureTxtColor", COLORREF of result texts
  std::uint32_t fontSize = 16;                         // "fontsize"
  std::uint32_t lineWidth = 1;                         // "Linewidth"
  std::uint32_t lineType = 0;                          // "Linetype", pen style index
  PrimaryLanguage languageId = PrimaryLanguage::None;  // "LanID"; None until the user picks one
  SubLanguage subLanguage = SubLanguage::Neutral;      // "SubLanIDD"
  ImageFormat imageFormat = ImageFormat::Jpeg;         // "ImageFormat"
  bool enableSnap = false;                             // "IsEnableSnap": the camera's snapshot key works
  bool calibratePrompt = true;                         // "sys_date": show the calibrate prompt at start
  QString unit = QStringLiteral("mm");                 // "unit", at most five characters
  std::uint32_t decimals = 3;                          // "decimal"
  bool showUncertainty = false;                        // "ShowUncertainty" beside them (ours): results with " ± u"

  Language language() const { return {languageId, subLanguage}; }
};

inline constexpr std::uint32_t kDefaultLineWidth = 2;

}  // namespace lumivex
