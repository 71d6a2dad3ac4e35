#include "core/startup_settings.h"

#include "core/app_context.h"
#include "core/atomic_file.h"
#include "core/language_table.h"
#include "core/localisation.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace lumivex {

int removeStaleTemporaries(AppContext& context) {
  const ProgramPaths& paths = context.paths();
  const DataFolders& folders = context.folders();
  int removed = 0;
  for (const QString& folder : {QFileInfo(paths.registryFile).absolutePath(), paths.programFolder,
                                folders.pictureFolder(), folders.videoFolder()}) {
    if (!folder.isEmpty()) removed += AtomicFile::removeStaleTemporaries(folder);
  }
  // Earlier builds wrote through QSaveFile, whose temporaries are the target's name and six characters.
  static const QRegularExpression legacy(QStringLiteral("^registry\\.reg\\.[A-Za-z0-9]{6}$"));
  QDir config(QFileInfo(paths.registryFile).absolutePath());
  for (const QString& name : config.entryList(QDir::Files | QDir::Hidden)) {
    if (legacy.match(name).hasMatch() && config.remove(name)) ++removed;
  }
  return removed;
}

void loadStartupSettings(AppContext& context) {
  ProgramPaths& paths = context.paths();
  SettingsStore& store = context.store();
  Settings& settings = context.settings();

  context.folders().resolve(paths.programFolder, paths.documentsFolder);
  removeStaleTemporaries(context);

  store.loadImageFormat();
  store.loadFontSize();
  store.loadEnableSnap();

  store.ensureFirstRunDefaults();

  store.loadLanguage();
  Language language = settings.language();
  if (language.primary == PrimaryLanguage::None) language = languageFromLangId(systemLanguageId());
  // Files in the program folder override the shipped ones.
  QStringList languageFolders{paths.programFolder};
  QStringList helpFolders{paths.programFolder};
  for (const QString& folder : paths.resourceFolders.mid(1)) {
    languageFolders << folder + QStringLiteral("/lang");
    helpFolders << folder + QStringLiteral("/help");
  }
  localisation().setSearchFolders(languageFolders, helpFolders);
  localisation().selectLanguage(language);

  store.loadUnits();
  store.loadMeasureTextColor();
  store.loadLineColor();
  store.loadLineWidth();
  store.loadLineType();
  store.loadFontColor();
  // Colours are used with their low 24 bits only.
  settings.measureTextColor &= 0xFFFFFF;
  settings.lineColor &= 0xFFFFFF;
  settings.fontColor &= 0xFFFFFF;
}

}  // namespace lumivex
