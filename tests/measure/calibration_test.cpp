#include "core/app_context.h"
#include "core/scripted_prompter.h"
#include "measure/calibration_dialog.h"
#include "measure/calibration_file.h"
#include "measure/calibration_state.h"
#include "measure/number_text.h"
#include "measure/rate_derivation.h"
#include "measure/result_text.h"
#include "measure/units.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using test::readBytes;
using test::writeBytes;

struct RateCase {
  const char* magnification;
  const char* calibration;
  int width;
  int height;
  bool highResolution;
  double referenceRate;
  double rate;
};

TEST(DeriveRate, EveryRowOfTheTable) {
  const RateCase cases[] = {
      {"20", "", 640, 480, false, 20, 10},  // r = 10 is not above 10
      {"40", "", 640, 480, false, 34, 17},
      {"100X", "", 640, 480, false, 94, 47},  // the number a text starts with
      {"20", "", 640, 480, true, 20, 5},      // r = 8 > 5: 8 - 3
      {"10", "", 640, 480, true, 10, 4},
      {"30", "", 640, 480, true, 22.5, 9},
      {"30", "", 1280, 960, true, 27, 27},
      {"8", "", 1280, 960, true, 8, 8},
      {"12", "", 1280, 960, true, 12, 9},  // rate subtracts above 10, reference above 20
      {"40", "", 320, 240, false, 28, 7},
      {"16", "", 320, 240, false, 16, 4},
      {"40", "", 1600, 1200, false, 37, 37},
      {"20", "", 1600, 1200, false, 20, 20},
      {"40", "", 320, 240, true, 37, 37},           // high resolution at 320 x 240: the "other size" row
      {"40", "12.3", 640, 480, false, 12.3, 6.15},  // a calibration replaces the magnification
      {"", "12.3", 640, 480, true, 12.3, 12.3 * 0.4},
      {"", "12.3", 320, 240, false, 12.3, 12.3 * 0.25},
      {"", "12.3", 1280, 960, false, 12.3, 12.3},
  };
  for (const RateCase& c : cases) {
    SCOPED_TRACE(std::string(c.magnification) + "/" + c.calibration + " " + std::to_string(c.width));
    const auto result = computeRate({c.magnification, c.calibration, c.width, c.height, c.highResolution});
    ASSERT_TRUE(result);
    EXPECT_DOUBLE_EQ(result->referenceRate, c.referenceRate);
    EXPECT_DOUBLE_EQ(result->rate, c.rate);
  }
}

TEST(DeriveRate, CalibrationStartUsesTheMagnification) {
  const auto start = computeRate({"40", "12.3", 640, 480, false}, RateForm::CalibrationStart);
  ASSERT_TRUE(start);
  EXPECT_DOUBLE_EQ(start->referenceRate, 40);
  EXPECT_DOUBLE_EQ(start->rate, 20);
  // Without a magnification a calibration has nothing to be relative to.
  EXPECT_FALSE(computeRate({"", "12.3", 640, 480, false}, RateForm::CalibrationStart));
}

TEST(DeriveRate, FailureAsksForTheScaleAndChangesNothing) {
  auto* scripted = new ScriptedPrompter;
  auto previous = installPrompter(std::unique_ptr<Prompter>(scripted));
  ViewRate view{5, 7};
  for (const char* magnification : {"", "abc", "0", "-20"}) {
    EXPECT_FALSE(deriveRate(nullptr, {magnification, "", 640, 480, false}, view));
  }
  EXPECT_EQ(view.rate, 7);
  EXPECT_EQ(view.referenceRate, 5);
  ASSERT_EQ(scripted->records().size(), 4u);
  EXPECT_EQ(scripted->records()[0].text, QStringLiteral("Please input the zoomIn scale!"));
  EXPECT_EQ(scripted->records()[0].icon, MessageIcon::Warning);

  EXPECT_TRUE(deriveRate(nullptr, {"40", "", 640, 480, false}, view));
  EXPECT_EQ(view.rate, 17);
  EXPECT_EQ(view.referenceRate, 34);
  installPrompter(std::move(previous));
}

// Two views derive their rates independently: a calibration started in one keeps its reference while the
// other chooses a tool.
TEST(DeriveRate, EachViewKeepsItsOwnReference) {
  ViewRate workspace, live;
  ASSERT_TRUE(deriveRate(nullptr, {"40", "12.3", 640, 480, false}, workspace, RateForm::CalibrationStart));
  ASSERT_TRUE(deriveRate(nullptr, {"200", "", 1280, 960, true}, live));
  EXPECT_EQ(workspace.referenceRate, 40);
  EXPECT_EQ(live.referenceRate, 197);
  calibrationState().unitName.assign(QStringLiteral("mm"));
  calibrationState().decimals = 3;
  const LineCalibrationResult r = finishLineCalibration(200, 0.02963, 2.0, 0.5, workspace);
  EXPECT_EQ(r.label, QStringLiteral("L:2.000mm"));
  EXPECT_EQ(live.referenceRate, 197);
}

