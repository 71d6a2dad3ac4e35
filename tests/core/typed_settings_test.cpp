// The typed settings against their stored numbers: what a stored number reads as, and what a typed value
// is written as.
#include "core/registry_file.h"
#include "core/settings_store.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

namespace lumivex {
namespace {

std::uint32_t storedDword(const QString& path, const char* name) {
  RegistryFile file;
  if (file.load(path) != RegistryFile::LoadStatus::Loaded) return 0xFFFFFFFF;
  const auto v = file.value(SettingsStore::kLanguageKey, QString::fromLatin1(name));
  if (!v || v->bytes.size() != 4) return 0xFFFFFFFF;
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(static_cast<unsigned char>(v->bytes[i])) << (8 * i);
  return value;
}

void storeDword(const QString& path, const char* name, std::uint32_t value) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  RegistryFile file;
  file.load(path);
  file.setValue(SettingsStore::kLanguageKey, QString::fromLatin1(name), RegistryValue::dword(value));
  ASSERT_TRUE(file.saveAtomically(path));
}

TEST(TypedSettingsTest, StoredNumbersReadAsTypedValues) {
  test::TempHome home;
  const QString path = home.registryFile();
  struct Row {
    std::uint32_t stored;
    bool snap;  // IsEnableSnap and sys_date: on only for 1
    ImageFormat format;
  };
  for (const Row& row : {Row{1, true, ImageFormat::Bmp}, Row{0, false, ImageFormat::Jpeg},
                         Row{2, false, ImageFormat::Jpeg}, Row{7, false, ImageFormat::Jpeg}}) {
    SCOPED_TRACE(row.stored);
    storeDword(path, "IsEnableSnap", row.stored);
    storeDword(path, "sys_date", row.stored);
    storeDword(path, "ImageFormat", row.stored);
    Settings settings;
    SettingsStore store(path, settings);
    store.loadEnableSnap();
    store.loadCalibratePrompt();
    store.loadImageFormat();
    EXPECT_EQ(settings.enableSnap, row.snap);
    EXPECT_EQ(settings.calibratePrompt, row.snap);
    EXPECT_EQ(settings.imageFormat, row.format);
  }
  // A language id the program has no name for is kept as it is.
  storeDword(path, "LanID", 12);
  storeDword(path, "SubLanIDD", 2);
  Settings settings;
  SettingsStore(path, settings).loadLanguage();
  EXPECT_EQ(settings.languageId, PrimaryLanguage::French);
  EXPECT_EQ(settings.subLanguage, SubLanguage::Simplified);
  storeDword(path, "LanID", 77);
  SettingsStore(path, settings).loadLanguage();
  EXPECT_EQ(static_cast<std::uint32_t>(settings.languageId), 77u);
}

TEST(TypedSettingsTest, TypedValuesAreWrittenAsTheirNumbers) {
  test::TempHome home;
  const QString path = home.registryFile();
  Settings settings;
  SettingsStore store(path, settings);
  for (const bool on : {true, false}) {
    ASSERT_TRUE(store.saveEnableSnap(on));
    ASSERT_TRUE(store.saveCalibratePrompt(on));
    EXPECT_EQ(storedDword(path, "IsEnableSnap"), on ? 1u : 0u);
    EXPECT_EQ(storedDword(path, "sys_date"), on ? 1u : 0u);
  }
  ASSERT_TRUE(store.saveImageFormat(ImageFormat::Bmp));
  EXPECT_EQ(storedDword(path, "ImageFormat"), 1u);
  ASSERT_TRUE(store.saveImageFormat(ImageFormat::Jpeg));
  EXPECT_EQ(storedDword(path, "ImageFormat"), 2u);
  ASSERT_TRUE(store.saveLanguage({PrimaryLanguage::Russian}));
  EXPECT_EQ(storedDword(path, "LanID"), 25u);
  EXPECT_EQ(storedDword(path, "SubLanIDD"), 0u);
  ASSERT_TRUE(store.saveLanguage({PrimaryLanguage::Chinese, SubLanguage::Traditional}));
  EXPECT_EQ(storedDword(path, "LanID"), 4u);
  EXPECT_EQ(storedDword(path, "SubLanIDD"), 1u);
}

}  // namespace
}  // namespace lumivex
