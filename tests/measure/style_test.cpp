#include "core/app_context.h"
#include "core/ini_document.h"
#include "core/scripted_prompter.h"
#include "measure/calibration_state.h"
#include "measure/drawing_style.h"
#include "measure/font_store.h"
#include "measure/setting_dialog.h"
#include "measure/text_dialog.h"
#include "tests/support/temp_home.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

class StyleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppContext::initialise();
    previous_ = installPrompter(std::unique_ptr<Prompter>(scripted_));
  }
  void TearDown() override {
    installPrompter(std::move(previous_));
    AppContext::shutdown();
  }
  test::TempHome home_;
  ScriptedPrompter* scripted_ = new ScriptedPrompter;
  std::unique_ptr<Prompter> previous_;
};

LogFont sampleFont() {
  LogFont f;
  f.height = -23;
  f.width = 7;
  f.escapement = 900;
  f.orientation = -1;
  f.weight = 700;
  f.italic = 1;
  f.strikeOut = 1;
  f.charSet = 0;
  f.outPrecision = 3;
  f.clipPrecision = 2;
  f.quality = 5;
  f.pitchAndFamily = 34;
  f.setFace(QString::fromUtf8("Noto Sans \xE4\xB8\xAD"));
  return f;
}

TEST_F(StyleTest, LogFontRoundTripsThroughTheFileByteForByte) {
  const LogFont font = sampleFont();
  const QByteArray bytes = font.toBytes();
  ASSERT_EQ(bytes.size(), 92);
  EXPECT_EQ(bytes.mid(0, 4), QByteArray::fromHex("e9ffffff"));  // -23, little-endian
  EXPECT_EQ(bytes.mid(28, 2), QByteArray("N\0", 2));
  ASSERT_TRUE(saveFontFile(measureFontPath(), font));
  IniDocument document;
  ASSERT_TRUE(document.load(measureFontPath()));
  const QString value = *document.value("FONT", "LOGFONT");
  EXPECT_EQ(value.size(), 186);
  EXPECT_EQ(value, value.toUpper());
  const std::optional<LogFont> back = loadFontFile(measureFontPath());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->toBytes(), bytes);
}

TEST_F(StyleTest, MissingOrCorruptFontFileGivesArial14) {
  const LogFont arial = LogFont::defaultFont();
  EXPECT_EQ(arial.face(), QStringLiteral("Arial"));
  EXPECT_EQ(arial.height, 14);
  EXPECT_EQ(arial.weight, 400);
  EXPECT_EQ(arial.charSet, 134);
  EXPECT_EQ(arial.pitchAndFamily, 50);
  EXPECT_FALSE(loadDrawingStyle().measureFontFromFile);
  EXPECT_EQ(loadDrawingStyle().measureFont, arial);

  ASSERT_TRUE(saveFontFile(measureFontPath(), sampleFont()));
  QByteArray text = test::readBytes(measureFontPath());
  const qsizetype at = text.indexOf("LOGFONT=") + 8;
  text[at] = text[at] == '0' ? '1' : '0';  // one digit wrong: the checksum no longer matches
  test::writeBytes(measureFontPath(), text);
  const DrawingStyle style = loadDrawingStyle();
  EXPECT_FALSE(style.measureFontFromFile);
  EXPECT_EQ(style.measureFont, arial);
  test::writeBytes(measureFontPath(), "[FONT]\nLOGFONT=00FF\n");
  EXPECT_FALSE(loadFontFile(measureFontPath()));

  const QFont q = toQFont(arial);
  EXPECT_EQ(q.pixelSize(), 14);
  EXPECT_EQ(QFontInfo(q).pixelSize(), 14);
}

TEST_F(StyleTest, QFontMappingKeepsWhatQtCannotHold) {
  const LogFont font = sampleFont();
  const QFont q = toQFont(font);
  EXPECT_EQ(q.pixelSize(), 23);
  EXPECT_EQ(q.weight(), QFont::Bold);
  EXPECT_TRUE(q.italic());
  EXPECT_TRUE(q.strikeOut());
  EXPECT_FALSE(q.underline());
  EXPECT_EQ(fromQFont(q, font), font);
}

