#pragma once

#include "tests/support/small_disk.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace lumivex::test {

// The ways a write meets a hostile folder, staged for real where the process may (a full or read-only
// tmpfs, an immutable file when root; modes otherwise) and through AtomicFile's fault seam where not.
enum class WriteFailure { DiskFull, ReadOnlyFolder, ReadOnlyTarget, TargetIsDirectory, TargetIsLinkToFifo };

const std::vector<WriteFailure>& allWriteFailures();
const char* nameOf(WriteFailure failure);

// One folder on which a failure is staged for a target file in it. Undone by the destructor.
class WriteFailureStage {
 public:
  WriteFailureStage();
  ~WriteFailureStage();
  WriteFailureStage(const WriteFailureStage&) = delete;
  WriteFailureStage& operator=(const WriteFailureStage&) = delete;

  const QString& folder() const { return folder_; }
  QString path(const QString& name) const { return folder_ + u'/' + name; }
  bool onRealDisk() const { return disk_ != nullptr; }

  // Puts oldBytes at target (where the failure keeps a file there) and arms the failure.
  void arm(WriteFailure failure, const QString& target, const QByteArray& oldBytes);
  void disarm();

  // True when the target is as arm() left it: the same bytes, directory, link or FIFO.
  bool targetUnchanged() const;
  // What the failure makes the system say, as strerror words ("No space left on device").
  QStringList expectedReasons() const;
  // Files left in the folder that are AtomicFile temporaries.
  QStringList leftoverTemporaries() const;

 private:
  std::unique_ptr<SmallDisk> disk_;
  std::unique_ptr<QTemporaryDir> dir_;
  QString folder_;
  QString target_;
  QByteArray oldBytes_;
  WriteFailure failure_ = WriteFailure::DiskFull;
  bool armed_ = false;
};

}  // namespace lumivex::test
