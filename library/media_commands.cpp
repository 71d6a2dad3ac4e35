#include "library/media_commands.h"

#include "core/app_events.h"
#include "core/atomic_file.h"
#include "core/control_ids.h"
#include "core/localisation.h"
#include "core/prompter.h"
#include "core/write_failure_notice.h"
#include "image/cx_image.h"
#include "library/thumbnail_strip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace lumivex {
namespace {

QString title() { return LookupText("MsgTitle", 64, QStringLiteral("Lumivex")); }

QString extensionOf(const QString& path) {
  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  return dot > slash ? path.mid(dot + 1) : QString();
}

bool isPictureExtension(const QString& ext) {
  return ext == QLatin1String("bmp") || ext == QLatin1String("BMP") || ext == QLatin1String("jpg") ||
         ext == QLatin1String("JPG");
}

bool isVideoExtension(const QString& ext) { return ext == QLatin1String("avi") || ext == QLatin1String("AVI"); }

QString folderOf(const QString& path) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  return slash < 0 ? QString() : path.left(slash);
}

bool sameFolder(const QString& a, const QString& b) {
  return QDir::cleanPath(a).compare(QDir::cleanPath(b), Qt::CaseInsensitive) == 0;
}

bool endsWithJpg(const QString& path) { return path.right(3).compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0; }

// Every file of a folder in name order; videos only "*.avi".
QStringList filesOf(const QString& folder, bool videos) {
  QDir dir(folder);
  if (videos) dir.setNameFilters({QStringLiteral("*.avi")});
  return dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
}

}  // namespace

MediaCommands::MediaCommands(ThumbnailStrip& strip, QObject* receiver, QWidget* dialogParent)
    : strip_(strip), receiver_(receiver), parent_(dialogParent) {}

bool MediaCommands::run(int command) {
  switch (command) {
    case ids::kOpenFile:
      open();
      return true;
    case ids::kSaveFileAs:
      saveAs();
      return true;
    case ids::kSaveAllFiles:
      saveAll();
      return true;
    case ids::kDeleteFile:
      deleteCurrent();
      return true;
    case ids::kDeleteAllFiles:
      deleteAll();
      return true;
    default:
      return false;
  }
}

bool MediaCommands::isWorkspaceSize(QSize size) {
  static constexpr QSize kSizes[] = {{1280, 1024}, {640, 480}, {320, 240}, {1280, 960}, {1600, 1200}};
  for (const QSize& s : kSizes) {
    if (s == size) return true;
  }
  return false;
}

std::optional<QString> MediaCommands::currentOrWarn() {
  if (const std::optional<MediaEntry> entry = strip_.CurrentEntry()) return entry->path;
  prompter().message(parent_, title(),
                     LookupText("SelectFile", 128, QStringLiteral("Please select one image or video")),
                     MessageIcon::Warning, MessageButtons::Ok);
  return std::nullopt;
}

void MediaCommands::warn(const QString& caption, const QString& text) {
  prompter().message(parent_, caption, text, MessageIcon::Warning, MessageButtons::Ok);
}

bool MediaCommands::askYesNo(const QString& text) {
  return prompter().message(parent_, title(), text, MessageIcon::Warning, MessageButtons::YesNo) == MessageAnswer::Yes;
}

void MediaCommands::open() {
  const std::optional<QString> path = currentOrWarn();
  if (!path) return;
  const QString ext = extensionOf(*path);
  if (isPictureExtension(ext)) {
    const bool jpeg = ext == QLatin1String("jpg") || ext == QLatin1String("JPG");
    const CxImage picture(*path, jpeg ? CxImage::kTypeJpg : CxImage::kTypeBmp);
    if (!picture.IsValid()) return;
    if (!isWorkspaceSize(QSize(static_cast<int>(picture.GetWidth()), static_cast<int>(picture.GetHeight())))) return;
    postAppEvent<OpenPictureEvent>(receiver_, *path);
  } else if (isVideoExtension(ext)) {
    postAppEvent<OpenVideoEvent>(receiver_, *path);
  }
}

