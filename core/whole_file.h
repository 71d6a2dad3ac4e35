#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace lumivex {

// What tells one version of a file from the next: another process replacing it (a new inode) or writing
// into it (a new size, modification or change time) gives a different stamp.
struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;
  std::int64_t changedNs = 0;

  bool operator==(const FileStamp&) const = default;

  // nullopt when the path does not name anything (or cannot be looked at).
  static std::optional<FileStamp> of(const QString& path);
};

// A small file read whole, with the reason it could not be when it could not. Only regular files are
// read; a FIFO, device or directory is Unreadable without being opened for blocking reads.
struct WholeFile {
  enum class Status { Missing, Read, Unreadable, TooLarge };
  Status status = Status::Missing;
  QByteArray bytes;
  FileStamp stamp;
  int error = 0;   // errno for Unreadable
  QString reason;  // the system's words for error, or "Not a regular file"

  static WholeFile read(const QString& path, std::int64_t maxBytes);
};

}  // namespace lumivex
