#include "core/settings_store.h"
#include "core/registry_file.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <QFile>

namespace lumivex {
namespace {

using test::readBytes;
using test::writeBytes;

class SettingsStoreTest : public ::testing::Test {
 protected:
  QString path() const { return home_.registryFile(); }
  test::TempHome home_;
};

TEST_F(SettingsStoreTest, FirstRunWritesAllThirteenDefaultsOnce) {
  Settings settings;
  SettingsStore store(path(), settings);
  ASSERT_TRUE(store.ensureFirstRunDefaults());
  EXPECT_FALSE(store.ensureFirstRunDefaults());

  RegistryFile file;
  ASSERT_EQ(file.load(path()), RegistryFile::LoadStatus::Loaded);
  struct Row {
    const QString& key;
    const char* name;
    std::uint32_t value;
  };
  const Row rows[] = {
      {SettingsStore::kFontKey, "fontcolor", 255},       {SettingsStore::kFontKey, "LineColor", 255},
      {SettingsStore::kFontKey, "MeasureTxtColor", 255}, {SettingsStore::kFontKey, "fontsize", 16},
      {SettingsStore::kFontKey, "Linewidth", 2},         {SettingsStore::kFontKey, "Linetype", 0},
      {SettingsStore::kLanguageKey, "LanID", 0},         {SettingsStore::kLanguageKey, "SubLanIDD", 0},
      {SettingsStore::kLanguageKey, "ImageFormat", 2},   {SettingsStore::kLanguageKey, "IsEnableSnap", 0},
      {SettingsStore::kLanguageKey, "sys_date", 1},      {SettingsStore::kUnitsKey, "decimal", 3},
  };
  for (const Row& row : rows) {
    const auto v = file.value(row.key, QString::fromLatin1(row.name));
    ASSERT_TRUE(v.has_value()) << row.name;
    EXPECT_EQ(v->type, RegistryValue::Type::Dword) << row.name;
    EXPECT_EQ(v->bytes, RegistryValue::dword(row.value).bytes) << row.name;
  }
  // The first-run unit is "mm" with its terminator: 6 bytes.
  const auto unit = file.value(SettingsStore::kUnitsKey, QStringLiteral("unit"));
  ASSERT_TRUE(unit.has_value());
  EXPECT_EQ(unit->type, RegistryValue::Type::String);
  EXPECT_EQ(unit->bytes, QByteArray("m\0m\0\0\0", 6));
}

TEST_F(SettingsStoreTest, ValuesPersistAcrossARestart) {
  {
    Settings settings;
    SettingsStore store(path(), settings);
    store.ensureFirstRunDefaults();
    store.saveImageFormat(ImageFormat::Bmp);
    store.saveUnits(QStringLiteral("inch"), 2);
    store.saveLanguage({PrimaryLanguage::Chinese, SubLanguage::Simplified});
    store.saveLineColor(0x00FF00);
  }
  Settings settings;
  SettingsStore store(path(), settings);
  EXPECT_FALSE(store.ensureFirstRunDefaults());  // an existing registry is not overwritten
  store.loadAll();
  EXPECT_EQ(settings.imageFormat, ImageFormat::Bmp);
  EXPECT_EQ(settings.unit, QStringLiteral("inch"));
  EXPECT_EQ(settings.decimals, 2u);
  EXPECT_EQ(settings.language(), (Language{PrimaryLanguage::Chinese, SubLanguage::Simplified}));
  EXPECT_EQ(settings.lineColor, 0x00FF00u);
  EXPECT_EQ(settings.lineWidth, 2u);
}

TEST_F(SettingsStoreTest, UnitIsStoredInTwelveBytesAndCutToFiveCharacters) {
  Settings settings;
  SettingsStore store(path(), settings);
  store.saveUnits(QStringLiteral("micron"), 1);
  RegistryFile file;
  file.load(path());
  EXPECT_EQ(file.value(SettingsStore::kUnitsKey, QStringLiteral("unit"))->bytes.size(), 12);
  Settings reread;
  SettingsStore(path(), reread).loadUnits();
  EXPECT_EQ(reread.unit, QStringLiteral("micro"));
}

TEST_F(SettingsStoreTest, MissingAndMistypedValuesKeepTheirDefaults) {
  ASSERT_TRUE(writeBytes(path(),
                         "Windows Registry Editor Version 5.00\n\n"
                         "[HKEY_CURRENT_USER\\SOFTWARE\\rizavuvavaZo\\font]\n"
                         "\"fontsize\"=\"twelve\"\n"
                         "\"Linewidth\"=hex:03,00\n"
                         "[HKEY_CURRENT_USER\\SOFTWARE\\rizavuvavaZo\\Units]\n"
                         "\"unit\"=hex(1):6d,00,69,00,63,00,72,00,6f,00,6e,00,00,00\n"));
  Settings settings;
  SettingsStore store(path(), settings);
  store.loadAll();
  const Settings defaults;
  EXPECT_EQ(settings.fontSize, defaults.fontSize);
  EXPECT_EQ(settings.lineWidth, 1u);               // not yet read successfully
  EXPECT_EQ(settings.unit, QStringLiteral("mm"));  // 14 bytes do not fit the 12-byte variable
  EXPECT_EQ(settings.imageFormat, defaults.imageFormat);
}

TEST_F(SettingsStoreTest, CorruptRegistryIsSetAsideAndDefaultsApply) {
  const QByteArray corrupt =
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\SOFTWARE\\rizavuvavaZo\\LanguageID]\n"
      "\"ImageFormat\"=dword:0000";  // truncated mid-value
  ASSERT_TRUE(writeBytes(path(), corrupt));
  Settings settings;
  SettingsStore store(path(), settings);
  store.loadImageFormat();
  EXPECT_EQ(settings.imageFormat, ImageFormat::Jpeg);
  EXPECT_EQ(readBytes(path() + QStringLiteral(".bad")), corrupt);
  // The next start writes fresh defaults beside the kept bad file.
  EXPECT_TRUE(store.ensureFirstRunDefaults());
  EXPECT_EQ(readBytes(path() + QStringLiteral(".bad")), corrupt);
  RegistryFile file;
  EXPECT_EQ(file.load(path()), RegistryFile::LoadStatus::Loaded);
}

TEST(RegistryFileTest, ParsesWhatItWritesAndRejectsGarbage) {
  RegistryFile file;
  file.setValue(QStringLiteral("SOFTWARE\\x\\y"), QStringLiteral("quote\"d"), RegistryValue::dword(0xDEADBEEF));
  file.setValue(QStringLiteral("SOFTWARE\\x\\y"), QStringLiteral("s"),
                RegistryValue::stringBytes(QByteArray("a\0\0\0", 4)));
  RegistryFile again;
  ASSERT_TRUE(again.parse(file.serialise()));
  EXPECT_EQ(again.value(QStringLiteral("software\\X\\Y"), QStringLiteral("QUOTE\"D"))->bytes,
            RegistryValue::dword(0xDEADBEEF).bytes);
  EXPECT_TRUE(again.hasKey(QStringLiteral("SOFTWARE\\x")));
  EXPECT_FALSE(again.hasKey(QStringLiteral("SOFTWARE\\xy")));

  for (const char* bad : {"not a registry", "Windows Registry Editor Version 5.00\n\"orphan\"=dword:00000001\n",
                          "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\a]\n\"v\"=dword:zz000000\n",
                          "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\a\n",
                          "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\a]\n\"v\"=hex:1,2,300\n"}) {
    RegistryFile f;
    EXPECT_FALSE(f.parse(bad)) << bad;
  }
}

}  // namespace
}  // namespace lumivex
