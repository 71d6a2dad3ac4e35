// Every writer of the program against the same hostile folders (a full disk, a read-only folder, a
// read-only target, a target that is a directory or a link to a FIFO): each one fails, says why where
// it can, keeps the old file byte for byte and leaves no temporary behind.
#include "capture/cap_config.h"
#include "core/data_folders.h"
#include "core/settings_store.h"
#include "image/cx_image.h"
#include "library/media_commands.h"
#include "measure/calibration_file.h"
#include "measure/font_store.h"
#include "measure/log_font.h"
#include "tests/support/small_disk.h"
#include "tests/support/temp_home.h"
#include "tests/support/wait_until.h"
#include "tests/support/write_failures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <functional>
#include <optional>

namespace lumivex {
namespace {

using test::WriteFailure;

// A writer of the program: writes its file at target and returns the reason of a failure, or nullopt
// on success. A writer that has no reason to give returns an empty text on failure.
struct Writer {
  const char* name;
  const char* fileName;
  QByteArray oldBytes;  // a valid file of the writer's kind, to be kept
  std::function<std::optional<QString>(const QString& target)> write;
  bool needsRealDisk = false;  // another process: the fault seam does not reach it
};

std::optional<QString> reasonOf(const WriteResult& result) {
  return result ? std::nullopt : std::optional<QString>(result.reason);
}

QString sourceFolder() {
  static QTemporaryDir dir;
  return dir.path();
}

QString sourcePicture(const char* name, const char* format) {
  const QString path = sourceFolder() + u'/' + QString::fromLatin1(name);
  QImage picture(64, 48, QImage::Format_RGB888);
  picture.fill(QColor(20, 120, 220));
  picture.save(path, format);
  return path;
}

// Runs lumivex-image; nullopt on status 0, else its error text.
std::optional<QString> runTool(const QStringList& args) {
  QProcess tool;
  tool.start(qEnvironmentVariable("LUMIVEX_BINARY_DIR") + QStringLiteral("/tools/lumivex_image/lumivex-image"), args);
  if (!tool.waitForFinished(test::kWaitDeadlineMs)) {
    tool.kill();
    tool.waitForFinished();
    return QStringLiteral("did not finish");
  }
  if (tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0) return std::nullopt;
  return QString::fromLocal8Bit(tool.readAllStandardError()).trimmed();
}

const QByteArray kRegistry =
    "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\SOFTWARE\\rizavuvavaZo\\font]\n"
    "\"LineColor\"=dword:00112233\n";

std::vector<Writer> writers() {
  return {
      {"settings", "registry.reg", kRegistry,
       [](const QString& target) {
         Settings settings;
         return reasonOf(
             SettingsStore(target, settings).saveLanguage({PrimaryLanguage::English, SubLanguage::Neutral}));
       }},
      {"data root", "folderpath.dat", QByteArray(520, 'a'),
       [](const QString& target) {
         return reasonOf(DataFolders::writeFolderPathFile(target, QStringLiteral("/media/pictures")));
       }},
      {"capture format", "CapConfig.dat", CapConfig::defaultFormat(640, 480).bytes(),
       [](const QString& target) { return reasonOf(CapConfig::defaultFormat(1600, 1200).write(target)); }},
      {"font file", "Measurefont.ini", "[FONT]\nLOGFONT=00\n",
       [](const QString& target) { return reasonOf(saveFontFile(target, LogFont())); }},
      {"calibration", "CalibrationIni.ini", "[20]\n20=1.0\n",
       [](const QString& target) {
         return reasonOf(storeCalibration(target, QStringLiteral("40"), QStringLiteral("2.5")));
       }},
      {"picture", "picture.jpg", "old picture",
       [](const QString& target) -> std::optional<QString> {
         CxImage image(sourcePicture("in.bmp", "BMP"), CxImage::kTypeBmp);
         if (image.Save(target, CxImage::kTypeJpg)) return std::nullopt;
         return QString::fromLocal8Bit(image.GetLastError());
       }},
      {"copy", "copy.jpg", "old copy",
       [](const QString& target) { return reasonOf(MediaCommands::copyFile(sourcePicture("in.jpg", "JPG"), target)); }},
      {"conversion", "converted.jpg", "old conversion",
       [](const QString& target) -> std::optional<QString> {
         QString reason;
         const auto result = MediaCommands::convert(sourcePicture("in.bmp", "BMP"), target, true, &reason);
         if (result == MediaCommands::Conversion::Done) return std::nullopt;
         return reason;
       }},
      {"lumivex-image convert", "tool.bmp", "old tool output",
       [](const QString& target) {
         return runTool({QStringLiteral("convert"), sourcePicture("in.jpg", "JPG"), target});
       },
       true},
      {"lumivex-image calibration store", "ToolCalibration.ini", "[20]\n20=1.0\n",
       [](const QString& target) {
         return runTool({QStringLiteral("calibration"), QStringLiteral("store"), target, QStringLiteral("40"),
                         QStringLiteral("2.5")});
       },
       true},
  };
}

TEST(ProgramWritersTest, EveryWriterKeepsTheOldFileAndSaysWhy) {
  test::TempHome home;
  for (const Writer& writer : writers()) {
    for (WriteFailure failure : test::allWriteFailures()) {
      SCOPED_TRACE(std::string(writer.name) + ", " + test::nameOf(failure));
      test::WriteFailureStage stage;
      if (writer.needsRealDisk && failure == WriteFailure::DiskFull && !stage.onRealDisk()) continue;
      const QString target = stage.path(QString::fromLatin1(writer.fileName));
      stage.arm(failure, target, writer.oldBytes);
      const std::optional<QString> reason = writer.write(target);
      ASSERT_TRUE(reason.has_value()) << "reported success";
      bool said = false;
      for (const QString& expected : stage.expectedReasons()) said = said || reason->contains(expected);
      EXPECT_TRUE(said) << reason->toStdString();
      EXPECT_TRUE(stage.targetUnchanged());
      stage.disarm();
      EXPECT_EQ(stage.leftoverTemporaries(), QStringList());
    }
  }
}

// The same writers on a healthy folder write their file, so the table above fails for the right reason.
TEST(ProgramWritersTest, EveryWriterWritesOnAHealthyFolder) {
  test::TempHome home;
  QTemporaryDir dir;
  for (const Writer& writer : writers()) {
    SCOPED_TRACE(writer.name);
    const QString target = dir.filePath(QString::fromLatin1(writer.fileName));
    ASSERT_TRUE(test::writeBytes(target, writer.oldBytes));
    const std::optional<QString> reason = writer.write(target);
    EXPECT_FALSE(reason.has_value()) << reason.value_or(QString()).toStdString();
    EXPECT_NE(test::readBytes(target), writer.oldBytes);
  }
}

// lumivex-image reads only regular files: a FIFO must not hold it up, and each refusal says what is wrong.
TEST(ProgramWritersTest, ToolSaysWhyAnInputIsNoPicture) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath(QStringLiteral("fifo"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString folder = dir.filePath(QStringLiteral("folder.bmp"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const struct {
    QString input;
    const char* said;
  } cases[] = {
      {fifo, "Not a regular file"},
      {folder, "Is a directory"},
      {dir.filePath(QStringLiteral("missing.bmp")), "No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    const std::optional<QString> reason =
        runTool({QStringLiteral("convert"), c.input, dir.filePath(QStringLiteral("out.bmp"))});
    ASSERT_TRUE(reason.has_value());
    EXPECT_TRUE(reason->contains(QLatin1String(c.said))) << reason->toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out.bmp"))));
  }
}

}  // namespace
}  // namespace lumivex
