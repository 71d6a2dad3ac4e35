#include "tests/support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lumivex::test {
namespace {
constexpr const char* kVars[5] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "XDG_DOCUMENTS_DIR"};
}

TempHome::TempHome() {
  for (int i = 0; i < 5; ++i) {
    had_[i] = qEnvironmentVariableIsSet(kVars[i]);
    saved_[i] = qgetenv(kVars[i]);
  }
  qputenv("HOME", dir_.path().toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
  qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
  const QString runtime = dir_.path() + QStringLiteral("/run");
  QDir().mkpath(runtime);
  QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
  qunsetenv("XDG_DOCUMENTS_DIR");
}

TempHome::~TempHome() {
  for (int i = 0; i < 5; ++i) {
    if (had_[i])
      qputenv(kVars[i], saved_[i]);
    else
      qunsetenv(kVars[i]);
  }
}

QString sourcePath(const QString& relative) {
  const QByteArray root = qgetenv("LUMIVEX_SOURCE_DIR");
  return QString::fromLocal8Bit(root.isEmpty() ? QByteArray(LUMIVEX_TEST_SOURCE_DIR) : root) + u'/' + relative;
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace lumivex::test
