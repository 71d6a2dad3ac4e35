#pragma once

#include "library/media_list.h"
#include "library/thumbnail_cache.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QScrollBar;

namespace lumivex {

class ThumbnailLoader;

// The media browser's strip (control 1002): six thumbnails of the picture or the video folder, a
// horizontal scroll bar, selection by mouse and the thumbnail menu. Thumbnails are decoded off the GUI
// thread at slot size and cached by path, size and modification time; a slot whose thumbnail is still
// being decoded stays blank, and a file that cannot be decoded takes no slot.
class ThumbnailStrip : public QWidget {
 public:
  enum class Folder { Pictures, Videos };
  static constexpr int kSlots = MediaList::kSlots;
  static constexpr QSize kSize{642, 115};

  explicit ThumbnailStrip(QWidget* parent = nullptr);
  ~ThumbnailStrip() override;

  // The start-up scan of both folders (nothing is decoded here).
  void ScanFolders(const QString& pictureFolder, const QString& videoFolder);
  void AddCapturedPicture(const QString& path);
  void AddRecordedVideo(const QString& path);

  // Folder buttons 1201 and 1202.
  void showFolder(Folder folder);
  Folder shownFolder() const { return shown_; }
  const QString& pictureFolder() const { return pictureFolder_; }
  const QString& videoFolder() const { return videoFolder_; }
  const QString& shownFolderPath() const { return shown_ == Folder::Pictures ? pictureFolder_ : videoFolder_; }

  MediaList& shownList() { return shown_ == Folder::Pictures ? pictures_ : videos_; }
  const MediaList& pictures() const { return pictures_; }
  const MediaList& videos() const { return videos_; }

  // Selects the entry in the slot under a screen point; false (and no current entry) beside the slots.
  bool SelectAt(QPoint globalPos);
  std::optional<MediaEntry> CurrentEntry() const;
  bool RemoveEntry(const QString& path);
  void clearShownList();
  // After a change of the shown list: scroll bar and repaint.
  void refresh();

  // Commands raised by the mouse: 1234 on a double click, and the thumbnail menu's choice.
  void setCommandHandler(std::function<void(int command)> handler) { commandHandler_ = std::move(handler); }

  QRect slotRect(int slot) const;
  QSize thumbnailSize() const;
  // The entry index shown in each slot (-1 for an empty slot), laid out as the next paint would.
  std::array<int, kSlots> slotEntries();
  QScrollBar* scrollBar() const { return scrollBar_; }
  // Waits until every requested thumbnail has been decoded and delivered (tests, benchmarks).
  bool waitForThumbnails(int timeoutMs = 10000);
  ThumbnailCache& cache() { return cache_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void layoutSlots();
  void updateScrollBar();
  void renderBuffer();
  void emitCommand(int command);
  QRect clientRect() const;

  MediaList pictures_;
  MediaList videos_;
  Folder shown_ = Folder::Pictures;
  QString pictureFolder_;
  QString videoFolder_;
  QScrollBar* scrollBar_ = nullptr;  // owned by this widget as its child
  ThumbnailCache cache_;
  std::unique_ptr<ThumbnailLoader> loader_;
  std::array<int, kSlots> slots_{};
  std::array<QImage, kSlots> slotImages_;  // shared copies of the cached thumbnails
  QImage buffer_;
  std::function<void(int)> commandHandler_;
  bool updatingBar_ = false;
};

}  // namespace lumivex
