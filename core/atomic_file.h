#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace lumivex {

// The outcome of a write: success, or the failing call's errno and the system's text for it
// ("No space left on device"), ready to show to the user.
struct WriteResult {
  int error = 0;
  QString reason;

  bool ok() const { return error == 0; }
  explicit operator bool() const { return ok(); }

  static WriteResult failure(int error);
  static WriteResult failure(int error, QString reason);
};

// The one way this program replaces a file. The new content goes into a temporary file in the target's
// folder, is written with every error checked, fsync'ed and closed; the temporary is then renamed over
// the target and the folder fsync'ed. On any failure before the rename the target keeps its old bytes
// and the temporary is removed.
//
// A target that is a symbolic link is resolved: the link stays and the file it points at is replaced.
// A target that exists and is not a regular file (a directory, a device, a FIFO) is refused, and so is
// an existing target the caller may not write (a read-only file), as a plain open would refuse it.
//
// One call for content held in memory:
//     if (const WriteResult r = AtomicFile::write(path, bytes); !r) show(r.reason);
// Streaming, for large outputs or libraries that want a file name of their own to write to:
//     AtomicFile file(path);
//     if (WriteResult r = file.open(); !r) return r;
//     library_write(file.temporaryPath());   // or file.append(chunk) as often as needed
//     return file.commit();
// An AtomicFile destroyed without a successful commit() removes its temporary.
class AtomicFile {
 public:
  explicit AtomicFile(QString path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  static WriteResult write(const QString& path, QByteArrayView bytes);

  // Resolves the target and creates the temporary. The temporary keeps the target's extension, so
  // libraries that choose a format by the name's ending write the right one.
  WriteResult open();
  // Appends to the temporary. After a failure every later append and commit() give the same error.
  WriteResult append(QByteArrayView bytes);
  // Syncs and closes the temporary (whatever wrote it), renames it over the target, syncs the folder.
  WriteResult commit();
  // Drops the temporary; the target is untouched.
  void discard();

  const QString& path() const { return path_; }
  // The file that commit() replaces: path() with symbolic links resolved. Valid after open().
  const QString& targetPath() const { return target_; }
  const QString& temporaryPath() const { return temporary_; }

  // True for a name this class gives its temporaries.
  static bool isTemporaryName(const QString& fileName);
  // Removes temporaries of ours in folder that no running writer holds (left by a crash or kill -9).
  // Returns how many were removed.
  static int removeStaleTemporaries(const QString& folder);

  // Steps of a write, for the fault-injection seam of tests.
  enum class Step { Create, Write, Sync, Close, Rename, SyncFolder };
  // Test seam: called before each step; a non-zero return fails the step with that errno as if the
  // system call had. Pass an empty function to remove it.
  using FaultHook = std::function<int(Step)>;
  static void setFaultHook(FaultHook hook);

 private:
  WriteResult fail(int error);
  WriteResult fail(const WriteResult& result);

  QString path_;
  QString target_;
  QString temporary_;
  int fd_ = -1;
  WriteResult error_;
  bool committed_ = false;
};

// The whole content in one call; false on any failure. Prefer AtomicFile::write, which says why.
bool writeFileAtomically(const QString& path, const QByteArray& data);

}  // namespace lumivex