WriteResult MediaCommands::copyFile(const QString& src, const QString& dst) {
  QFile in(src);
  if (!in.open(QIODevice::ReadOnly)) return WriteResult::failure(EIO, in.errorString());
  AtomicFile out(dst);
  if (WriteResult r = out.open(); !r) return r;
  std::vector<char> chunk(1 << 16);
  for (;;) {
    const qint64 n = in.read(chunk.data(), static_cast<qint64>(chunk.size()));
    if (n < 0) return WriteResult::failure(EIO, in.errorString());  // the half copy goes with out
    if (n == 0) break;
    if (WriteResult r = out.append(QByteArrayView(chunk.data(), n)); !r) return r;
  }
  return out.commit();
}

MediaCommands::Conversion MediaCommands::convert(const QString& src, const QString& dst, bool toJpeg, QString* reason) {
  CxImage picture(src, toJpeg ? CxImage::kTypeBmp : CxImage::kTypeJpg);
  if (!picture.IsValid()) return Conversion::LoadFailed;
  std::vector<std::uint8_t> bytes;
  if (!picture.Encode(bytes, toJpeg ? CxImage::kTypeJpg : CxImage::kTypeBmp)) return Conversion::SaveFailed;
  const QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  const WriteResult written = AtomicFile::write(dst, data);
  if (!written && reason != nullptr) *reason = written.reason;
  return written ? Conversion::Done : Conversion::SaveFailed;
}

void MediaCommands::saveAs() {
  const std::optional<QString> path = currentOrWarn();
  if (!path) return;
  const bool pictures = strip_.shownFolder() == ThumbnailStrip::Folder::Pictures;
  const QString name = QFileInfo(*path).fileName();
  FileRequest request;
  request.fileName = name.size() > 4 ? name.left(name.size() - 4) : QString();
  if (pictures) {
    request.filters = {QStringLiteral("Bitmap Files(*.bmp)"), QStringLiteral("JPEG Files(*.jpg)")};
  } else {
    request.filters = {QStringLiteral("AVI Files(*.avi)")};
  }
  request.selectedFilter = request.filters.front();
  const std::optional<FileAnswer> answer = prompter().saveFile(parent_, request);
  if (!answer || answer->path.isEmpty()) return;
  QString target = answer->path;
  if (QFileInfo(target).suffix().isEmpty()) {
    // The default extension, or the one of the filter the user picked.
    const bool jpegFilter = answer->selectedFilter.contains(QLatin1String("jpg"), Qt::CaseInsensitive);
    target += !pictures ? QStringLiteral(".avi") : jpegFilter ? QStringLiteral(".jpg") : QStringLiteral(".bmp");
  }

  const QString shown = strip_.shownFolderPath();
  if (target.size() >= shown.size() && sameFolder(folderOf(target), shown)) {
    prompter().message(parent_, QStringLiteral("Save file"), QStringLiteral("Can't save file to temp directory!!"),
                       MessageIcon::Warning, MessageButtons::Ok);
    return;
  }

  MediaList& list = strip_.shownList();
  const int index = list.currentEntry();
  if (index >= 0) list.setFlags(index, list.entries()[static_cast<std::size_t>(index)].flags & ~MediaEntry::kMarked);
  strip_.update();

  Conversion result = Conversion::Done;
  QString reason;
  const bool srcJpg = endsWithJpg(*path);
  const bool dstJpg = endsWithJpg(target);
  if (sameFolder(folderOf(target), strip_.videoFolder()) || srcJpg == dstJpg) {
    // A copy that did not happen is said: the user may go on to delete the original.
    if (const WriteResult copied = copyFile(*path, target); !copied) showWriteFailure(parent_, target, copied);
  } else {
    result = convert(*path, target, dstJpg, &reason);
  }
  if (result == Conversion::LoadFailed) warn(title(), QStringLiteral("imageSave Create fail"));
  if (result == Conversion::SaveFailed) {
    warn(title(), reason.isEmpty() ? QStringLiteral("Conpress fail") : QStringLiteral("Conpress fail\n") + reason);
  }
}

