#include "library/media_commands.h"

#include "core/app_events.h"
#include "core/control_ids.h"
#include "core/scripted_prompter.h"
#include "library/thumbnail_strip.h"
#include "tests/library/library_test_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

// Collects the application messages posted to it.
class Receiver : public QObject {
 public:
  std::vector<std::pair<int, QString>> messages;
  bool event(QEvent* event) override {
    if (const auto* picture = appEventCast<OpenPictureEvent>(event)) {
      messages.emplace_back(msg::kOpenPicture, picture->path);
      return true;
    }
    if (const auto* video = appEventCast<OpenVideoEvent>(event)) {
      messages.emplace_back(msg::kOpenVideo, video->path);
      return true;
    }
    return QObject::event(event);
  }
};

class MediaCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pictures_ = dir_.filePath(QStringLiteral("Picture"));
    videos_ = dir_.filePath(QStringLiteral("Video"));
    out_ = dir_.filePath(QStringLiteral("Out"));
    for (const QString& d : {pictures_, videos_, out_}) QDir().mkpath(d);
    auto scripted = std::make_unique<ScriptedPrompter>();
    prompter_ = scripted.get();
    previous_ = installPrompter(std::move(scripted));
  }
  void TearDown() override { installPrompter(std::move(previous_)); }

  // Scans the folders and makes the named file of the shown list current.
  void scanAndSelect(const QString& name, ThumbnailStrip::Folder folder = ThumbnailStrip::Folder::Pictures) {
    strip_.ScanFolders(pictures_, videos_);
    strip_.showFolder(folder);
    const auto& entries = strip_.shownList().entries();
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
      if (QFileInfo(entries[static_cast<std::size_t>(i)].path).fileName() == name) {
        ASSERT_TRUE(strip_.shownList().setCurrent(i));
        return;
      }
    }
    FAIL() << "not listed: " << name.toStdString();
  }
  void answerSave(const QString& path) { prompter_->push(std::optional<FileAnswer>(FileAnswer{path, {}})); }
  std::vector<QString> texts() const { return prompter_->messageTexts(); }
  QStringList filesIn(const QString& folder) const { return QDir(folder).entryList(QDir::Files, QDir::Name); }

  QTemporaryDir dir_;
  QString pictures_, videos_, out_;
  ThumbnailStrip strip_;
  Receiver receiver_;
  MediaCommands commands_{strip_, &receiver_};
  ScriptedPrompter* prompter_ = nullptr;
  std::unique_ptr<Prompter> previous_;
};

TEST_F(MediaCommandsTest, EveryCommandNeedsASelection) {
  ASSERT_TRUE(test::writePicture(pictures_ + QStringLiteral("/a.jpg"), {64, 48}, Qt::red, "JPG"));
  strip_.ScanFolders(pictures_, videos_);
  for (const int command :
       {ids::kOpenFile, ids::kSaveFileAs, ids::kSaveAllFiles, ids::kDeleteFile, ids::kDeleteAllFiles}) {
    EXPECT_TRUE(commands_.run(command));
  }
  EXPECT_FALSE(commands_.emailTarget());
  EXPECT_EQ(texts(), std::vector<QString>(6, QStringLiteral("Please select one image or video")));
  EXPECT_EQ(prompter_->records().front().icon, MessageIcon::Warning);
  EXPECT_EQ(filesIn(pictures_).size(), 1);
  EXPECT_FALSE(commands_.run(ids::kEmail));  // e-mail is not a file command
}

TEST_F(MediaCommandsTest, OpenPostsOnlyForWorkspaceSizesAndVideos) {
  ASSERT_TRUE(test::writePicture(pictures_ + QStringLiteral("/small.jpg"), {800, 600}, Qt::red, "JPG"));
  ASSERT_TRUE(test::writePicture(pictures_ + QStringLiteral("/vga.BMP"), {640, 480}, Qt::red, "BMP"));
  ASSERT_TRUE(test::writePicture(pictures_ + QStringLiteral("/odd.Jpg"), {640, 480}, Qt::red, "JPG"));
  ASSERT_TRUE(test::writeBytes(videos_ + QStringLiteral("/Video_1.avi"), QByteArray(100, 'x')));
  const struct {
    const char* name;
    ThumbnailStrip::Folder folder;
    int message;  // 0: nothing is opened
  } cases[] = {
      {"small.jpg", ThumbnailStrip::Folder::Pictures, 0},
      {"vga.BMP", ThumbnailStrip::Folder::Pictures, msg::kOpenPicture},
      {"odd.Jpg", ThumbnailStrip::Folder::Pictures, 0},  // only "jpg" and "JPG" are pictures
      {"Video_1.avi", ThumbnailStrip::Folder::Videos, msg::kOpenVideo},
  };
  for (const auto& c : cases) {
    receiver_.messages.clear();
    scanAndSelect(QString::fromLatin1(c.name), c.folder);
    commands_.open();
    QCoreApplication::sendPostedEvents(&receiver_);
    if (c.message == 0) {
      EXPECT_TRUE(receiver_.messages.empty()) << c.name;
    } else {
      ASSERT_EQ(receiver_.messages.size(), 1u) << c.name;
      EXPECT_EQ(receiver_.messages[0].first, c.message);
      EXPECT_TRUE(receiver_.messages[0].second.endsWith(QString::fromLatin1(c.name)));
    }
  }
}

