#include "export/spreadsheet/workbook_cache.h"

#include <QFile>

#include <sys/stat.h>

namespace lumivex {

WorkbookCache& WorkbookCache::instance() {
  static WorkbookCache cache;
  return cache;
}

std::optional<WorkbookCache::Stamp> WorkbookCache::stampOf(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
  Stamp stamp;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = static_cast<unsigned long long>(st.st_size);
  stamp.modified = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
  stamp.changed = st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec;
  return stamp;
}

std::optional<Workbook> WorkbookCache::find(const QString& path) {
  const std::optional<Stamp> stamp = stampOf(path);
  const std::lock_guard lock(mutex_);
  if (!stamp || !workbook_ || path != path_ || *stamp != stamp_) return std::nullopt;
  return workbook_;
}

void WorkbookCache::remember(const QString& path, const Workbook& workbook) {
  const std::optional<Stamp> stamp = stampOf(path);
  const std::lock_guard lock(mutex_);
  if (!stamp) {
    workbook_.reset();
    return;
  }
  path_ = path;
  stamp_ = *stamp;
  workbook_ = workbook;
}

}  // namespace lumivex
