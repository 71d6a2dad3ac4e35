#include "core/settings_store.h"

#include "core/logging.h"
#include "core/registry_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <cstring>

namespace lumivex {
namespace {

// The unit is written as a fixed 12-byte string: five characters at most and the terminator.
constexpr int kUnitBytes = 12;
constexpr int kUnitMaxChars = 5;

QByteArray unitBytes(const QString& unit, bool fixedSize) {
  const QString cut = unit.left(kUnitMaxChars);
  QByteArray out;
  for (QChar ch : cut) {
    const char16_t c = ch.unicode();
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  out += QByteArray(2, '\0');
  if (fixedSize) out += QByteArray(kUnitBytes - out.size(), '\0');
  return out;
}

// The stored numbers of the typed settings.
std::uint32_t stored(bool on) { return on ? 1 : 0; }
template <typename E>
std::uint32_t stored(E value) {
  return static_cast<std::uint32_t>(value);
}

std::uint32_t dwordOf(const QByteArray& bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  return v;
}

}  // namespace

const QString SettingsStore::kRootKey = QStringLiteral("SOFTWARE\\rizavuvavaZo");
const QString SettingsStore::kFontKey = QStringLiteral("SOFTWARE\\rizavuvavaZo\\font");
const QString SettingsStore::kLanguageKey = QStringLiteral("SOFTWARE\\rizavuvavaZo\\LanguageID");
const QString SettingsStore::kUnitsKey = QStringLiteral("SOFTWARE\\rizavuvavaZo\\Units");

SettingsStore::SettingsStore(QString registryPath, Settings& settings)
    : path_(std::move(registryPath)), settings_(settings) {}

QString SettingsStore::setAsideName(const QString& path) {
  QString name = path + QStringLiteral(".bad");
  for (int n = 1; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
    name = path + QStringLiteral(".bad.") + QString::number(n);
  return name;
}

void SettingsStore::setAside() {
  // RENAME_NOREPLACE: an earlier set-aside file is the user's only copy of those settings.
  const QByteArray from = QFile::encodeName(path_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QString aside = setAsideName(path_);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, QFile::encodeName(aside).constData(), RENAME_NOREPLACE) ==
        0) {
      qCWarning(lcSettings, "the settings file %s could not be understood; it is kept as %s and defaults apply.",
                qPrintable(path_), qPrintable(aside));
      return;
    }
    if (errno != EEXIST) break;
  }
  qCWarning(lcSettings, "the settings file %s could not be understood nor set aside (%s); defaults apply.",
            qPrintable(path_), std::strerror(errno));
}

bool SettingsStore::refresh() {
  const std::optional<FileStamp> stamp = FileStamp::of(path_);
  if (stamp && stamp == cachedStamp_) return unreadableError_ == 0;
  if (!stamp && !cachedStamp_ && unreadableError_ == 0 && readCount_ > 0) return true;  // still missing

  const WholeFile file = WholeFile::read(path_, RegistryFile::kMaxBytes);
  cache_ = RegistryFile();
  cachedStamp_.reset();
  unreadableError_ = 0;
  switch (file.status) {
    case WholeFile::Status::Missing:
      ++readCount_;
      return true;
    case WholeFile::Status::Unreadable:
      // Remembered per version of the file, so it is not opened again until it changes.
      unreadableError_ = file.error;
      unreadableReason_ = file.reason;
      cachedStamp_ = stamp;
      if (!warnedUnreadable_) {
        warnedUnreadable_ = true;
        qCWarning(lcSettings, "the settings file %s cannot be read (%s); defaults apply and it is left untouched.",
                  qPrintable(path_), qPrintable(file.reason));
      }
      return false;
    case WholeFile::Status::TooLarge:
      setAside();
      ++readCount_;
      return true;
    case WholeFile::Status::Read:
      break;
  }
  ++readCount_;
  if (!cache_.parse(file.bytes)) {
    setAside();
    return true;
  }
  cachedStamp_ = file.stamp;
  return true;
}

void SettingsStore::readDword(const QString& key, const QString& name, std::uint32_t& target) {
  if (!refresh()) return;
  const std::optional<RegistryValue> v = cache_.value(key, name);
  // A value of another type or size does not fit the variable: the default stays.
  if (v && v->type == RegistryValue::Type::Dword && v->bytes.size() == 4) target = dwordOf(v->bytes);
}

WriteResult SettingsStore::write(const RegistryFile& updated) {
  WriteResult result;
  if (unreadableError_ != 0) {
    // Writing would replace settings we could not even read.
    result = WriteResult::failure(unreadableError_, unreadableReason_);
  } else {
    QDir().mkpath(QFileInfo(path_).absolutePath());
    result = updated.saveAtomically(path_);
    if (!result)
      qCWarning(lcSettings).noquote() << "the settings file" << path_ << "cannot be written:" << result.reason;
  }
  if (result) {
    cache_ = updated;
    cachedStamp_ = FileStamp::of(path_);
  } else if (onFailure_) {
    onFailure_(path_, result);
  }
  return result;
}

void SettingsStore::readDword(const QString& key, const QString& name, bool& target) {
  std::uint32_t value = stored(target);
  readDword(key, name, value);
  target = value == 1;
}

void SettingsStore::readDword(const QString& key, const QString& name, ImageFormat& target) {
  std::uint32_t value = stored(target);
  readDword(key, name, value);
  target = value == stored(ImageFormat::Bmp) ? ImageFormat::Bmp : ImageFormat::Jpeg;
}

void SettingsStore::readDword(const QString& key, const QString& name, PrimaryLanguage& target) {
  std::uint32_t value = stored(target);
  readDword(key, name, value);
  target = static_cast<PrimaryLanguage>(value);  // any id: unknown ones choose English files
}

void SettingsStore::readDword(const QString& key, const QString& name, SubLanguage& target) {
  std::uint32_t value = stored(target);
  readDword(key, name, value);
  target = static_cast<SubLanguage>(value);
}

WriteResult SettingsStore::writeValues(const QString& key, std::initializer_list<NamedValue> values) {
  refresh();
  RegistryFile updated = cache_;
  for (const NamedValue& v : values) updated.setValue(key, v.first, v.second);
  return write(updated);
}

WriteResult SettingsStore::writeDword(const QString& key, const QString& name, std::uint32_t value) {
  return writeValues(key, {{name, RegistryValue::dword(value)}});
}

bool SettingsStore::ensureFirstRunDefaults() {
  if (!refresh() || cache_.hasKey(kRootKey)) return false;
  RegistryFile file = cache_;
  const Settings defaults;
  file.createKey(kFontKey);
  file.createKey(kLanguageKey);
  file.createKey(kUnitsKey);
  file.setValue(kFontKey, QStringLiteral("fontcolor"), RegistryValue::dword(defaults.fontColor));
  file.setValue(kFontKey, QStringLiteral("LineColor"), RegistryValue::dword(defaults.lineColor));
  file.setValue(kFontKey, QStringLiteral("MeasureTxtColor"), RegistryValue::dword(defaults.measureTextColor));
  file.setValue(kFontKey, QStringLiteral("fontsize"), RegistryValue::dword(defaults.fontSize));
  file.setValue(kFontKey, QStringLiteral("Linewidth"), RegistryValue::dword(kDefaultLineWidth));
  file.setValue(kFontKey, QStringLiteral("Linetype"), RegistryValue::dword(defaults.lineType));
  file.setValue(kLanguageKey, QStringLiteral("LanID"), RegistryValue::dword(stored(defaults.languageId)));
  file.setValue(kLanguageKey, QStringLiteral("SubLanIDD"), RegistryValue::dword(stored(defaults.subLanguage)));
  file.setValue(kLanguageKey, QStringLiteral("ImageFormat"), RegistryValue::dword(stored(defaults.imageFormat)));
  file.setValue(kLanguageKey, QStringLiteral("IsEnableSnap"), RegistryValue::dword(stored(defaults.enableSnap)));
  file.setValue(kLanguageKey, QStringLiteral("sys_date"), RegistryValue::dword(stored(defaults.calibratePrompt)));
  // The first-run unit is written with its own length ("mm" and terminator), later saves with 12 bytes.
  file.setValue(kUnitsKey, QStringLiteral("unit"), RegistryValue::stringBytes(unitBytes(defaults.unit, false)));
  file.setValue(kUnitsKey, QStringLiteral("decimal"), RegistryValue::dword(defaults.decimals));
  write(file);
  return true;
}

void SettingsStore::loadFontColor() { readDword(kFontKey, QStringLiteral("fontcolor"), settings_.fontColor); }
void SettingsStore::loadLineColor() { readDword(kFontKey, QStringLiteral("LineColor"), settings_.lineColor); }
void SettingsStore::loadMeasureTextColor() {
  readDword(kFontKey, QStringLiteral("MeasureTxtColor"), settings_.measureTextColor);
}
void SettingsStore::loadFontSize() { readDword(kFontKey, QStringLiteral("fontsize"), settings_.fontSize); }
void SettingsStore::loadLineWidth() { readDword(kFontKey, QStringLiteral("Linewidth"), settings_.lineWidth); }
void SettingsStore::loadLineType() { readDword(kFontKey, QStringLiteral("Linetype"), settings_.lineType); }

void SettingsStore::loadLanguage() {
  readDword(kLanguageKey, QStringLiteral("LanID"), settings_.languageId);
  readDword(kLanguageKey, QStringLiteral("SubLanIDD"), settings_.subLanguage);
}

void SettingsStore::loadImageFormat() { readDword(kLanguageKey, QStringLiteral("ImageFormat"), settings_.imageFormat); }
void SettingsStore::loadEnableSnap() { readDword(kLanguageKey, QStringLiteral("IsEnableSnap"), settings_.enableSnap); }
void SettingsStore::loadCalibratePrompt() {
  readDword(kLanguageKey, QStringLiteral("sys_date"), settings_.calibratePrompt);
}

void SettingsStore::loadUnits() {
  if (refresh()) {
    const std::optional<RegistryValue> v = cache_.value(kUnitsKey, QStringLiteral("unit"));
    // Read into a 12-byte buffer: a longer value does not fit and leaves the default.
    if (v && v->type == RegistryValue::Type::String && v->bytes.size() <= kUnitBytes && v->bytes.size() >= 2) {
      QString unit;
      for (int i = 0; i + 1 < v->bytes.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(static_cast<unsigned char>(v->bytes[i]) |
                                                 (static_cast<unsigned char>(v->bytes[i + 1]) << 8));
        if (c == 0) break;
        unit += QChar(c);
      }
      settings_.unit = unit.left(kUnitMaxChars);
    }
  }
  readDword(kUnitsKey, QStringLiteral("decimal"), settings_.decimals);
  readDword(kUnitsKey, QStringLiteral("ShowUncertainty"), settings_.showUncertainty);
}

void SettingsStore::loadAll() {
  loadFontColor();
  loadLineColor();
  loadMeasureTextColor();
  loadFontSize();
  loadLineWidth();
  loadLineType();
  loadLanguage();
  loadImageFormat();
  loadEnableSnap();
  loadCalibratePrompt();
  loadUnits();
}

WriteResult SettingsStore::saveImageFormat(ImageFormat format) {
  settings_.imageFormat = format;
  return writeDword(kLanguageKey, QStringLiteral("ImageFormat"), stored(format));
}

WriteResult SettingsStore::saveShowUncertainty(bool show) {
  settings_.showUncertainty = show;
  return writeDword(kUnitsKey, QStringLiteral("ShowUncertainty"), stored(show));
}

WriteResult SettingsStore::saveEnableSnap(bool enabled) {
  settings_.enableSnap = enabled;
  return writeDword(kLanguageKey, QStringLiteral("IsEnableSnap"), stored(enabled));
}

WriteResult SettingsStore::saveLanguage(Language language) {
  settings_.languageId = language.primary;
  settings_.subLanguage = language.sub;
  return writeValues(kLanguageKey, {{QStringLiteral("LanID"), RegistryValue::dword(stored(language.primary))},
                                    {QStringLiteral("SubLanIDD"), RegistryValue::dword(stored(language.sub))}});
}

WriteResult SettingsStore::saveCalibratePrompt(bool show) {
  settings_.calibratePrompt = show;
  return writeDword(kLanguageKey, QStringLiteral("sys_date"), stored(show));
}

WriteResult SettingsStore::saveFontColor(std::uint32_t color) {
  settings_.fontColor = color;
  return writeDword(kFontKey, QStringLiteral("fontcolor"), color);
}

WriteResult SettingsStore::saveLineColor(std::uint32_t color) {
  settings_.lineColor = color;
  return writeDword(kFontKey, QStringLiteral("LineColor"), color);
}

WriteResult SettingsStore::saveLineWidth(std::uint32_t width) {
  settings_.lineWidth = width;
  return writeDword(kFontKey, QStringLiteral("Linewidth"), width);
}

WriteResult SettingsStore::saveLineType(std::uint32_t type) {
  settings_.lineType = type;
  return writeDword(kFontKey, QStringLiteral("Linetype"), type);
}

WriteResult SettingsStore::saveMeasureTextColor(std::uint32_t color) {
  settings_.measureTextColor = color;
  return writeDword(kFontKey, QStringLiteral("MeasureTxtColor"), color);
}

WriteResult SettingsStore::saveFontSize(std::uint32_t size) {
  settings_.fontSize = size;
  return writeDword(kFontKey, QStringLiteral("fontsize"), size);
}

WriteResult SettingsStore::saveUnits(const QString& unit, std::uint32_t decimals) {
  settings_.unit = unit.left(kUnitMaxChars);
  settings_.decimals = decimals;
  return writeValues(kUnitsKey, {{QStringLiteral("unit"), RegistryValue::stringBytes(unitBytes(unit, true))},
                                 {QStringLiteral("decimal"), RegistryValue::dword(decimals)}});
}

}  // namespace lumivex