void MediaCommands::saveAll() {
  const std::optional<QString> path = currentOrWarn();
  if (!path) return;
  const QString ext = extensionOf(*path);
  const bool pictures = isPictureExtension(ext);
  if (!pictures && !isVideoExtension(ext)) return;
  if (pictures) {
    MediaList& list = strip_.shownList();
    for (int i = list.firstVisible(); i < list.count(); ++i) {
      list.setFlags(i, list.entries()[static_cast<std::size_t>(i)].flags | MediaEntry::kCurrent);
    }
  }
  const QString folder = pictures ? strip_.pictureFolder() : strip_.videoFolder();
  const QStringList files = filesOf(folder, !pictures);

  FileRequest request;
  for (qsizetype i = 0; i < std::min<qsizetype>(4, files.size()); ++i) request.fileName += files[i] + QLatin1Char(' ');
  request.filters = {pictures ? QStringLiteral(" Files(*.*)") : QStringLiteral("AVI Files(*.AVI)")};
  request.selectedFilter = request.filters.front();
  const std::optional<FileAnswer> answer = prompter().saveFile(parent_, request);
  if (!answer || answer->path.isEmpty()) return;
  const QString target = folderOf(answer->path);
  // Saving the folder onto itself would copy nothing, and the delete-all that follows would then
  // destroy the only copies.
  if (target.isEmpty() || sameFolder(target, folder)) {
    prompter().message(parent_, QStringLiteral("Save file"), QStringLiteral("Can't save file to temp directory!!"),
                       MessageIcon::Warning, MessageButtons::Ok);
    return;
  }

  QString firstFailure;
  for (const QString& name : files) {
    const QString dst = target + QLatin1Char('/') + name;
    if (QFileInfo::exists(dst)) {
      const QString question =
          QStringLiteral("%1\n%2\n%3")
              .arg(name, QStringLiteral("This file already exists"), QStringLiteral("Replace existing file?"));
      if (!askYesNo(question)) continue;
    }
    const WriteResult copied = copyFile(folder + QLatin1Char('/') + name, dst);
    if (!copied && firstFailure.isEmpty()) firstFailure = dst + u'\n' + copied.reason;
  }
  if (!firstFailure.isEmpty()) {
    // The originals are the only copies of what failed: nothing is deleted.
    warn(title(), LookupText("CopyFail", 128, QStringLiteral("Some files could not be copied; nothing was deleted.")) +
                      u'\n' + firstFailure);
    return;
  }
  runDeleteAll(ext);
}

void MediaCommands::deleteCurrent() {
  const std::optional<QString> path = currentOrWarn();
  if (!path) return;
  if (!askYesNo(LookupText("SureDelete", 128, QStringLiteral("Are you sure to delete?")))) return;
  // Linux would let the file being recorded go; the recording would then be lost when it closes.
  if (inUse(*path)) {
    tellInUse({QFileInfo(*path).fileName()});
    return;
  }
  if (::unlink(QFile::encodeName(*path).constData()) != 0) {
    const QString error = QString::fromLocal8Bit(std::strerror(errno));
    prompter().message(parent_, QStringLiteral("Capture"), error, MessageIcon::Error, MessageButtons::Ok);
    return;
  }
  strip_.shownList().clearCurrent();
  strip_.RemoveEntry(*path);
  strip_.refresh();
}

void MediaCommands::deleteAll() {
  const std::optional<QString> path = currentOrWarn();
  if (!path) return;
  runDeleteAll(extensionOf(*path));
}

void MediaCommands::runDeleteAll(const QString& ext) {
  if (!askYesNo(LookupText("SureDeleteAll", 128, QStringLiteral("Are you sure to delete all?")))) return;
  QString folder;
  if (isPictureExtension(ext)) folder = strip_.pictureFolder();
  if (isVideoExtension(ext)) folder = strip_.videoFolder();
  QStringList kept;
  if (!folder.isEmpty()) {
    for (const QString& name : filesOf(folder, false)) {
      const QString file = folder + QLatin1Char('/') + name;
      if (inUse(file)) {
        kept << name;
        continue;
      }
      QFile::remove(file);
    }
  }
  strip_.clearShownList();
  if (!kept.isEmpty()) tellInUse(kept);
}

void MediaCommands::tellInUse(const QStringList& names) {
  prompter().message(parent_, title(),
                     LookupText("FileInUse", 128, QStringLiteral("This video is being recorded and was not deleted:")) +
                         QLatin1Char('\n') + names.join(QLatin1Char('\n')),
                     MessageIcon::Warning, MessageButtons::Ok);
}

std::optional<QString> MediaCommands::emailTarget() { return currentOrWarn(); }

}  // namespace lumivex
