#pragma once

#include "core/language.h"

#include <QString>

#include <array>
#include <cstdint>

namespace lumivex {

// The language file and help file chosen for a language.
struct LanguageFiles {
  QString languageFile;  // e.g. "Chinese936.ini"
  QString helpFile;      // e.g. "Lumivex-CN.html"
};

LanguageFiles languageFilesFor(Language language);

// One item of the language menu, in menu order.
struct LanguageMenuItem {
  int command;
  const char* key;
  const char* defaultText;
  Language language;
};

inline constexpr std::array<LanguageMenuItem, 12> kLanguageMenu{{
    {1301, "English", "English(English)", {PrimaryLanguage::English}},
    {1302, "Simplified", "Chinese(China)", {PrimaryLanguage::Chinese, SubLanguage::Simplified}},
    {1351, "Traditional", "Traditional(China)", {PrimaryLanguage::Chinese, SubLanguage::Traditional}},
    {1303, "Japanese", "Japanese(Japanese)", {PrimaryLanguage::Japanese}},
    {1304, "Korean", "Korean(Korean)", {PrimaryLanguage::Korean}},
    {1305, "German", "German(German)", {PrimaryLanguage::German}},
    {1306, "Portuguese", "Portuguese(Portugal)", {PrimaryLanguage::Portuguese}},
    {1313, "Turkey", "Turkish(Turkey)", {PrimaryLanguage::Turkish}},
    {1308, "Thai", "Thai(Thailand)", {PrimaryLanguage::Thai}},
    {1352, "Russian", "Russian(Russia)", {PrimaryLanguage::Russian}},
    {1353, "Bulgarian", "Bulgarian(Bulgaria)", {PrimaryLanguage::Bulgarian}},
    {1359, "Persian", "Persian(Persian)", {PrimaryLanguage::Persian}},
}};

// The menu item for a command id, or nullptr.
const LanguageMenuItem* languageMenuItem(int command);

// The Windows language identifier (LANGID) of a locale name such as "zh_CN", "de_DE.UTF-8" or "C".
std::uint32_t languageIdForLocale(const QString& localeName);
// The LANGID of this process's locale (LC_ALL, LC_MESSAGES, LANG, as the C library orders them).
std::uint32_t systemLanguageId();

// The language the program derives from a LANGID.
Language languageFromLangId(std::uint32_t langId);
// Whether a menu item names the language in effect: the sublanguage counts for Chinese only.
bool sameMenuLanguage(Language item, Language inEffect);

}  // namespace lumivex
