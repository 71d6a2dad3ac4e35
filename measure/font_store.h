#pragma once

#include "core/atomic_file.h"
#include "measure/log_font.h"

#include <QFont>
#include <QString>

#include <optional>

namespace lumivex {

// The two font files of the program folder. Each holds one LOGFONTW under section "FONT", key
// "LOGFONT", as the profile-structure text (hex digits of the 92 bytes and a checksum byte).
QString measureFontPath();  // Measurefont.ini, the font of result texts
QString textFontPath();     // logfont.ini, the font of Text shapes

// nullopt when the file is missing or its value has the wrong length or checksum.
std::optional<LogFont> loadFontFile(const QString& path);
// Rewrites the value, keeping any other lines of the file.
WriteResult saveFontFile(const QString& path, const LogFont& font);

// LOGFONTW to QFont: |height| pixels (the character height; a positive cell height is taken as the same
// size), weight on Qt's 100..900 scale (0 means normal), italic, underline, strike-out and the face,
// which fontconfig resolves ("Arial" becomes a metric-compatible face). Width, escapement, orientation,
// character set and the precision fields have no Qt counterpart and are kept only in the LOGFONTW.
QFont toQFont(const LogFont& font);
// A chosen QFont back into a LOGFONTW: the fields above from the QFont, the others from base. The height
// is stored negative (a character height), as the font chooser does.
LogFont fromQFont(const QFont& font, const LogFont& base);

}  // namespace lumivex
