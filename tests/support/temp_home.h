#pragma once

#include <QString>
#include <QTemporaryDir>

namespace lumivex::test {

// Points HOME and the XDG folders at a fresh temporary folder for the life of the object, so code that
// resolves the user's folders works on a private, empty home. Restores the environment afterwards.
class TempHome {
 public:
  TempHome();
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  QString path() const { return dir_.path(); }
  QString configHome() const { return dir_.path() + QStringLiteral("/.config"); }
  QString dataHome() const { return dir_.path() + QStringLiteral("/.local/share"); }
  QString programFolder() const { return dataHome() + QStringLiteral("/Lumivex"); }
  QString registryFile() const { return configHome() + QStringLiteral("/Lumivex/registry.reg"); }

 private:
  QTemporaryDir dir_;
  QByteArray saved_[5];
  bool had_[5] = {};
};

// The source tree's folder of a path such as "resources/lang".
QString sourcePath(const QString& relative);
// Writes bytes to a file, creating its folder.
bool writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);

}  // namespace lumivex::test