TEST_F(MediaCommandsTest, SaveAsConvertsBothWaysAndCopiesOtherwise) {
  ASSERT_TRUE(test::writePicture(pictures_ + QStringLiteral("/p.jpg"), {640, 480}, Qt::red, "JPG"));
  ASSERT_TRUE(test::writePicture(pictures_ + QStringLiteral("/q.bmp"), {320, 240}, Qt::blue, "BMP"));
  const struct {
    const char* source;
    const char* target;
    const char* identified;
  } cases[] = {
      {"p.jpg", "p.bmp", "BMP 640x480"},
      {"q.bmp", "q.JPG", "JPEG 320x240"},
      {"p.jpg", "copy.jpg", "JPEG 640x480"},
      {"q.bmp", "q2", "BMP 320x240"},  // the default extension is added
  };
  for (const auto& c : cases) {
    scanAndSelect(QString::fromLatin1(c.source));
    answerSave(out_ + QLatin1Char('/') + QString::fromLatin1(c.target));
    commands_.saveAs();
    QString written = out_ + QLatin1Char('/') + QString::fromLatin1(c.target);
    if (!QFileInfo::exists(written)) written += QStringLiteral(".bmp");
    const QString seen = test::identify(written);  // ImageMagick: "JPEG 640x480", "BMP3 320x240"
    const QString want = QString::fromLatin1(c.identified);
    EXPECT_EQ(seen.left(3), want.left(3)) << c.target << " " << seen.toStdString();
    EXPECT_EQ(seen.section(QLatin1Char(' '), 1), want.section(QLatin1Char(' '), 1)) << c.target;
  }
  EXPECT_EQ(test::readBytes(out_ + QStringLiteral("/copy.jpg")), test::readBytes(pictures_ + QStringLiteral("/p.jpg")));
  EXPECT_TRUE(texts().empty());
  // The mark flag of the saved entry is cleared.
  EXPECT_EQ(strip_.CurrentEntry()->flags & MediaEntry::kMarked, 0u);
}

TEST_F(MediaCommandsTest, SaveAsRefusalsAndFailures) {
  ASSERT_TRUE(test::writePicture(pictures_ + QStringLiteral("/p.jpg"), {64, 48}, Qt::red, "JPG"));
  ASSERT_TRUE(test::writeBytes(pictures_ + QStringLiteral("/junk.bmp"), QByteArray(60, 'x')));
  scanAndSelect(QStringLiteral("p.jpg"));
  answerSave(pictures_ + QStringLiteral("/again.bmp"));
  commands_.saveAs();
  EXPECT_FALSE(QFileInfo::exists(pictures_ + QStringLiteral("/again.bmp")));
  ASSERT_EQ(prompter_->records().size(), 2u);  // the dialog, then the refusal
  EXPECT_EQ(prompter_->records()[1].title, QStringLiteral("Save file"));
  EXPECT_EQ(prompter_->records()[1].text, QStringLiteral("Can't save file to temp directory!!"));

  prompter_->clearRecords();
  scanAndSelect(QStringLiteral("junk.bmp"));
  ASSERT_TRUE(test::writeBytes(out_ + QStringLiteral("/junk.jpg"), "keep"));
  answerSave(out_ + QStringLiteral("/junk.jpg"));
  commands_.saveAs();
  EXPECT_EQ(texts(), std::vector<QString>{QStringLiteral("imageSave Create fail")});
  EXPECT_EQ(test::readBytes(out_ + QStringLiteral("/junk.jpg")), QByteArray("keep"));  // the old target survives

  prompter_->clearRecords();
  scanAndSelect(QStringLiteral("p.jpg"));
  commands_.saveAs();  // cancelled dialog
  EXPECT_EQ(prompter_->records().size(), 1u);
}

