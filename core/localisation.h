#pragma once

#include "core/ini_document.h"
#include "core/language.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace lumivex {

// The active language file and help file, and the lookup of interface texts in the language file's
// section "Quorvanta". A missing file, section or key gives the caller's default, so the program runs in
// English with no language files at all.
class Localisation {
 public:
  static constexpr char kSection[] = "Quorvanta";

  // Folders searched in order for language files and for help files.
  void setSearchFolders(QStringList languageFolders, QStringList helpFolders);
  // Chooses the files for a language pair. Storing the choice is the caller's (the language menu's) job.
  void selectLanguage(Language language);
  void clear();

  const QString& languageFile() const { return languageFile_; }
  const QString& helpFile() const { return helpFile_; }

  // Clears buffer, then copies the text (or the default) into it: at most size - 1 UTF-16 code units and
  // a terminator. Returns the number of code units copied. size 0 copies nothing.
  int lookup(const char* key, char16_t* buffer, int size, const char16_t* defaultText) const;
  // The same text, cut to size - 1 code units.
  QString lookup(const char* key, int size, const QString& defaultText) const;

 private:
  static QString resolve(const QStringList& folders, const QString& fileName);

  QStringList languageFolders_;
  QStringList helpFolders_;
  QString languageFile_;
  QString helpFile_;
  IniDocument document_;
  bool documentValid_ = false;
};

// The process-wide localisation used by every window.
Localisation& localisation();

// Shorthand for localisation().lookup(key, size, defaultText).
QString LookupText(const char* key, int size, const QString& defaultText);

}  // namespace lumivex
