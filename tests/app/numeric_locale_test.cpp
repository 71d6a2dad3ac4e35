// Numbers the program writes or prints must not follow the user's locale: under de_DE, C functions
// write "0,7", which readers of our files and scripts reading our output refuse. The German locale is
// built into a temporary folder, so no installed locale (and no root) is needed.
#include "core/settings_store.h"
#include "measure/calibration_file.h"
#include "measure/rate_derivation.h"
#include "tests/support/temp_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <optional>
#include <string>

namespace lumivex {
namespace {

constexpr char kGerman[] = "de_DE.UTF-8";

class NumericLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QProcess localedef;
    localedef.start(QStringLiteral("localedef"),
                    {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                     locales_.filePath(QString::fromLatin1(kGerman))});
    if (!localedef.waitForFinished(test::kWaitDeadlineMs) || localedef.exitCode() != 0)
      GTEST_SKIP() << "localedef cannot build de_DE here";
  }

  // The environment of a German user.
  QProcessEnvironment german() const {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("LOCPATH"), locales_.path());
    e.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(kGerman));
    return e;
  }

  // stdout of a program run in the German environment; nullopt when it fails.
  std::optional<QString> run(const QString& program, const QStringList& args) const {
    QProcess process;
    process.setProcessEnvironment(german());
    process.start(program, args);
    if (!process.waitForFinished(test::kWaitDeadlineMs)) {
      process.kill();
      process.waitForFinished();
      return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
  }

  std::optional<QString> tool(const QStringList& args) const {
    return run(qEnvironmentVariable("LUMIVEX_BINARY_DIR") + QStringLiteral("/tools/lumivex_image/lumivex-image"), args);
  }

  QTemporaryDir locales_;
};

TEST_F(NumericLocaleTest, LumivexImagePrintsAndStoresDecimalPoints) {
  // The locale really is German, or the checks below prove nothing.
  ASSERT_EQ(run(QStringLiteral("/usr/bin/printf"), {QStringLiteral("%.1f"), QStringLiteral("1")}),
            QStringLiteral("1,0"));

  QTemporaryDir dir;
  const QString blank = dir.filePath(QStringLiteral("blank.bmp"));
  QImage picture(64, 64, QImage::Format_RGB888);
  picture.fill(Qt::white);
  ASSERT_TRUE(picture.save(blank, "BMP"));
  const QString calibration = dir.filePath(QStringLiteral("CalibrationIni.ini"));

  const struct {
    const char* name;
    QStringList args;
    QString printed;  // exact output, or empty to check only that no decimal comma appears
  } cases[] = {
      // Clicks on a blank picture find no edge and count as they are: the circle through them.
      {"detect circle",
       {QStringLiteral("detect"), QStringLiteral("circle"), blank, QStringLiteral("10"), QStringLiteral("20"),
        QStringLiteral("20"), QStringLiteral("10"), QStringLiteral("30"), QStringLiteral("20")},
       QStringLiteral("20.0000 20.0000 10.0000")},
      {"measure line",
       {QStringLiteral("measure"), QStringLiteral("line"), QStringLiteral("--rate"), QStringLiteral("3"),
        QStringLiteral("--decimals"), QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("0"),
        QStringLiteral("30"), QStringLiteral("40")},
       {}},
      {"calibration store",
       {QStringLiteral("calibration"), QStringLiteral("store"), calibration, QStringLiteral("40"),
        QStringLiteral("2.5")},
       QString()},
      {"calibration lookup",
       {QStringLiteral("calibration"), QStringLiteral("lookup"), calibration, QStringLiteral("40")},
       QStringLiteral("2.5")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<QString> out = tool(c.args);
    ASSERT_TRUE(out.has_value());
    if (!c.printed.isEmpty()) {
      EXPECT_EQ(*out, c.printed);
    }
    EXPECT_FALSE(out->contains(QRegularExpression(QStringLiteral("\\d,\\d")))) << out->toStdString();
  }
}

// The settings and the calibration file read back what was written while the process runs German.
TEST_F(NumericLocaleTest, SettingsAndCalibrationRoundTripUnderGermanLocale) {
  const QByteArray oldLocpath = qgetenv("LOCPATH");
  const std::string oldLocale = std::setlocale(LC_ALL, nullptr);
  qputenv("LOCPATH", QFile::encodeName(locales_.path()));
  ASSERT_NE(std::setlocale(LC_ALL, kGerman), nullptr);
  char sample[16];
  std::snprintf(sample, sizeof sample, "%.1f", 0.7);
  EXPECT_STREQ(sample, "0,7");

  test::TempHome home;
  Settings written;
  SettingsStore store(home.registryFile(), written);
  EXPECT_TRUE(store.saveUnits(QStringLiteral("µm"), 4));
  EXPECT_TRUE(store.saveLineColor(0x00123456));
  EXPECT_TRUE(store.saveFontSize(22));
  EXPECT_TRUE(store.saveLanguage({PrimaryLanguage::German, SubLanguage::Neutral}));
  Settings read;
  SettingsStore(home.registryFile(), read).loadAll();
  EXPECT_EQ(read.unit, QStringLiteral("µm"));
  EXPECT_EQ(read.decimals, 4u);
  EXPECT_EQ(read.lineColor, 0x00123456u);
  EXPECT_EQ(read.fontSize, 22u);
  EXPECT_EQ(read.languageId, PrimaryLanguage::German);

  const QString calibration = home.path() + QStringLiteral("/CalibrationIni.ini");
  EXPECT_TRUE(storeCalibration(calibration, QStringLiteral("40"), calibrationText(2.5)));
  EXPECT_EQ(lookupCalibration(calibration, QStringLiteral("40")), QStringLiteral("2.5"));

  std::setlocale(LC_ALL, oldLocale.c_str());
  if (oldLocpath.isNull()) {
    qunsetenv("LOCPATH");
  } else {
    qputenv("LOCPATH", oldLocpath);
  }
}

}  // namespace
}  // namespace lumivex