TEST_F(StyleTest, DashAndDotForceWidthOne) {
  DrawingStyle style;
  style.lineWidth = 3;
  SettingDialog dialog(style);
  auto* width = dialog.findChild<QSpinBox*>("1160");
  ASSERT_TRUE(width);
  EXPECT_EQ(width->value(), 3);
  for (const char* id : {"1155", "1156"}) {
    width->setValue(3);
    dialog.findChild<QRadioButton*>(id)->click();
    EXPECT_EQ(width->value(), 1) << id;
    EXPECT_EQ(dialog.style().lineWidth, 1);
  }
  dialog.findChild<QRadioButton*>("1154")->click();
  width->setValue(2);
  EXPECT_EQ(dialog.style().lineWidth, 2);
  EXPECT_EQ(dialog.style().lineType, kPenSolid);
}

TEST_F(StyleTest, SettingDialogStoresWhatItShould) {
  Settings& settings = AppContext::current().settings();
  {
    SettingDialog dialog(loadDrawingStyle());
    scripted_->push(std::optional<QColor>(QColor(0, 0, 255)));
    dialog.findChild<QPushButton*>("1159")->click();
    QFont chosen("Arial");
    chosen.setPixelSize(30);
    scripted_->push(std::optional<QFont>(chosen));
    scripted_->push(std::optional<QColor>(QColor(0, 255, 0)));
    dialog.findChild<QPushButton*>("3")->click();
    dialog.findChild<QSpinBox*>("1160")->setValue(3);
    dialog.findChild<QRadioButton*>("1172")->click();  // inch, stored at once
    dialog.reject();
  }
  // Cancel: the colour, the font file and the unit stay; width and text colour do not.
  AppContext::current().store().loadAll();
  EXPECT_EQ(settings.lineColor, 0xFF0000u);
  EXPECT_EQ(settings.unit, QStringLiteral("inch"));
  EXPECT_NE(settings.lineWidth, 3u);
  EXPECT_EQ(loadFontFile(measureFontPath())->height, -30);

  {
    SettingDialog dialog(loadDrawingStyle());
    scripted_->push(std::optional<QFont>(QFont("Arial", 12)));
    scripted_->push(std::optional<QColor>(QColor(0, 255, 0)));
    dialog.findChild<QPushButton*>("3")->click();
    dialog.findChild<QSpinBox*>("1160")->setValue(3);
    dialog.findChild<QPushButton*>("1")->click();
  }
  AppContext::current().store().loadAll();
  EXPECT_EQ(settings.lineWidth, 3u);
  EXPECT_EQ(settings.measureTextColor, 0x00FF00u);
  EXPECT_EQ(settings.fontSize, 16u);  // 12 points at 96 dpi
}

TEST_F(StyleTest, ShowUncertaintyIsOffUntilChosenAndStoredAtOnce) {
  Settings& settings = AppContext::current().settings();
  loadUnits();
  EXPECT_FALSE(calibrationState().showUncertainty);
  {
    SettingDialog dialog(loadDrawingStyle());
    auto* box = dialog.findChild<QCheckBox*>("2001");
    ASSERT_TRUE(box);
    EXPECT_FALSE(box->isChecked());
    box->click();
    dialog.reject();  // stored at once, like the unit
  }
  EXPECT_TRUE(calibrationState().showUncertainty);
  settings.showUncertainty = false;
  calibrationState().showUncertainty = false;
  loadUnits();
  EXPECT_TRUE(settings.showUncertainty);
  EXPECT_TRUE(calibrationState().showUncertainty);
  SettingDialog again(loadDrawingStyle());
  auto* box = again.findChild<QCheckBox*>("2001");
  EXPECT_TRUE(box->isChecked());
  box->click();
  loadUnits();
  EXPECT_FALSE(calibrationState().showUncertainty);
}

TEST_F(StyleTest, TextDialogLimitAndFont) {
  TextDialog dialog;
  auto* edit = dialog.findChild<QLineEdit*>("1121");
  ASSERT_TRUE(edit);
  edit->setText(QString(300, u'x'));
  EXPECT_EQ(dialog.text().size(), 254);
  EXPECT_EQ(dialog.font(), LogFont::defaultFont());
  QFont chosen("Arial");
  chosen.setPixelSize(20);
  chosen.setUnderline(true);
  scripted_->push(std::optional<QFont>(chosen));
  scripted_->push(std::optional<QColor>(QColor(1, 2, 3)));
  dialog.findChild<QPushButton*>("1142")->click();
  AppContext::current().store().loadFontColor();
  EXPECT_EQ(AppContext::current().settings().fontColor, 0x030201u);
  const std::optional<LogFont> stored = loadFontFile(textFontPath());
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->height, -20);
  EXPECT_EQ(stored->underline, 1);
  TextDialog reopened;
  EXPECT_EQ(reopened.font(), *stored);
  EXPECT_EQ(reopened.color(), 0x030201u);
}

}  // namespace
}  // namespace lumivex
