#include "core/data_folders.h"

#include "core/whole_file.h"

#include <QDir>

#include <cerrno>

namespace lumivex {
namespace {
constexpr int kMaxUnits = DataFolders::kFolderPathBytes / 2;  // 260 code units with the terminator
}

std::optional<QString> DataFolders::readFolderPathFile(const QString& path) {
  // The file is exactly 520 bytes; anything much larger is not ours.
  const WholeFile file = WholeFile::read(path, 64 * 1024);
  if (file.status != WholeFile::Status::Read || file.bytes.size() < kFolderPathBytes) return std::nullopt;
  const QByteArray& bytes = file.bytes;
  QString root;
  for (int i = 0; i < kMaxUnits; ++i) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                            (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    if (unit == 0) return root.isEmpty() ? std::nullopt : std::optional<QString>(root);
    root += QChar(unit);
  }
  return std::nullopt;  // no terminator within the buffer
}

WriteResult DataFolders::writeFolderPathFile(const QString& path, const QString& root) {
  if (root.isEmpty()) return WriteResult::failure(ENOENT);
  if (root.size() >= kMaxUnits) return WriteResult::failure(ENAMETOOLONG);
  QByteArray bytes(kFolderPathBytes, '\0');
  for (int i = 0; i < root.size(); ++i) {
    const char16_t unit = root[i].unicode();
    bytes[2 * i] = static_cast<char>(unit & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(unit >> 8);
  }
  return AtomicFile::write(path, bytes);
}

void DataFolders::setRoot(const QString& root) {
  root_ = root;
  videoFolder_ = root + QStringLiteral("/Video");
  pictureFolder_ = root + QStringLiteral("/Picture");
}

void DataFolders::resolve(const QString& programFolder, const QString& documentsFolder) {
  programFolder_ = programFolder;
  if (const std::optional<QString> stored = readFolderPathFile(programFolder + QStringLiteral("/folderpath.dat"))) {
    setRoot(*stored);
    return;
  }
  setRoot(documentsFolder + QStringLiteral("/Lumivex files"));
  QDir().mkpath(videoFolder_);
  QDir().mkpath(pictureFolder_);
}

WriteResult DataFolders::setDataRoot(const QString& root) {
  if (WriteResult r = writeFolderPathFile(programFolder_ + QStringLiteral("/folderpath.dat"), root); !r) return r;
  setRoot(root);
  QDir().mkpath(videoFolder_);
  QDir().mkpath(pictureFolder_);
  return {};
}

}  // namespace lumivex
