#pragma once

#include "core/atomic_file.h"

#include <QString>

#include <optional>

namespace lumivex {

// The data root and its "Video" and "Picture" folders. A root chosen by the user is remembered in
// folderpath.dat: exactly 520 bytes, the path as UTF-16LE ended by a zero code unit.
class DataFolders {
 public:
  static constexpr int kFolderPathBytes = 520;

  // Reads folderpath.dat in programFolder; without a usable one the root is documents + "/Lumivex files"
  // and the three folders are created. A remembered root's folders are not created here.
  void resolve(const QString& programFolder, const QString& documentsFolder);
  // Remembers a new root and creates its folders; nothing changes when the file cannot be written.
  WriteResult setDataRoot(const QString& root);

  const QString& root() const { return root_; }
  const QString& videoFolder() const { return videoFolder_; }
  const QString& pictureFolder() const { return pictureFolder_; }

  // nullopt when the file is missing, shorter than 520 bytes, has no terminator or names an empty path.
  static std::optional<QString> readFolderPathFile(const QString& path);
  static WriteResult writeFolderPathFile(const QString& path, const QString& root);

 private:
  void setRoot(const QString& root);

  QString programFolder_;
  QString root_;
  QString videoFolder_;
  QString pictureFolder_;
};

}  // namespace lumivex
