#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace lumivex {

// The language file and help file chosen for a (primary language id, sublanguage) pair.
struct LanguageFiles {
  QString languageFile;  // e.g. "Chinese936.ini"
  QString helpFile;      // e.g. "Lumivex-CN.html"
};

LanguageFiles languageFilesFor(std::uint32_t primaryId, std::uint32_t subLanguage);

// One item of the language menu, in menu order.
struct LanguageMenuItem {
  int command;
  const char* key;
  const char* defaultText;
  std::uint32_t primaryId;
  std::uint32_t subLanguage;
};

inline constexpr std::array<LanguageMenuItem, 12> kLanguageMenu{{
    {1301, "English", "English(English)", 9, 0},
    {1302, "Simplified", "Chinese(China)", 4, 2},
    {1351, "Traditional", "Traditional(China)", 4, 1},
    {1303, "Japanese", "Japanese(Japanese)", 17, 0},
    {1304, "Korean", "Korean(Korean)", 18, 0},
    {1305, "German", "German(German)", 7, 0},
    {1306, "Portuguese", "Portuguese(Portugal)", 22, 0},
    {1313, "Turkey", "Turkish(Turkey)", 31, 0},
    {1308, "Thai", "Thai(Thailand)", 30, 0},
    {1352, "Russian", "Russian(Russia)", 25, 0},
    {1353, "Bulgarian", "Bulgarian(Bulgaria)", 2, 0},
    {1359, "Persian", "Persian(Persian)", 58, 0},
}};

// The menu item for a command id, or nullptr.
const LanguageMenuItem* languageMenuItem(int command);

// The Windows language identifier (LANGID) of a locale name such as "zh_CN", "de_DE.UTF-8" or "C".
std::uint32_t languageIdForLocale(const QString& localeName);
// The LANGID of this process's locale (LC_ALL, LC_MESSAGES, LANG, as the C library orders them).
std::uint32_t systemLanguageId();

// The (primary, sublanguage) pair the program derives from a LANGID.
struct LanguagePair {
  std::uint32_t primaryId;
  std::uint32_t subLanguage;
};
LanguagePair languagePairFromLangId(std::uint32_t langId);

}  // namespace lumivex
