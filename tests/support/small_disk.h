#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace lumivex::test {

// A real, tiny tmpfs for write-failure tests. Mounting needs root (CI runs as root); elsewhere create()
// gives nullptr and tests fall back to AtomicFile's fault-injection seam. The mount lives in a mount
// namespace private to the test process (when one can be made), so a crashed test leaves nothing
// mounted behind.
class SmallDisk {
 public:
  static constexpr int kDefaultBytes = 512 * 1024;

  // A new tmpfs at a fresh folder; nullptr when this process may not mount.
  static std::unique_ptr<SmallDisk> create(int bytes = kDefaultBytes);
  // Mounts over an existing folder (its files are hidden while mounted); nullptr when not allowed.
  static std::unique_ptr<SmallDisk> mountAt(const QString& folder, int bytes = kDefaultBytes);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  const QString& path() const { return path_; }
  // Fills every free byte with a ballast file; later writes of any size fail with ENOSPC.
  bool fill();
  // Frees the ballast again.
  void drain();
  // Remounts the disk read-only (EROFS for every write, root included) or writable again.
  bool setReadOnly(bool readOnly);

  static bool runningAsRoot();

 private:
  explicit SmallDisk(QString path);

  std::unique_ptr<QTemporaryDir> owned_;
  QString path_;
};

// Marks a file immutable (chattr +i) or clears the mark: the one way to make a file that root cannot
// replace either. False when the filesystem or the user cannot.
bool setImmutable(const QString& path, bool immutable);

}  // namespace lumivex::test
