#include "core/localisation.h"
#include "core/language_table.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

TEST(LanguageTableTest, FileAndHelpChoicePerLanguage) {
  struct Row {
    std::uint32_t primary, sub;
    const char* file;
    const char* help;
  };
  const Row rows[] = {
      {1, 0, "Arabic1256.ini", "Lumivex-EN.html"},   {2, 0, "Bulgarian442.ini", "Lumivex-EN.html"},
      {4, 2, "Chinese936.ini", "Lumivex-CN.html"},   {4, 1, "Chinese950.ini", "Lumivex-EN.html"},
      {4, 0, "Chinese936.ini", "Lumivex-EN.html"},   {4, 7, "Chinese936.ini", "Lumivex-EN.html"},
      {6, 0, "Danish1252.ini", "Lumivex-EN.html"},   {7, 0, "German1252.ini", "Lumivex-EN.html"},
      {9, 0, "English1252.ini", "Lumivex-EN.html"},  {10, 0, "Spanish1252.ini", "Lumivex-EN.html"},
      {11, 0, "Finnish1252.ini", "Lumivex-EN.html"}, {12, 0, "French1252.ini", "Lumivex-EN.html"},
      {13, 0, "Hebrew1255.ini", "Lumivex-EN.html"},  {16, 0, "Italian1252.ini", "Lumivex-EN.html"},
      {17, 0, "Japanese932.ini", "Lumivex-EN.html"}, {18, 0, "Korean949.ini", "Lumivex-EN.html"},
      {19, 0, "Dutch1252.ini", "Lumivex-EN.html"},   {20, 0, "Norwegian1252.ini", "Lumivex-EN.html"},
      {21, 0, "Polish1250.ini", "Lumivex-EN.html"},  {22, 0, "Portuguese1252.ini", "Lumivex-EN.html"},
      {25, 0, "Russian1251.ini", "Lumivex-RU.html"}, {29, 0, "Swedish1252.ini", "Lumivex-EN.html"},
      {30, 0, "Thai874.ini", "Lumivex-EN.html"},     {31, 0, "Turkish1254.ini", "Lumivex-EN.html"},
      {41, 0, "English1252.ini", "Lumivex-EN.html"}, {42, 0, "Vietnamese1258.ini", "Lumivex-EN.html"},
      {58, 0, "Persian874.ini", "Lumivex-EN.html"},  {0x10000 + 7, 0, "German1252.ini", "Lumivex-EN.html"},
  };
  for (const Row& row : rows) {
    const LanguageFiles files =
        languageFilesFor({static_cast<PrimaryLanguage>(row.primary), static_cast<SubLanguage>(row.sub)});
    EXPECT_EQ(files.languageFile, QLatin1String(row.file)) << row.primary << "," << row.sub;
    EXPECT_EQ(files.helpFile, QLatin1String(row.help)) << row.primary << "," << row.sub;
  }
}

TEST(LanguageTableTest, LocalesMapToWindowsLanguagePairs) {
  struct Row {
    const char* locale;
    std::uint32_t langId, primary, sub;
  };
  const Row rows[] = {
      {"zh_CN.UTF-8", 2052, 4, 2},    {"zh_TW.UTF-8", 1028, 4, 1},   {"zh_HK", 0x0C04, 4, 0},
      {"zh_SG", 0x1004, 4, 0},        {"de_DE.UTF-8", 0x0407, 7, 0}, {"de_AT", 0x0407, 7, 0},
      {"ja_JP.eucJP", 0x0411, 17, 0}, {"ru_RU", 0x0419, 25, 0},      {"pt_BR", 0x0416, 22, 0},
      {"pt_PT", 0x0816, 22, 0},       {"fa_IR", 0x0429, 41, 0},      {"C", 0x0409, 9, 0},
      {"POSIX", 0x0409, 9, 0},        {"xx_YY", 0x0409, 9, 0},       {"sr_RS@latin", 0x0409, 9, 0},
      {"en_GB.UTF-8", 0x0409, 9, 0},  {"nb_NO", 0x0414, 20, 0},      {"tr_TR", 0x041F, 31, 0},
  };
  for (const Row& row : rows) {
    const std::uint32_t id = languageIdForLocale(QLatin1String(row.locale));
    EXPECT_EQ(id, row.langId) << row.locale;
    const Language language = languageFromLangId(id);
    EXPECT_EQ(static_cast<std::uint32_t>(language.primary), row.primary) << row.locale;
    EXPECT_EQ(static_cast<std::uint32_t>(language.sub), row.sub) << row.locale;
  }
}

TEST(LanguageTableTest, MenuItemsInOrderWithTheirPairs) {
  const int commands[] = {1301, 1302, 1351, 1303, 1304, 1305, 1306, 1313, 1308, 1352, 1353, 1359};
  ASSERT_EQ(kLanguageMenu.size(), std::size(commands));
  for (size_t i = 0; i < kLanguageMenu.size(); ++i) EXPECT_EQ(kLanguageMenu[i].command, commands[i]);
  // The stored numbers of the three items whose ids are easiest to get wrong.
  EXPECT_EQ(static_cast<std::uint32_t>(languageMenuItem(1351)->language.sub), 1u);
  EXPECT_EQ(static_cast<std::uint32_t>(languageMenuItem(1302)->language.sub), 2u);
  EXPECT_EQ(static_cast<std::uint32_t>(languageMenuItem(1359)->language.primary), 58u);
  // The Chinese items differ by their sublanguage only; for other languages it does not count.
  const Language simplified = languageMenuItem(1302)->language;
  EXPECT_FALSE(sameMenuLanguage(languageMenuItem(1351)->language, simplified));
  EXPECT_TRUE(sameMenuLanguage(simplified, simplified));
  EXPECT_TRUE(sameMenuLanguage({PrimaryLanguage::German}, {PrimaryLanguage::German, SubLanguage::Simplified}));
  EXPECT_EQ(languageMenuItem(1000), nullptr);
}

class LookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = home_.path() + QStringLiteral("/lang");
    loc_.setSearchFolders({folder_}, {folder_});
  }
  void writeEnglish(const QByteArray& bytes) {
    ASSERT_TRUE(test::writeBytes(folder_ + QStringLiteral("/English1252.ini"), bytes));
  }
  test::TempHome home_;
  QString folder_;
  Localisation loc_;
};

TEST_F(LookupTest, EmptyValueIsNotTheDefaultButAMissingKeyIs) {
  writeEnglish("[Other]\nTitle=wrong section\n[quorvanta]\n  title  =  Hello  \nEmpty=\nQuoted=\"  spaced  \"\n");
  loc_.selectLanguage({PrimaryLanguage::English});
  EXPECT_EQ(loc_.lookup("TITLE", 64, QStringLiteral("dflt")), QStringLiteral("Hello"));
  EXPECT_EQ(loc_.lookup("Empty", 64, QStringLiteral("dflt")), QString());
  EXPECT_EQ(loc_.lookup("Quoted", 64, QStringLiteral("dflt")), QStringLiteral("  spaced  "));
  EXPECT_EQ(loc_.lookup("Missing", 64, QStringLiteral("dflt")), QStringLiteral("dflt"));
  loc_.selectLanguage({PrimaryLanguage::German});  // no German file: defaults
  EXPECT_EQ(loc_.lookup("Title", 64, QStringLiteral("dflt")), QStringLiteral("dflt"));
}

TEST_F(LookupTest, BufferIsClearedAndBounded) {
  writeEnglish("\xEF\xBB\xBF[Quorvanta]\nLong=abcdefghij\nPair=ab\xF0\x9F\x98\x80z\n");
  loc_.selectLanguage({PrimaryLanguage::English});
  char16_t buffer[8];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  EXPECT_EQ(loc_.lookup("Long", buffer, 5, u"x"), 4);
  EXPECT_EQ(std::u16string(buffer, 5), std::u16string(u"abcd\0", 5));
  EXPECT_EQ(buffer[5], u'#');  // nothing written past size
  EXPECT_EQ(loc_.lookup("Long", buffer, 1, u"x"), 0);
  EXPECT_EQ(buffer[0], u'\0');
  // A surrogate pair is never split at the bound.
  EXPECT_EQ(loc_.lookup("Pair", 4, QString()), QStringLiteral("ab"));
  EXPECT_EQ(loc_.lookup("Pair", 5, QString()).size(), 4);
}

TEST_F(LookupTest, EncodingsByMarkOrCodePage) {
  const QString text = QStringLiteral("Привет");
  QByteArray utf16 = "\xFF\xFE";
  const QString body = QStringLiteral("[Quorvanta]\r\nHi=") + text + QStringLiteral("\r\n");
  utf16 += QByteArray(reinterpret_cast<const char*>(body.utf16()), body.size() * 2);
  ASSERT_TRUE(test::writeBytes(folder_ + QStringLiteral("/Russian1251.ini"), utf16));
  loc_.selectLanguage({PrimaryLanguage::Russian});
  EXPECT_EQ(loc_.lookup("Hi", 64, QString()), text);

  // No mark: the code page in the name (1251) decodes it.
  ASSERT_TRUE(test::writeBytes(folder_ + QStringLiteral("/Russian1251.ini"),
                               QByteArray("[Quorvanta]\nHi=\xCF\xF0\xE8\xE2\xE5\xF2\n")));
  loc_.selectLanguage({PrimaryLanguage::Russian});
  EXPECT_EQ(loc_.lookup("Hi", 64, QString()), text);

  // Bytes that are not valid in the named code page: every lookup falls back to its default.
  ASSERT_TRUE(test::writeBytes(folder_ + QStringLiteral("/Japanese932.ini"), QByteArray("[Quorvanta]\nHi=\x82\xFF\n")));
  loc_.selectLanguage({PrimaryLanguage::Japanese});
  EXPECT_EQ(loc_.lookup("Hi", 64, QStringLiteral("dflt")), QStringLiteral("dflt"));
  // An unknown code page without a mark: defaults too.
  ASSERT_TRUE(test::writeBytes(folder_ + QStringLiteral("/Bulgarian442.ini"), QByteArray("[Quorvanta]\nHi=x\n")));
  loc_.selectLanguage({PrimaryLanguage::Bulgarian});
  EXPECT_EQ(loc_.lookup("Hi", 64, QStringLiteral("dflt")), QStringLiteral("dflt"));
}

TEST_F(LookupTest, FirstFolderWins) {
  const QString override = home_.path() + QStringLiteral("/program");
  ASSERT_TRUE(test::writeBytes(override + QStringLiteral("/English1252.ini"), "[Quorvanta]\nA=mine\n"));
  writeEnglish("[Quorvanta]\nA=shipped\nB=shipped\n");
  loc_.setSearchFolders({override, folder_}, {override, folder_});
  loc_.selectLanguage({PrimaryLanguage::English});
  EXPECT_EQ(loc_.lookup("A", 64, QString()), QStringLiteral("mine"));
  EXPECT_EQ(loc_.lookup("B", 64, QStringLiteral("dflt")), QStringLiteral("dflt"));
  EXPECT_EQ(loc_.languageFile(), override + QStringLiteral("/English1252.ini"));
}

}  // namespace
}  // namespace lumivex