TEST_F(MediaCommandsTest, DeleteAndItsFailure) {
  ASSERT_TRUE(test::writePicture(pictures_ + QStringLiteral("/a.jpg"), {64, 48}, Qt::red, "JPG"));
  ASSERT_TRUE(test::writePicture(pictures_ + QStringLiteral("/b.jpg"), {64, 48}, Qt::red, "JPG"));
  scanAndSelect(QStringLiteral("a.jpg"));
  prompter_->push(MessageAnswer::No);
  commands_.deleteCurrent();
  EXPECT_EQ(filesIn(pictures_).size(), 2);
  prompter_->push(MessageAnswer::Yes);
  commands_.deleteCurrent();
  EXPECT_EQ(filesIn(pictures_), QStringList{QStringLiteral("b.jpg")});
  EXPECT_EQ(strip_.pictures().count(), 1);
  EXPECT_FALSE(strip_.CurrentEntry());

  scanAndSelect(QStringLiteral("b.jpg"));
  ASSERT_TRUE(QFile::remove(pictures_ + QStringLiteral("/b.jpg")));
  prompter_->clearRecords();
  prompter_->push(MessageAnswer::Yes);
  commands_.deleteCurrent();
  ASSERT_EQ(prompter_->records().size(), 2u);
  EXPECT_EQ(prompter_->records()[1].title, QStringLiteral("Capture"));
  EXPECT_EQ(prompter_->records()[1].icon, MessageIcon::Error);
  EXPECT_FALSE(prompter_->records()[1].text.isEmpty());
}

TEST_F(MediaCommandsTest, DeleteAllByTheExactExtension) {
  for (const char* name : {"a.jpg", "b.Jpg", "c.bmp"}) {
    ASSERT_TRUE(test::writePicture(pictures_ + QLatin1Char('/') + QString::fromLatin1(name), {64, 48}, Qt::red, "JPG"));
  }
  scanAndSelect(QStringLiteral("b.Jpg"));
  prompter_->push(MessageAnswer::Yes);
  commands_.deleteAll();
  EXPECT_EQ(filesIn(pictures_).size(), 3);  // "Jpg" is neither spelling: nothing is deleted
  EXPECT_EQ(strip_.pictures().count(), 0);  // but the list is emptied

  scanAndSelect(QStringLiteral("a.jpg"));
  prompter_->push(MessageAnswer::Yes);
  commands_.deleteAll();
  EXPECT_TRUE(filesIn(pictures_).isEmpty());
  EXPECT_EQ(texts(), std::vector<QString>(2, QStringLiteral("Are you sure to delete all?")));
}

TEST_F(MediaCommandsTest, SaveAllAsksPerExistingFileThenDeletes) {
  for (const char* name : {"a.jpg", "b.jpg", "c.bmp"}) {
    ASSERT_TRUE(test::writePicture(pictures_ + QLatin1Char('/') + QString::fromLatin1(name), {64, 48}, Qt::red, "JPG"));
  }
  ASSERT_TRUE(test::writeBytes(out_ + QStringLiteral("/b.jpg"), "older"));
  scanAndSelect(QStringLiteral("a.jpg"));
  answerSave(out_ + QStringLiteral("/anything"));
  prompter_->push(MessageAnswer::No);   // keep the existing b.jpg
  prompter_->push(MessageAnswer::Yes);  // then delete all
  commands_.saveAll();
  EXPECT_EQ(filesIn(out_), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), QStringLiteral("c.bmp")}));
  EXPECT_EQ(test::readBytes(out_ + QStringLiteral("/b.jpg")), QByteArray("older"));
  EXPECT_TRUE(filesIn(pictures_).isEmpty());
  ASSERT_EQ(texts().size(), 2u);
  EXPECT_EQ(texts()[0], QStringLiteral("b.jpg\nThis file already exists\nReplace existing file?"));
  EXPECT_EQ(prompter_->records()[0].text, QStringLiteral("/a.jpg b.jpg c.bmp "));  // the suggested name
}

TEST_F(MediaCommandsTest, SaveAllIntoItsOwnFolderIsRefused) {
  ASSERT_TRUE(test::writePicture(pictures_ + QStringLiteral("/a.jpg"), {64, 48}, Qt::red, "JPG"));
  scanAndSelect(QStringLiteral("a.jpg"));
  answerSave(pictures_ + QStringLiteral("/x"));
  prompter_->push(MessageAnswer::Yes);
  prompter_->push(MessageAnswer::Yes);
  commands_.saveAll();
  EXPECT_EQ(filesIn(pictures_), QStringList{QStringLiteral("a.jpg")});
  EXPECT_EQ(texts(), std::vector<QString>{QStringLiteral("Can't save file to temp directory!!")});
}

}  // namespace
}  // namespace lumivex
