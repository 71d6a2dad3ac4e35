#pragma once

#include "core/registry_file.h"
#include "core/settings.h"

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <utility>

namespace lumivex {

// Reads and writes the stored settings one value (or pair) at a time, as the windows that own them
// change them. Every operation opens the registry file, works and closes it again, so nothing is held
// between operations. Read failures leave the variable's default; write failures are ignored (the
// return value says whether the value reached the disk). A registry file that cannot be understood is
// renamed with a ".bad" suffix once and never overwritten.
class SettingsStore {
 public:
  static const QString kFontKey;      // SOFTWARE\rizavuvavaZo\font
  static const QString kLanguageKey;  // SOFTWARE\rizavuvavaZo\LanguageID
  static const QString kUnitsKey;     // SOFTWARE\rizavuvavaZo\Units
  static const QString kRootKey;      // SOFTWARE\rizavuvavaZo

  SettingsStore(QString registryPath, Settings& settings);

  const QString& path() const { return path_; }

  // Writes every default once per user: when the root key does not exist. Returns true when it wrote.
  bool ensureFirstRunDefaults();

  void loadFontColor();
  void loadLineColor();
  void loadMeasureTextColor();
  void loadFontSize();
  void loadLineWidth();
  void loadLineType();
  void loadLanguage();  // "LanID" and "SubLanIDD" together
  void loadImageFormat();
  void loadEnableSnap();
  void loadCalibratePrompt();
  void loadUnits();  // "unit" and "decimal"
  void loadAll();

  bool saveImageFormat(std::uint32_t format);
  bool saveEnableSnap(std::uint32_t enabled);
  bool saveLanguage(std::uint32_t languageId, std::uint32_t subLanguage);
  bool saveCalibratePrompt(std::uint32_t show);
  bool saveFontColor(std::uint32_t color);
  bool saveLineColor(std::uint32_t color);
  bool saveLineWidth(std::uint32_t width);
  bool saveLineType(std::uint32_t type);
  bool saveMeasureTextColor(std::uint32_t color);
  bool saveFontSize(std::uint32_t size);
  bool saveUnits(const QString& unit, std::uint32_t decimals);

 private:
  bool open(RegistryFile& file);
  void readDword(const QString& key, const QString& name, std::uint32_t& target);
  using NamedValue = std::pair<QString, RegistryValue>;
  bool writeValues(const QString& key, std::initializer_list<NamedValue> values);
  bool writeDword(const QString& key, const QString& name, std::uint32_t value);

  QString path_;
  Settings& settings_;
};

}  // namespace lumivex
