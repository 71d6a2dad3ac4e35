#pragma once

#include "core/atomic_file.h"
#include "core/registry_file.h"
#include "core/settings.h"
#include "core/whole_file.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>

namespace lumivex {

// Reads and writes the stored settings one value (or pair) at a time, as the windows that own them
// change them. Every operation looks at the registry file afresh, so a value another process wrote
// between two loads is seen; the file is parsed again only when it changed (inode, size, times).
// Read failures leave the variable's default.
//
// A file that cannot be read (permissions, an I/O error) says nothing about its content: defaults apply
// in memory, it is never written over, and stderr says so once. A file that is read but not understood
// (or larger than RegistryFile::kMaxBytes) is set aside as ".bad", ".bad.1", ... (never over an earlier
// one) and a fresh file is started. A write that fails leaves the file as it was and reaches the
// failure handler, which tells the user.
class SettingsStore {
 public:
  using FailureHandler = std::function<void(const QString& path, const WriteResult& result)>;

  static const QString kFontKey;      // SOFTWARE\rizavuvavaZo\font
  static const QString kLanguageKey;  // SOFTWARE\rizavuvavaZo\LanguageID
  static const QString kUnitsKey;     // SOFTWARE\rizavuvavaZo\Units
  static const QString kRootKey;      // SOFTWARE\rizavuvavaZo

  SettingsStore(QString registryPath, Settings& settings);

  const QString& path() const { return path_; }
  void setFailureHandler(FailureHandler handler) { onFailure_ = std::move(handler); }
  // The first free set-aside name for a corrupt file at path: path.bad, path.bad.1, ...
  static QString setAsideName(const QString& path);
  // How often the file has been read and parsed: once per change of the file, however many values are read.
  int readCount() const { return readCount_; }

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
  void loadUnits();  // "unit", "decimal" and "ShowUncertainty"
  void loadAll();

  WriteResult saveImageFormat(ImageFormat format);
  WriteResult saveEnableSnap(bool enabled);
  WriteResult saveLanguage(Language language);
  WriteResult saveCalibratePrompt(bool show);
  WriteResult saveFontColor(std::uint32_t color);
  WriteResult saveLineColor(std::uint32_t color);
  WriteResult saveLineWidth(std::uint32_t width);
  WriteResult saveLineType(std::uint32_t type);
  WriteResult saveMeasureTextColor(std::uint32_t color);
  WriteResult saveFontSize(std::uint32_t size);
  WriteResult saveUnits(const QString& unit, std::uint32_t decimals);
  WriteResult saveShowUncertainty(bool show);

 private:
  // Brings the cached registry up to the file's current state; false when the file cannot be read.
  bool refresh();
  void setAside();
  void readDword(const QString& key, const QString& name, std::uint32_t& target);
  // The typed settings from their stored numbers: a switch is on when 1 is stored.
  void readDword(const QString& key, const QString& name, bool& target);
  void readDword(const QString& key, const QString& name, ImageFormat& target);
  void readDword(const QString& key, const QString& name, PrimaryLanguage& target);
  void readDword(const QString& key, const QString& name, SubLanguage& target);
  using NamedValue = std::pair<QString, RegistryValue>;
  WriteResult writeValues(const QString& key, std::initializer_list<NamedValue> values);
  WriteResult writeDword(const QString& key, const QString& name, std::uint32_t value);
  WriteResult write(const RegistryFile& updated);

  QString path_;
  Settings& settings_;
  FailureHandler onFailure_;
  RegistryFile cache_;
  std::optional<FileStamp> cachedStamp_;  // the file version cache_ holds; nullopt: none
  int unreadableError_ = 0;               // errno while the file cannot be read
  QString unreadableReason_;              // and the words for it
  bool warnedUnreadable_ = false;
  int readCount_ = 0;
};

}  // namespace lumivex
