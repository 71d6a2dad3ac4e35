#include "library/folder_scan.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace lumivex {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

enum class Want { Pictures, Videos };

QStringList scan(const QString& folder, Want want) {
  QStringList paths;
  const QByteArray encoded = QFile::encodeName(folder);
  std::unique_ptr<DIR, DirCloser> dir(opendir(encoded.constData()));
  if (!dir) return paths;
  const int dirFd = dirfd(dir.get());
  QStringList names;
  while (const dirent* entry = readdir(dir.get())) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    if (entry->d_type == DT_DIR) continue;
    struct stat info {};
    if (fstatat(dirFd, name, &info, 0) != 0 || !S_ISREG(info.st_mode)) continue;
    const QString decoded = QFile::decodeName(name);
    if (want == Want::Videos) {
      if (!decoded.endsWith(QLatin1String(".avi"), Qt::CaseInsensitive)) continue;
    } else {
      if (info.st_size < FolderScan::kMinPictureBytes) continue;
      const int fd = openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
      if (fd < 0) continue;
      close(fd);
    }
    names.push_back(decoded);
  }
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
  });
  paths.reserve(names.size());
  const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
  for (const QString& name : names) paths.push_back(prefix + name);
  return paths;
}

}  // namespace

QStringList FolderScan::pictures(const QString& folder) { return scan(folder, Want::Pictures); }

QStringList FolderScan::videos(const QString& folder) { return scan(folder, Want::Videos); }

}  // namespace lumivex
