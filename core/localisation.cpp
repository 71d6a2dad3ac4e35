#include "core/localisation.h"

#include "core/language_table.h"
#include "core/text_codec.h"

#include <QFileInfo>

#include <algorithm>

namespace lumivex {
namespace {

// Cut to at most max code units without splitting a surrogate pair.
QString bounded(QString text, int max) {
  if (max <= 0) return {};
  if (text.size() > max) {
    int cut = max;
    if (QChar::isHighSurrogate(text[cut - 1].unicode())) --cut;
    text.truncate(cut);
  }
  return text;
}

}  // namespace

void Localisation::setSearchFolders(QStringList languageFolders, QStringList helpFolders) {
  languageFolders_ = std::move(languageFolders);
  helpFolders_ = std::move(helpFolders);
}

QString Localisation::resolve(const QStringList& folders, const QString& fileName) {
  for (const QString& folder : folders) {
    const QString candidate = folder + u'/' + fileName;
    if (QFileInfo::exists(candidate)) return candidate;
  }
  return folders.isEmpty() ? fileName : folders.front() + u'/' + fileName;
}

void Localisation::selectLanguage(Language language) {
  const LanguageFiles files = languageFilesFor(language);
  languageFile_ = resolve(languageFolders_, files.languageFile);
  helpFile_ = resolve(helpFolders_, files.helpFile);
  // A file that cannot be decoded behaves like a missing one.
  documentValid_ = document_.load(languageFile_, codePageFromFileName(languageFile_));
}

void Localisation::clear() {
  languageFile_.clear();
  helpFile_.clear();
  document_ = IniDocument();
  documentValid_ = false;
}

QString Localisation::lookup(const char* key, int size, const QString& defaultText) const {
  std::optional<QString> text;
  if (documentValid_) text = document_.value(QLatin1String(kSection), QString::fromLatin1(key));
  return bounded(text ? *text : defaultText, size - 1);
}

int Localisation::lookup(const char* key, char16_t* buffer, int size, const char16_t* defaultText) const {
  if (buffer == nullptr || size <= 0) return 0;
  std::fill(buffer, buffer + size, u'\0');
  const QString text = lookup(key, size, QString::fromUtf16(defaultText));
  std::copy(text.utf16(), text.utf16() + text.size(), buffer);
  return static_cast<int>(text.size());
}

Localisation& localisation() {
  static Localisation instance;
  return instance;
}

QString LookupText(const char* key, int size, const QString& defaultText) {
  return localisation().lookup(key, size, defaultText);
}

}  // namespace lumivex
