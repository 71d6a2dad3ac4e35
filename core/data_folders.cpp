#include "core/data_folders.h"

#include "core/atomic_file.h"

#include <QDir>
#include <QFile>

namespace lumivex {
namespace {
constexpr int kMaxUnits = DataFolders::kFolderPathBytes / 2;  // 260 code units with the terminator
}

std::optional<QString> DataFolders::readFolderPathFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray bytes = file.read(kFolderPathBytes);
  if (bytes.size() < kFolderPathBytes) return std::nullopt;
  QString root;
  for (int i = 0; i < kMaxUnits; ++i) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                            (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    if (unit == 0) return root.isEmpty() ? std::nullopt : std::optional<QString>(root);
    root += QChar(unit);
  }
  return std::nullopt;  // no terminator within the buffer
}

bool DataFolders::writeFolderPathFile(const QString& path, const QString& root) {
  if (root.isEmpty() || root.size() >= kMaxUnits) return false;
  QByteArray bytes(kFolderPathBytes, '\0');
  for (int i = 0; i < root.size(); ++i) {
    const char16_t unit = root[i].unicode();
    bytes[2 * i] = static_cast<char>(unit & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(unit >> 8);
  }
  return writeFileAtomically(path, bytes);
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

bool DataFolders::setDataRoot(const QString& root) {
  if (!writeFolderPathFile(programFolder_ + QStringLiteral("/folderpath.dat"), root)) return false;
  setRoot(root);
  QDir().mkpath(videoFolder_);
  QDir().mkpath(pictureFolder_);
  return true;
}

}  // namespace lumivex
