#include "core/settings_store.h"

#include "core/registry_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

bool SettingsStore::open(RegistryFile& file) {
  switch (file.load(path_)) {
    case RegistryFile::LoadStatus::Loaded:
    case RegistryFile::LoadStatus::Missing:
      return true;
    case RegistryFile::LoadStatus::Corrupt: {
      // Keep the unreadable file for the user; the next write starts a fresh one.
      const QString aside = path_ + QStringLiteral(".bad");
      QFile::remove(aside);
      QFile::rename(path_, aside);
      return false;
    }
  }
  return false;
}

void SettingsStore::readDword(const QString& key, const QString& name, std::uint32_t& target) {
  RegistryFile file;
  if (!open(file)) return;
  const std::optional<RegistryValue> v = file.value(key, name);
  // A value of another type or size does not fit the variable: the default stays.
  if (v && v->type == RegistryValue::Type::Dword && v->bytes.size() == 4) target = dwordOf(v->bytes);
}

bool SettingsStore::writeValues(const QString& key, std::initializer_list<NamedValue> values) {
  RegistryFile file;
  open(file);
  for (const NamedValue& v : values) file.setValue(key, v.first, v.second);
  QDir().mkpath(QFileInfo(path_).absolutePath());
  return file.saveAtomically(path_);
}

bool SettingsStore::writeDword(const QString& key, const QString& name, std::uint32_t value) {
  return writeValues(key, {{name, RegistryValue::dword(value)}});
}

bool SettingsStore::ensureFirstRunDefaults() {
  RegistryFile file;
  if (open(file) && file.hasKey(kRootKey)) return false;
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
  file.setValue(kLanguageKey, QStringLiteral("LanID"), RegistryValue::dword(defaults.languageId));
  file.setValue(kLanguageKey, QStringLiteral("SubLanIDD"), RegistryValue::dword(defaults.subLanguage));
  file.setValue(kLanguageKey, QStringLiteral("ImageFormat"), RegistryValue::dword(defaults.imageFormat));
  file.setValue(kLanguageKey, QStringLiteral("IsEnableSnap"), RegistryValue::dword(defaults.enableSnap));
  file.setValue(kLanguageKey, QStringLiteral("sys_date"), RegistryValue::dword(defaults.calibratePrompt));
  // The first-run unit is written with its own length ("mm" and terminator), later saves with 12 bytes.
  file.setValue(kUnitsKey, QStringLiteral("unit"), RegistryValue::stringBytes(unitBytes(defaults.unit, false)));
  file.setValue(kUnitsKey, QStringLiteral("decimal"), RegistryValue::dword(defaults.decimals));
  QDir().mkpath(QFileInfo(path_).absolutePath());
  file.saveAtomically(path_);
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
  RegistryFile file;
  if (open(file)) {
    const std::optional<RegistryValue> v = file.value(kUnitsKey, QStringLiteral("unit"));
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

bool SettingsStore::saveImageFormat(std::uint32_t format) {
  settings_.imageFormat = format;
  return writeDword(kLanguageKey, QStringLiteral("ImageFormat"), format);
}

bool SettingsStore::saveEnableSnap(std::uint32_t enabled) {
  settings_.enableSnap = enabled;
  return writeDword(kLanguageKey, QStringLiteral("IsEnableSnap"), enabled);
}

bool SettingsStore::saveLanguage(std::uint32_t languageId, std::uint32_t subLanguage) {
  settings_.languageId = languageId;
  settings_.subLanguage = subLanguage;
  return writeValues(kLanguageKey, {{QStringLiteral("LanID"), RegistryValue::dword(languageId)},
                                    {QStringLiteral("SubLanIDD"), RegistryValue::dword(subLanguage)}});
}

bool SettingsStore::saveCalibratePrompt(std::uint32_t show) {
  settings_.calibratePrompt = show;
  return writeDword(kLanguageKey, QStringLiteral("sys_date"), show);
}

bool SettingsStore::saveFontColor(std::uint32_t color) {
  settings_.fontColor = color;
  return writeDword(kFontKey, QStringLiteral("fontcolor"), color);
}

bool SettingsStore::saveLineColor(std::uint32_t color) {
  settings_.lineColor = color;
  return writeDword(kFontKey, QStringLiteral("LineColor"), color);
}

bool SettingsStore::saveLineWidth(std::uint32_t width) {
  settings_.lineWidth = width;
  return writeDword(kFontKey, QStringLiteral("Linewidth"), width);
}

bool SettingsStore::saveLineType(std::uint32_t type) {
  settings_.lineType = type;
  return writeDword(kFontKey, QStringLiteral("Linetype"), type);
}

bool SettingsStore::saveMeasureTextColor(std::uint32_t color) {
  settings_.measureTextColor = color;
  return writeDword(kFontKey, QStringLiteral("MeasureTxtColor"), color);
}

bool SettingsStore::saveFontSize(std::uint32_t size) {
  settings_.fontSize = size;
  return writeDword(kFontKey, QStringLiteral("fontsize"), size);
}

bool SettingsStore::saveUnits(const QString& unit, std::uint32_t decimals) {
  settings_.unit = unit.left(kUnitMaxChars);
  settings_.decimals = decimals;
  return writeValues(kUnitsKey, {{QStringLiteral("unit"), RegistryValue::stringBytes(unitBytes(unit, true))},
                                 {QStringLiteral("decimal"), RegistryValue::dword(decimals)}});
}

}  // namespace lumivex
