#include "core/program_paths.h"

#include <QCoreApplication>
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
  p.resourceFolders << p.programFolder;
  if (QCoreApplication::instance() != nullptr) {
    // An installed program finds its data in ../share/lumivex beside bin/.
    p.resourceFolders
        << QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/lumivex"));
  }
  p.resourceFolders << QStringLiteral(LUMIVEX_INSTALL_DATA_DIR) << QStringLiteral(LUMIVEX_SOURCE_RESOURCES);
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
