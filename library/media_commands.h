#pragma once

#include "core/atomic_file.h"

#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QObject;
class QWidget;

namespace lumivex {

class ThumbnailStrip;

// The thumbnail menu's file commands on the strip's current entry: open, save as, save all, delete,
// delete all, and the e-mail command's selection check. Every question goes through prompter(); every
// written file is completed under a temporary name and then renamed over its target.
class MediaCommands {
 public:
  // receiver gets 0x800a (open a picture) and 0x800b (open a video) with the path as the message text.
  MediaCommands(ThumbnailStrip& strip, QObject* receiver, QWidget* dialogParent = nullptr);

  // Files the delete commands must leave alone (the video being recorded, the compressor's scratch
  // file): they are skipped, and the user is told.
  void setInUse(std::function<bool(const QString& path)> inUse) { inUse_ = std::move(inUse); }

  // Runs 1234, 1235, 1300, 1236 or 410; false for any other command.
  bool run(int command);

  void open();
  void saveAs();
  void saveAll();
  void deleteCurrent();
  void deleteAll();
  // E-mail (1274): the file to send, or nothing after telling the user to select one.
  std::optional<QString> emailTarget();

  // The capture sizes a still workspace opens.
  static bool isWorkspaceSize(QSize size);
  // Copies src over dst through a temporary file; dst is untouched on failure, and the result says why.
  static WriteResult copyFile(const QString& src, const QString& dst);
  // Loads src as one type and writes dst as the other ("imageSave Create fail" / "Conpress fail"); on
  // SaveFailed, reason (when given) gets the system's words.
  enum class Conversion { Done, LoadFailed, SaveFailed };
  static Conversion convert(const QString& src, const QString& dst, bool toJpeg, QString* reason = nullptr);

 private:
  std::optional<QString> currentOrWarn();
  void warn(const QString& title, const QString& text);
  bool askYesNo(const QString& text);
  void runDeleteAll(const QString& extension);
  bool inUse(const QString& path) const { return inUse_ && inUse_(path); }
  void tellInUse(const QStringList& names);

  ThumbnailStrip& strip_;
  QObject* receiver_;
  QWidget* parent_;
  std::function<bool(const QString&)> inUse_;
};

}  // namespace lumivex
