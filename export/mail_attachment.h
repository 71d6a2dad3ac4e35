#pragma once

#include <QString>

namespace lumivex {

// The file a mail carries. A BMP picture (extension exactly "bmp") is converted to a JPEG of quality 90
// first, into a folder of its own under mailFolder so the name stays the picture's (the desktop's mail
// program reads it later, so it cannot be deleted at once); converted files older than a day are
// removed on the next call. Anything else is attached as it is.
struct PreparedAttachment {
  enum class Status { Ready, LoadFailed, CompressFailed };
  Status status = Status::Ready;
  QString path;
  QString name;
};

PreparedAttachment prepareAttachment(const QString& file, const QString& mailFolder);

// Removes what earlier conversions left in mailFolder that is older than maxAgeSeconds.
int removeOldAttachments(const QString& mailFolder, qint64 maxAgeSeconds = 24 * 3600);

}  // namespace lumivex
