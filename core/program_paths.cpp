#include "core/program_paths.h"

#include "core/install_layout.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace lumivex {

ProgramPaths ProgramPaths::fromEnvironment() {
  ProgramPaths p;
  p.programFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Lumivex");
  p.registryFile =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Lumivex/registry.reg");
  p.documentsFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  QDir().mkpath(p.programFolder);
  // The user's program folder overrides the shipped files.
  p.resourceFolders << p.programFolder << InstallLayout::current().dataFolders;
  return p;
}

QString ProgramPaths::calibrationFile() const { return programFolder + QStringLiteral("/CalibrationIni.ini"); }

QString ProgramPaths::findResource(const QString& relative) const {
  for (const QString& folder : resourceFolders) {
    const QString candidate = folder + u'/' + relative;
    if (QFileInfo::exists(candidate)) return QDir::cleanPath(candidate);
  }
  return programFolder + u'/' + relative;
}

}  // namespace lumivex
