#include "app/startup_report.h"

#include "core/localisation.h"
#include "core/logging.h"
#include "core/program_paths.h"
#include "export/cad_drawing.h"

#include <QFileInfo>

namespace lumivex {
namespace {

QString fileLine(const char* what, const QString& path) {
  if (!path.isEmpty() && QFileInfo(path).isFile()) return QStringLiteral("%1: %2").arg(QLatin1String(what), path);
  return QStringLiteral("%1: missing (%2)").arg(QLatin1String(what), path.isEmpty() ? QStringLiteral("none") : path);
}

}  // namespace

QStringList startupFiles(const ProgramPaths& paths) {
  QStringList lines;
  lines << fileLine("language file", localisation().languageFile());
  lines << fileLine("help page", localisation().helpFile());
  lines << fileLine("skin", paths.findResource(QStringLiteral("skin/app-icon.svg")));
  lines << fileLine("sounds", paths.findResource(QStringLiteral("sounds/180.wav")));
  const CadDrawing cad;
  lines << (cad.usable() ? fileLine("CAD library", cad.libraryFile())
                         : QStringLiteral("CAD library: missing (%1)").arg(cad.loadError()));
  return lines;
}

void reportStartupFiles(const ProgramPaths& paths) {
  if (!lcStartup().isDebugEnabled()) return;  // loading the CAD library only to report it costs a little
  for (const QString& line : startupFiles(paths)) qCDebug(lcStartup).noquote() << line;
}

}  // namespace lumivex
