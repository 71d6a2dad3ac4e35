#include "core/startup_settings.h"
#include "core/app_context.h"
#include "core/localisation.h"
#include "tests/support/temp_home.h"
#include "widgets/calibrate_prompt_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileInfo>

namespace lumivex {
namespace {

class StartupSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedLang_ = qgetenv("LANG");
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
  }
  void TearDown() override {
    qputenv("LANG", savedLang_);
    AppContext::shutdown();
  }
  test::TempHome home_;
  QByteArray savedLang_;
};

TEST_F(StartupSettingsTest, FirstStartCreatesFoldersAndFollowsTheSystemLanguage) {
  qputenv("LANG", "zh_CN.UTF-8");
  AppContext& context = AppContext::initialise();
  loadStartupSettings(context);
  EXPECT_TRUE(QFileInfo(context.folders().pictureFolder()).isDir());
  EXPECT_TRUE(QFileInfo::exists(home_.registryFile()));
  EXPECT_TRUE(localisation().languageFile().endsWith(QStringLiteral("/Chinese936.ini")));
  EXPECT_TRUE(localisation().helpFile().endsWith(QStringLiteral("/Lumivex-CN.html")));
  EXPECT_EQ(context.settings().lineWidth, 2u);
  // The locale's choice is not stored: "LanID" stays 0 until the user picks a language.
  Settings reread;
  SettingsStore(home_.registryFile(), reread).loadLanguage();
  EXPECT_EQ(reread.languageId, PrimaryLanguage::None);
}

TEST_F(StartupSettingsTest, StoredLanguageWinsOverTheSystemOne) {
  qputenv("LANG", "zh_CN.UTF-8");
  {
    Settings s;
    SettingsStore store(home_.registryFile(), s);
    store.ensureFirstRunDefaults();
    store.saveLanguage({PrimaryLanguage::Chinese, SubLanguage::Traditional});
  }
  AppContext& context = AppContext::initialise();
  loadStartupSettings(context);
  EXPECT_TRUE(localisation().languageFile().endsWith(QStringLiteral("/Chinese950.ini")));
  EXPECT_TRUE(localisation().helpFile().endsWith(QStringLiteral("/Lumivex-EN.html")));
  EXPECT_NE(LookupText("MsgTitle", 64, QStringLiteral("x")), QStringLiteral("x"));
}

TEST_F(StartupSettingsTest, CalibratePromptStoresItsCheckBox) {
  AppContext& context = AppContext::initialise();
  loadStartupSettings(context);
  for (const bool checked : {false, true}) {
    CalibratePromptDialog dialog(context.store());
    auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("1230"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isChecked());
    box->setChecked(checked);
    dialog.accept();
    Settings reread;
    SettingsStore(home_.registryFile(), reread).loadCalibratePrompt();
    EXPECT_EQ(reread.calibratePrompt, checked);
  }
}

}  // namespace
}  // namespace lumivex
