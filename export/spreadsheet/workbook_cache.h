#pragma once

#include "export/spreadsheet/workbook.h"

#include <QString>

#include <mutex>
#include <optional>

namespace lumivex {

// The last workbook this process read or wrote, so that the connections of one export (the read, the
// backup, the export itself) read the file once. An entry is used only while the file is unchanged: same
// device, inode, size, modification and change time.
class WorkbookCache {
 public:
  static WorkbookCache& instance();

  std::optional<Workbook> find(const QString& path);
  // Remembers the workbook the file at path holds now.
  void remember(const QString& path, const Workbook& workbook);

 private:
  struct Stamp {
    unsigned long long device = 0, inode = 0, size = 0;
    long long modified = 0, changed = 0;  // nanoseconds
    bool operator==(const Stamp&) const = default;
  };
  static std::optional<Stamp> stampOf(const QString& path);

  std::mutex mutex_;  // the export may run from a tool's thread as well as the GUI thread
  QString path_;
  Stamp stamp_;
  std::optional<Workbook> workbook_;
};

}  // namespace lumivex
