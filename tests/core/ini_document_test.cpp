#include "core/ini_document.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace lumivex {
namespace {

TEST(IniDocumentTest, WritesKeepEveryOtherLine) {
  IniDocument doc;
  ASSERT_TRUE(doc.parse("; calibration\r\n[20]\r\n20=12.3\r\n\r\n[200]\r\n200=1.5\r\nodd line\r\n"));
  doc.setValue(QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("99"));
  doc.setValue(QStringLiteral("20"), QStringLiteral("20"), QStringLiteral("12.4"));
  doc.setValue(QStringLiteral("200"), QStringLiteral("extra"), QStringLiteral("1"));
  EXPECT_EQ(doc.serialise(),
            "; calibration\r\n[20]\r\n20=12.4\r\n\r\n[200]\r\n200=1.5\r\nodd line\r\nextra=1\r\n[2]\r\n2=99\r\n");
  EXPECT_EQ(doc.value(QStringLiteral("20"), QStringLiteral("20")), QStringLiteral("12.4"));
  EXPECT_EQ(doc.value(QStringLiteral("2"), QStringLiteral("2")), QStringLiteral("99"));
  EXPECT_FALSE(doc.value(QStringLiteral("2"), QStringLiteral("20")).has_value());
}

// The lookup rules hold through the index, before and after the document is changed.
TEST(IniDocumentTest, LookupRules) {
  IniDocument doc;
  ASSERT_TRUE(
      doc.parse("top=0\n[ Quorvanta ]\n Key = \"quoted\" \n;Key=comment\nkey=second\nEmpty=\n"
                "[quorvanta]\nOnly=later section\n[Other]\nKey=other\n"));
  const struct {
    const char* section;
    const char* key;
    std::optional<QString> value;
  } cases[] = {
      {"QUORVANTA", "kEY", QStringLiteral("quoted")},  // trimmed, case-insensitive, first of equal keys
      {"Quorvanta", "Empty", QString()},
      {"Quorvanta", "Only", std::nullopt},  // only the first section of a name counts
      {"Quorvanta", ";Key", std::nullopt},
      {"Other", "key", QStringLiteral("other")},
      {"", "top", std::nullopt},  // lines before any section belong to none
      {"Missing", "Key", std::nullopt},
  };
  for (int round = 0; round < 2; ++round) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.section) + "/" + c.key);
      EXPECT_EQ(doc.value(QString::fromLatin1(c.section), QString::fromLatin1(c.key)), c.value);
    }
    // Lines moved by an insertion: the index follows.
    doc.setValue(QStringLiteral("Quorvanta"), QStringLiteral("Added"), QStringLiteral("1"));
  }
  EXPECT_EQ(doc.value(QStringLiteral("quorvanta"), QStringLiteral("added")), QStringLiteral("1"));
  doc.setValue(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v"));
  EXPECT_EQ(doc.value(QStringLiteral("new"), QStringLiteral("K")), QStringLiteral("v"));
}

TEST(IniDocumentTest, NewKeyGoesBeforeTheBlankLinesEndingItsSection) {
  IniDocument doc;
  ASSERT_TRUE(doc.parse("[A]\nx=1\n\n\n[B]\ny=2\n"));
  doc.setValue(QStringLiteral("a"), QStringLiteral("z"), QStringLiteral("3"));
  EXPECT_EQ(doc.serialise(), "[A]\nx=1\nz=3\n\n\n[B]\ny=2\n");
}

TEST(IniDocumentTest, KeepsItsEncodingWhenSaved) {
  test::TempHome home;
  const QString path = home.path() + QStringLiteral("/u16.ini");
  const QString body = QStringLiteral("[S]\nk=v\n");
  QByteArray bytes = "\xFF\xFE";
  bytes += QByteArray(reinterpret_cast<const char*>(body.utf16()), body.size() * 2);
  ASSERT_TRUE(test::writeBytes(path, bytes));
  IniDocument doc;
  ASSERT_TRUE(doc.load(path));
  doc.setValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("ü"));
  ASSERT_TRUE(doc.save(path));
  const QByteArray saved = test::readBytes(path);
  EXPECT_TRUE(saved.startsWith("\xFF\xFE"));
  IniDocument again;
  ASSERT_TRUE(again.load(path));
  EXPECT_EQ(again.value(QStringLiteral("s"), QStringLiteral("K")), QStringLiteral("ü"));
}

TEST(IniDocumentTest, StructuresCarryAChecksum) {
  QByteArray bytes;
  for (int i = 0; i < 92; ++i) bytes += static_cast<char>(i * 7);
  const QString text = IniDocument::encodeStruct(bytes);
  EXPECT_EQ(text.size(), 186);
  EXPECT_EQ(text.left(6), QStringLiteral("00070E"));
  EXPECT_EQ(IniDocument::decodeStruct(text, 92), bytes);
  QString flipped = text;
  flipped[10] = flipped[10] == u'0' ? u'1' : u'0';
  EXPECT_FALSE(IniDocument::decodeStruct(flipped, 92).has_value());
  EXPECT_FALSE(IniDocument::decodeStruct(text, 91).has_value());
  EXPECT_FALSE(IniDocument::decodeStruct(text.left(185) + u'G', 92).has_value());
}

}  // namespace
}  // namespace lumivex