TEST(LineCalibration, ValueScaleAndLabel) {
  // A 200-pixel line measured at magnification 40 (640 x 480): reference 40, rate 20 at the start.
  CalibrationState& state = calibrationState();
  state.unitName.assign(QStringLiteral("mm"));
  state.decimals = 2;
  ViewRate view{40, 20};
  const double p = 200, factor = 0.02963, actual = 2.5;
  const LineCalibrationResult ok = finishLineCalibration(p, factor, actual, 0.5, view);
  const double v = 200 * 0.02963 * 10 / 20 / 2.5 * 40;  // the same as p x factor x 10 / (actual x s) here
  ASSERT_TRUE(ok.calibrated);
  EXPECT_DOUBLE_EQ(ok.calibrationValue, v);
  EXPECT_DOUBLE_EQ(view.referenceRate, v * 0.5);
  // The label now reads the entered distance.
  EXPECT_EQ(ok.label, QStringLiteral("L:2.50mm"));
  EXPECT_EQ(calibrationText(v), QStringLiteral("47.4"));

  view = {40, 20};
  const LineCalibrationResult cancelled = finishLineCalibration(p, factor, std::nullopt, 0.5, view);
  EXPECT_FALSE(cancelled.calibrated);
  EXPECT_EQ(view.referenceRate, 20);
  EXPECT_EQ(cancelled.label, QStringLiteral("L:2.96mm"));
}

// Wherever the start's rate disagreed with its reference (the rate table subtracts from one and not the
// other), the first calibration read its own reference wrongly (2 mm as 1.25 mm). It must read it back
// exactly at every size, model and magnification, calibrated or not before.
TEST(LineCalibration, FirstCalibrationReproducesItsReference) {
  CalibrationState& state = calibrationState();
  state.unitName.assign(QStringLiteral("mm"));
  state.decimals = 3;
  struct Size {
    int w, h;
    bool hr;
  };
  const Size sizes[] = {{640, 480, true},  {1280, 960, true},   {1600, 1200, true}, {320, 240, false},
                        {640, 480, false}, {1280, 1024, false}, {800, 600, false}};
  for (const Size& size : sizes) {
    for (const char* m : {"5", "10", "12", "15", "16", "20", "25", "40", "100", "300"}) {
      for (const char* stored : {"", "33.3"}) {
        SCOPED_TRACE(QStringLiteral("%1x%2 hr=%3 m=%4 c=%5")
                         .arg(size.w)
                         .arg(size.h)
                         .arg(size.hr)
                         .arg(m)
                         .arg(stored)
                         .toStdString());
        ViewRate view;
        ASSERT_TRUE(deriveRate(nullptr, {m, stored, size.w, size.h, size.hr}, view, RateForm::CalibrationStart));
        const double s = rateSizeScale(size.w, size.h, size.hr);
        const double factor = canvasUnitFactor(QStringLiteral("mm"), size.w, size.h, false);
        const LineCalibrationResult r = finishLineCalibration(173, factor, 2.0, s, view);
        ASSERT_TRUE(r.calibrated);
        EXPECT_EQ(r.label, QStringLiteral("L:2.000mm"));
        // The stored value, rounded as the scale box holds it, measures the line at about 2 mm again.
        ViewRate after;
        ASSERT_TRUE(deriveRate(nullptr, {m, calibrationText(r.calibrationValue), size.w, size.h, size.hr}, after));
        const UnitConversion u{factor, after.rate, 3, QStringLiteral("mm")};
        EXPECT_NEAR(u.length(173), 2.0, 2.0 * 0.05 / r.calibrationValue + 1e-9);
      }
    }
  }
  // The 640 x 480 high-resolution case the old formula got wrong: m = 16, rate 3.4 against 16 x 0.4.
  ViewRate view;
  ASSERT_TRUE(deriveRate(nullptr, {"16", "", 640, 480, true}, view, RateForm::CalibrationStart));
  EXPECT_DOUBLE_EQ(view.rate, 3.4);
  const double older = 173 * kMmFactor * 10 / view.rate / 2.0 * view.referenceRate;
  const UnitConversion olderReads{kMmFactor, older * 0.4, 3, QStringLiteral("mm")};
  EXPECT_EQ(olderReads.lengthText(173), QStringLiteral("L:1.063mm"));
  const UnitConversion reads{kMmFactor, lineCalibrationValue(173, kMmFactor, 2.0, 0.4) * 0.4, 3, QStringLiteral("mm")};
  EXPECT_EQ(reads.lengthText(173), QStringLiteral("L:2.000mm"));
}

