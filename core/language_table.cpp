#include "core/language_table.h"

#include <QByteArray>

#include <cstdlib>

namespace lumivex {
namespace {

using P = PrimaryLanguage;

struct FileRow {
  PrimaryLanguage primary;
  const char* file;
};

constexpr FileRow kFileRows[] = {
    {P::Arabic, "Arabic1256.ini"},       {P::Bulgarian, "Bulgarian442.ini"},    {P::Danish, "Danish1252.ini"},
    {P::German, "German1252.ini"},       {P::Spanish, "Spanish1252.ini"},       {P::Finnish, "Finnish1252.ini"},
    {P::French, "French1252.ini"},       {P::Hebrew, "Hebrew1255.ini"},         {P::Italian, "Italian1252.ini"},
    {P::Japanese, "Japanese932.ini"},    {P::Korean, "Korean949.ini"},          {P::Dutch, "Dutch1252.ini"},
    {P::Norwegian, "Norwegian1252.ini"}, {P::Polish, "Polish1250.ini"},         {P::Portuguese, "Portuguese1252.ini"},
    {P::Russian, "Russian1251.ini"},     {P::Swedish, "Swedish1252.ini"},       {P::Thai, "Thai874.ini"},
    {P::Turkish, "Turkish1254.ini"},     {P::Vietnamese, "Vietnamese1258.ini"}, {P::Persian, "Persian874.ini"},
};

constexpr char kHelpEn[] = "Lumivex-EN.html";
constexpr char kHelpCn[] = "Lumivex-CN.html";
constexpr char kHelpRu[] = "Lumivex-RU.html";

struct LocaleRow {
  const char* name;  // language, or language_TERRITORY where the territory matters
  std::uint32_t langId;
};

constexpr LocaleRow kLocaleRows[] = {
    {"zh_TW", 0x0404}, {"zh_CN", 0x0804}, {"zh_HK", 0x0C04}, {"zh_SG", 0x1004}, {"zh_MO", 0x1404}, {"pt_BR", 0x0416},
    {"pt_PT", 0x0816}, {"ar", 0x0401},    {"bg", 0x0402},    {"zh", 0x0804},    {"da", 0x0406},    {"de", 0x0407},
    {"en", 0x0409},    {"es", 0x0C0A},    {"fi", 0x040B},    {"fr", 0x040C},    {"he", 0x040D},    {"it", 0x0410},
    {"ja", 0x0411},    {"ko", 0x0412},    {"nl", 0x0413},    {"nb", 0x0414},    {"nn", 0x0414},    {"no", 0x0414},
    {"pl", 0x0415},    {"pt", 0x0416},    {"ru", 0x0419},    {"sv", 0x041D},    {"th", 0x041E},    {"tr", 0x041F},
    {"fa", 0x0429},    {"vi", 0x042A},
};

constexpr std::uint32_t kEnglishUs = 0x0409;

}  // namespace

LanguageFiles languageFilesFor(Language language) {
  // Only the low word of a stored id counts.
  const auto primary = static_cast<PrimaryLanguage>(static_cast<std::uint32_t>(language.primary) & 0xFFFF);
  const auto sub = static_cast<SubLanguage>(static_cast<std::uint32_t>(language.sub) & 0xFFFF);
  if (primary == P::Chinese) {
    if (sub == SubLanguage::Simplified) return {QStringLiteral("Chinese936.ini"), QString::fromLatin1(kHelpCn)};
    if (sub == SubLanguage::Traditional) return {QStringLiteral("Chinese950.ini"), QString::fromLatin1(kHelpEn)};
    return {QStringLiteral("Chinese936.ini"), QString::fromLatin1(kHelpEn)};
  }
  for (const FileRow& row : kFileRows) {
    if (row.primary == primary) {
      return {QString::fromLatin1(row.file), QString::fromLatin1(primary == P::Russian ? kHelpRu : kHelpEn)};
    }
  }
  return {QStringLiteral("English1252.ini"), QString::fromLatin1(kHelpEn)};
}

const LanguageMenuItem* languageMenuItem(int command) {
  for (const LanguageMenuItem& item : kLanguageMenu)
    if (item.command == command) return &item;
  return nullptr;
}

std::uint32_t languageIdForLocale(const QString& localeName) {
  // "de_DE.UTF-8@euro" -> "de_DE"
  QString name = localeName;
  name = name.left(name.indexOf(u'.') < 0 ? name.size() : name.indexOf(u'.'));
  name = name.left(name.indexOf(u'@') < 0 ? name.size() : name.indexOf(u'@'));
  name.replace(u'-', u'_');
  const QString language = name.section(u'_', 0, 0).toLower();
  const QString territory = name.section(u'_', 1, 1).toUpper();
  const QString full = territory.isEmpty() ? language : language + u'_' + territory;
  for (const LocaleRow& row : kLocaleRows)
    if (full == QLatin1String(row.name)) return row.langId;
  for (const LocaleRow& row : kLocaleRows)
    if (language == QLatin1String(row.name)) return row.langId;
  return kEnglishUs;
}

std::uint32_t systemLanguageId() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(var);
    if (value != nullptr && *value != '\0') return languageIdForLocale(QString::fromLocal8Bit(value));
  }
  return kEnglishUs;
}

Language languageFromLangId(std::uint32_t langId) {
  // 1028 is Chinese (Taiwan), 2052 Chinese (PRC).
  const SubLanguage sub =
      langId == 1028 ? SubLanguage::Traditional : (langId == 2052 ? SubLanguage::Simplified : SubLanguage::Neutral);
  return {static_cast<PrimaryLanguage>(langId & 0x3FF), sub};
}

bool sameMenuLanguage(Language item, Language inEffect) {
  return item.primary == inEffect.primary && (item.primary != P::Chinese || item.sub == inEffect.sub);
}

}  // namespace lumivex
