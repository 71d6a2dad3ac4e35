#include "core/startup_settings.h"

#include "core/app_context.h"
#include "core/language_table.h"
#include "core/localisation.h"

namespace lumivex {

void loadStartupSettings(AppContext& context) {
  ProgramPaths& paths = context.paths();
  SettingsStore& store = context.store();
  Settings& settings = context.settings();

  context.folders().resolve(paths.programFolder, paths.documentsFolder);

  store.loadImageFormat();
  store.loadFontSize();
  store.loadEnableSnap();

  store.ensureFirstRunDefaults();

  store.loadLanguage();
  LanguagePair pair{settings.languageId, settings.subLanguage};
  if (pair.primaryId == 0) pair = languagePairFromLangId(systemLanguageId());
  // Files in the program folder override the shipped ones.
  QStringList languageFolders{paths.programFolder};
  QStringList helpFolders{paths.programFolder};
  for (const QString& folder : paths.resourceFolders.mid(1)) {
    languageFolders << folder + QStringLiteral("/lang");
    helpFolders << folder + QStringLiteral("/help");
  }
  localisation().setSearchFolders(languageFolders, helpFolders);
  localisation().selectLanguage(pair.primaryId, pair.subLanguage);

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
