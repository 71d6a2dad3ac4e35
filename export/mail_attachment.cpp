#include "export/mail_attachment.h"

#include "core/atomic_file.h"
#include "image/cx_image.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QUuid>

#include <vector>

namespace lumivex {

int removeOldAttachments(const QString& mailFolder, qint64 maxAgeSeconds) {
  int removed = 0;
  const QDateTime limit = QDateTime::currentDateTimeUtc().addSecs(-maxAgeSeconds);
  const QFileInfoList entries =
      QDir(mailFolder).entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden);
  for (const QFileInfo& entry : entries) {
    if (entry.lastModified().toUTC() >= limit || entry.isSymLink()) continue;
    const bool ok = entry.isDir() ? QDir(entry.filePath()).removeRecursively() : QFile::remove(entry.filePath());
    removed += ok ? 1 : 0;
  }
  return removed;
}

PreparedAttachment prepareAttachment(const QString& file, const QString& mailFolder) {
  const QFileInfo info(file);
  // The whole extension, exactly "bmp": "x.bmp.jpg" and "X.BMP" are attached as they are.
  if (info.suffix() != QLatin1String("bmp")) return {PreparedAttachment::Status::Ready, file, info.fileName()};

  removeOldAttachments(mailFolder);
  CxImage picture;
  if (!picture.Load(file, CxImage::kTypeBmp)) return {PreparedAttachment::Status::LoadFailed, {}, {}};
  picture.SetJpegQuality(90);
  std::vector<uint8_t> jpeg;
  if (!picture.Encode(jpeg, CxImage::kTypeJpg)) return {PreparedAttachment::Status::CompressFailed, {}, {}};

  const QString name = info.completeBaseName() + QStringLiteral(".jpg");
  const QString folder = QDir(mailFolder)
                             .filePath(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-")) +
                                       QUuid::createUuid().toString(QUuid::Id128).left(8));
  if (!QDir().mkpath(folder)) return {PreparedAttachment::Status::CompressFailed, {}, {}};
  const QString target = QDir(folder).filePath(name);
  const QByteArrayView bytes(reinterpret_cast<const char*>(jpeg.data()), static_cast<qsizetype>(jpeg.size()));
  if (!AtomicFile::write(target, bytes)) {
    QDir(folder).removeRecursively();
    return {PreparedAttachment::Status::CompressFailed, {}, {}};
  }
  return {PreparedAttachment::Status::Ready, target, name};
}

}  // namespace lumivex