TEST(Units, BufferIsClearedAndNamesMapped) {
  UnitName unit(QStringLiteral("inch"));
  unit.assign(QStringLiteral("mm"));
  EXPECT_EQ(unit.text(), QStringLiteral("mm"));
  EXPECT_EQ(unit.buffer()[2], 0);
  EXPECT_EQ(unit.buffer()[3], 0);
  unit.assign(QStringLiteral("a-very-long-unit-name"));
  EXPECT_EQ(unit.text().size(), UnitName::kCapacity - 1);

  EXPECT_DOUBLE_EQ(unitFactorFor(QStringLiteral("cm")), 0.002963);
  EXPECT_DOUBLE_EQ(unitFactorFor(QStringLiteral("furlong")), 0.02963);
  EXPECT_EQ(knownUnit(QStringLiteral("furlong")), QStringLiteral("mm"));
  EXPECT_EQ(decimalsOfOption(1297), 4);
  EXPECT_EQ(unitOfOption(1172), QStringLiteral("inch"));
  EXPECT_DOUBLE_EQ(canvasUnitFactor(QStringLiteral("mm"), 1600, 1200, false), 0.02963 * 2.5);
  EXPECT_DOUBLE_EQ(canvasUnitFactor(QStringLiteral("mm"), 1280, 1024, false), 0.02963 * 2);
  EXPECT_DOUBLE_EQ(canvasUnitFactor(QStringLiteral("mm"), 800, 600, false), 0.02963 * 0.5);
  EXPECT_DOUBLE_EQ(canvasUnitFactor(QStringLiteral("mm"), 800, 600, true), 0.02963);
}

TEST(Units, OptionsWriteBothRegistryValues) {
  test::TempHome home;
  AppContext::initialise();
  loadUnits();
  ASSERT_TRUE(chooseUnitOption(kUnitInchOption));
  ASSERT_TRUE(chooseDecimalsOption(1298));
  ASSERT_TRUE(chooseUnitOption(kUnitMmOption));
  EXPECT_FALSE(chooseUnitOption(1295));
  calibrationState().unitName.assign(QStringLiteral("cm"));
  calibrationState().decimals = 2;
  loadUnits();
  EXPECT_EQ(calibrationState().unitName.text(), QStringLiteral("mm"));
  EXPECT_EQ(calibrationState().decimals, 5);
  AppContext::shutdown();
}

TEST(NumberText, ReadsTheLeadingNumberOnly) {
  const std::pair<const char*, double> cases[] = {
      {"12.3", 12.3}, {"  7", 7}, {"100X", 100}, {"-2.5e1z", -25}, {"2e", 2},    {".5", 0.5},
      {"abc", 0},     {"", 0},    {"1,5", 1},    {"+3", 3},        {"1e999", 0}, {"inf", 0},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_DOUBLE_EQ(leadingNumber(QString::fromLatin1(text)), expected) << text;
}

TEST(MagnificationText, TakenFromStillNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"/x/Still_2014-05-06_101112_100X_N0008.jpg", "100"},
      {"Still_2014-05-06_101112_20X_N0001.bmp", "20"},
      {"Still_2014-05-06_101112_N0001.bmp", ""},
      {"photo.jpg", ""},
      {"a_b.jpg", ""},
      {"", ""},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(magnificationFromFileName(name), QString(expected)) << name;
}

class CalibrationFileTest : public ::testing::Test {
 protected:
  QString path() const { return home_.path() + QStringLiteral("/CalibrationIni.ini"); }
  QByteArray storeInto(const QByteArray& before, const char* mag, const char* value) {
    writeBytes(path(), before);
    EXPECT_TRUE(storeCalibration(path(), mag, value));
    return readBytes(path());
  }
  test::TempHome home_;
};

