#include "core/ini_document.h"
#include "core/text_codec.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <QDir>

namespace lumivex {
namespace {

QStringList keysOf(const IniDocument& doc) {
  QStringList keys;
  bool inSection = false;
  for (const QString& line : doc.lines()) {
    const QString t = line.trimmed();
    if (t.startsWith(u'[')) {
      inSection = t.compare(QStringLiteral("[Quorvanta]"), Qt::CaseInsensitive) == 0;
    } else if (inSection && t.contains(u'=') && !t.startsWith(u';')) {
      keys << t.left(t.indexOf(u'=')).trimmed();
    }
  }
  return keys;
}

TEST(LanguageFilesTest, EveryShippedFileDecodesWithTheEnglishKeySet) {
  const QDir dir(test::sourcePath(QStringLiteral("resources/lang")));
  IniDocument english;
  ASSERT_TRUE(english.load(dir.filePath(QStringLiteral("English1252.ini"))));
  const QStringList englishKeys = keysOf(english);
  ASSERT_GE(englishKeys.size(), 190);

  const QStringList expected = {"English1252.ini", "Chinese936.ini",  "Chinese950.ini",     "Japanese932.ini",
                                "Korean949.ini",   "German1252.ini",  "Portuguese1252.ini", "Turkish1254.ini",
                                "Thai874.ini",     "Russian1251.ini", "Bulgarian442.ini",   "Persian874.ini"};
  for (const QString& name : expected) {
    const QString path = dir.filePath(name);
    ASSERT_TRUE(QFile::exists(path)) << name.toStdString();
    IniDocument doc;
    ASSERT_TRUE(doc.load(path, codePageFromFileName(name))) << name.toStdString();
    EXPECT_EQ(keysOf(doc), englishKeys) << name.toStdString();
    for (const QString& key : englishKeys) {
      const auto value = doc.value(QStringLiteral("Quorvanta"), key);
      ASSERT_TRUE(value.has_value());
      EXPECT_FALSE(value->contains(QChar::ReplacementCharacter)) << name.toStdString() << " " << key.toStdString();
      if (key.startsWith(QStringLiteral("Tip"))) {
        EXPECT_LE(value->size(), 127) << key.toStdString();
      }
    }
  }
}

TEST(LanguageFilesTest, TheKeysTheShellNeedsAreThere) {
  IniDocument english;
  ASSERT_TRUE(english.load(test::sourcePath(QStringLiteral("resources/lang/English1252.ini"))));
  for (const char* key : {"MsgTitle", "ConnectMsg", "EscRestore", "CalibrateBeforeMeasure", "TipPrompt", "EnterRate",
                          "TipCamera", "TipSwitchEnable", "TipSwitchDisable", "Help", "Update", "About"}) {
    EXPECT_TRUE(english.value(QStringLiteral("Quorvanta"), QLatin1String(key)).has_value()) << key;
  }
  EXPECT_EQ(english.value(QStringLiteral("Quorvanta"), QStringLiteral("MsgTitle")), QStringLiteral("Lumivex"));
  EXPECT_EQ(english.value(QStringLiteral("Quorvanta"), QStringLiteral("ConnectMsg")),
            QStringLiteral("Please connect Digital Microscope"));
}

}  // namespace
}  // namespace lumivex