TEST_F(CalibrationFileTest, StoreCases) {
  struct Case {
    const char* name;
    QByteArray before;
    const char* mag;
    const char* value;
    QByteArray after;
  };
  const Case cases[] = {
      {"empty file", "", "20", "12.3", "[20]\n20=12.3\n"},
      {"replace", "[20]\n20=1.0\n", "20", "12.3", "[20]\n20=12.3\n"},
      {"append at end", "[20]\n", "20", "12.3", "[20]\n20=12.3\n"},
      {"before the next section", "[20]\nnote\n[30]\n30=1.0\n", "20", "5.0", "[20]\nnote\n20=5.0\n[30]\n30=1.0\n"},
      {"comments kept", "// header\n[20]\n// 20=9.9\n20=1.0\n", "20", "2.0", "// header\n[20]\n// 20=9.9\n20=2.0\n"},
      {"new section", "[30]\n30=1.0\n", "20", "5.0", "[30]\n30=1.0\n[20]\n20=5.0\n"},
      {"2 beside 20 and 200", "[20]\n20=12.3\n[200]\n200=45.6\n", "2", "7.0",
       "[20]\n20=12.3\n[200]\n200=45.6\n[2]\n2=7.0\n"},
      {"20 beside 2 and 200", "[2]\n2=7.0\n[200]\n200=45.6\n", "20", "12.3",
       "[2]\n2=7.0\n[200]\n200=45.6\n[20]\n20=12.3\n"},
      {"trimmed, any case", " [20] \n 20 = 1.0\n", "20", "3.0", " [20] \n20=3.0\n"},
      {"no line end at the end", "[30]\n30=1.0", "20", "5.0", "[30]\n30=1.0\n[20]\n20=5.0\n"},
      {"CRLF kept", "[20]\r\n20=1.0\r\n[30]\r\n", "30", "2.0", "[20]\r\n20=1.0\r\n[30]\r\n30=2.0\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(storeInto(c.before, c.mag, c.value), c.after) << c.name;
}

TEST_F(CalibrationFileTest, LookupCases) {
  writeBytes(path(),
             "// calibrations\n[2]\n2=7.0\n[20]\n// 20=99.9\n20=12.3\n[200]\n[ 2X ]\n2X = 8.5 \n[5]\nnothing here\n");
  const std::pair<const char*, std::optional<QString>> cases[] = {
      {"2", QStringLiteral("7.0")}, {"20", QStringLiteral("12.3")},
      {"200", std::nullopt},        {"2x", QStringLiteral("8.5")},
      {"5", std::nullopt},          {"50", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [mag, expected] : cases) EXPECT_EQ(lookupCalibration(path(), mag), expected) << mag;
}

TEST_F(CalibrationFileTest, TwoTwentyTwoHundredCoexist) {
  for (const auto& [mag, value] : {std::pair{"20", "12.3"}, {"200", "45.6"}, {"2", "7.0"}, {"20", "13.0"}})
    ASSERT_TRUE(storeCalibration(path(), mag, value));
  EXPECT_EQ(lookupCalibration(path(), "2"), QStringLiteral("7.0"));
  EXPECT_EQ(lookupCalibration(path(), "20"), QStringLiteral("13.0"));
  EXPECT_EQ(lookupCalibration(path(), "200"), QStringLiteral("45.6"));
}

TEST_F(CalibrationFileTest, OddFilesSurviveAStore) {
  const QByteArray longLine(100000, 'x');
  const QByteArray before = "\xEF\xBB\xBF[10]\r\n10=3.0\r\n\r\nno equals sign\r\n" + longLine +
                            "\r\n[unclosed\r\n\xFF\xFE binary\r\n[20]\r\n20=1.0";
  writeBytes(path(), before);
  EXPECT_EQ(lookupCalibration(path(), "10"), QStringLiteral("3.0"));
  ASSERT_TRUE(storeCalibration(path(), "20", "2.0"));
  QByteArray expected = before;
  expected.replace("20=1.0", "20=2.0");
  EXPECT_EQ(readBytes(path()), expected);
  ASSERT_TRUE(storeCalibration(path(), "30", "4.0"));
  EXPECT_EQ(readBytes(path()), expected + "\r\n[30]\r\n30=4.0\r\n");
  // The write went through a temporary file that is gone now.
  EXPECT_EQ(QDir(home_.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(CalibrationFileTest, UnreadableFileFindsNothingAndWritesNothing) {
  QDir(home_.path()).mkdir(QStringLiteral("CalibrationIni.ini"));
  EXPECT_FALSE(lookupCalibration(path(), "20"));
  EXPECT_FALSE(storeCalibration(path(), "20", "1.0"));
  EXPECT_FALSE(storeCalibration(home_.path() + QStringLiteral("/x.ini"), "  ", "1.0"));
}

TEST(CalibrationDialogTest, AcceptsOnlyAPositiveNumber) {
  auto* scripted = new ScriptedPrompter;
  auto previous = installPrompter(std::unique_ptr<Prompter>(scripted));
  CalibrationDialog dialog(QStringLiteral("mil"));
  auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("1149"));
  auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("1"));
  ASSERT_TRUE(edit && ok);
  for (const char* bad : {"0", "abc", "", "-3"}) {
    edit->setText(bad);
    ok->click();
    EXPECT_FALSE(dialog.actualDistance()) << bad;
  }
  EXPECT_EQ(scripted->messageTexts(), std::vector<QString>(4, QStringLiteral("Please enter digital!")));
  edit->setText(QStringLiteral("12.5 mm"));
  ok->click();
  EXPECT_EQ(dialog.actualDistance(), 12.5);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  installPrompter(std::move(previous));
}

}  // namespace
}  // namespace lumivex
