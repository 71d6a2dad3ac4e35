#include "library/thumbnail_strip.h"

#include "core/control_ids.h"
#include "library/folder_scan.h"
#include "library/thumbnail_loader.h"
#include "library/thumbnail_menu.h"
#include "widgets/icon_menu.h"
#include "widgets/skin_renderer.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <sys/stat.h>

#include <cerrno>

namespace lumivex {
namespace {

constexpr QRgb kMarkColor = qRgb(12, 191, 0);
constexpr QRgb kCurrentColor = qRgb(243, 63, 255);
constexpr QRgb kPictureBackground = qRgb(28, 30, 34);
constexpr QRgb kVideoBackground = qRgb(22, 26, 42);

enum class FileState { Present, Missing, Unreadable };

FileState statFile(const QString& path, ThumbnailKey& key) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
    return errno == ENOENT ? FileState::Missing : FileState::Unreadable;
  }
  key.size = info.st_size;
  key.mtimeNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
  return FileState::Present;
}

void dottedFrame(QPainter& painter, const QRect& slot, QRgb color) {
  QPen pen(QColor::fromRgb(color), 2, Qt::DotLine);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(slot.adjusted(-2, -2, 2, 2));
}

}  // namespace

ThumbnailStrip::ThumbnailStrip(QWidget* parent) : QWidget(parent) {
  setObjectName(QString::number(ids::kThumbnailStrip));
  resize(kSize);
  setAttribute(Qt::WA_OpaquePaintEvent);
  scrollBar_ = new QScrollBar(Qt::Horizontal, this);
  scrollBar_->setObjectName(QStringLiteral("1002-scroll"));
  scrollBar_->setSingleStep(1);
  scrollBar_->setPageStep(kSlots);
  connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) {
    if (updatingBar_) return;
    shownList().scrollTo(value);
    update();
  });
  loader_ = std::make_unique<ThumbnailLoader>(this, [this](const ThumbnailKey& key, const QImage& image) {
    cache_.insert(key, image);
    update();
  });
  slots_.fill(-1);
  updateScrollBar();
}

ThumbnailStrip::~ThumbnailStrip() = default;

void ThumbnailStrip::ScanFolders(const QString& pictureFolder, const QString& videoFolder) {
  pictureFolder_ = pictureFolder;
  videoFolder_ = videoFolder;
  pictures_.clear();
  videos_.clear();
  for (const QString& path : FolderScan::pictures(pictureFolder)) pictures_.appendScanned(path);
  for (const QString& path : FolderScan::videos(videoFolder)) videos_.appendScanned(path);
  refresh();
}

void ThumbnailStrip::AddCapturedPicture(const QString& path) {
  pictures_.addCaptured(path);
  refresh();
}

void ThumbnailStrip::AddRecordedVideo(const QString& path) {
  videos_.addCaptured(path);
  refresh();
}

void ThumbnailStrip::showFolder(Folder folder) {
  shown_ = folder;
  refresh();
}

QRect ThumbnailStrip::clientRect() const {
  return {0, 0, width(), std::max(0, height() - scrollBar_->sizeHint().height())};
}

QRect ThumbnailStrip::slotRect(int slot) const {
  const QRect client = clientRect();
  const int slotWidth = (client.width() - 100) / kSlots;
  const int slotHeight = client.height() - 18;
  return {slot * (slotWidth + 14) + 16, 9, slotWidth, slotHeight};
}

QSize ThumbnailStrip::thumbnailSize() const { return slotRect(0).size(); }

void ThumbnailStrip::layoutSlots() {
  slots_.fill(-1);
  for (QImage& image : slotImages_) image = QImage();
  MediaList& list = shownList();
  const bool video = shown_ == Folder::Videos;
  const QSize target = thumbnailSize();
  if (target.isEmpty()) return;
  int slot = 0;
  bool removed = false;
  for (int index = list.firstVisible(); index < list.count() && slot < kSlots;) {
    ThumbnailKey key{list.entries()[static_cast<std::size_t>(index)].path, 0, 0, target, video};
    const FileState state = statFile(key.path, key);
    if (state == FileState::Missing) {
      cache_.remove(key.path);
      list.removeAt(index);
      removed = true;
      continue;
    }
    if (state == FileState::Unreadable) {
      ++index;
      continue;
    }
    if (const QImage* cached = cache_.find(key)) {
      if (cached->isNull()) {  // known unreadable: its slot goes to the next entry
        ++index;
        continue;
      }
      slotImages_[static_cast<std::size_t>(slot)] = *cached;
    } else {
      loader_->request(key);  // blank until decoded; repainted when the result arrives
    }
    slots_[static_cast<std::size_t>(slot++)] = index++;
  }
  if (removed) {
    updateScrollBar();
    update();
  }
}

std::array<int, ThumbnailStrip::kSlots> ThumbnailStrip::slotEntries() {
  layoutSlots();
  return slots_;
}

bool ThumbnailStrip::waitForThumbnails(int timeoutMs) {
  layoutSlots();
  return loader_->waitForIdle(timeoutMs);
}

void ThumbnailStrip::updateScrollBar() {
  MediaList& list = shownList();
  list.updateRange();
  updatingBar_ = true;
  scrollBar_->setRange(0, list.rangeMax());
  scrollBar_->setValue(list.firstVisible());
  scrollBar_->setEnabled(list.scrollable());
  updatingBar_ = false;
}

void ThumbnailStrip::refresh() {
  updateScrollBar();
  update();
}

bool ThumbnailStrip::SelectAt(QPoint globalPos) {
  MediaList& list = shownList();
  list.clearCurrent();
  layoutSlots();
  const QPoint local = mapFromGlobal(globalPos);
  bool hit = false;
  for (int slot = 0; slot < kSlots; ++slot) {
    const int index = slots_[static_cast<std::size_t>(slot)];
    if (index < 0) break;
    if (slotRect(slot).contains(local)) {
      hit = list.setCurrent(index);
      break;
    }
  }
  update();
  return hit;
}

std::optional<MediaEntry> ThumbnailStrip::CurrentEntry() const {
  const MediaList& list = shown_ == Folder::Pictures ? pictures_ : videos_;
  const int index = list.currentEntry();
  if (index < 0) return std::nullopt;
  return list.entries()[static_cast<std::size_t>(index)];
}

bool ThumbnailStrip::RemoveEntry(const QString& path) {
  cache_.remove(path);
  return shownList().removePath(path);
}

void ThumbnailStrip::clearShownList() {
  shownList().clear();
  refresh();
}

void ThumbnailStrip::renderBuffer() {
  if (buffer_.size() != size()) buffer_ = QImage(size(), QImage::Format_RGB32);
  layoutSlots();
  QPainter painter(&buffer_);
  const QRect client = clientRect();
  painter.fillRect(rect(), QColor::fromRgb(shown_ == Folder::Pictures ? kPictureBackground : kVideoBackground));
  SkinRenderer::paintWell(painter, QRectF(client).adjusted(2, 2, -2, -2));
  const MediaList& list = shownList();
  int currentSlot = -1;
  for (int slot = 0; slot < kSlots; ++slot) {
    const int index = slots_[static_cast<std::size_t>(slot)];
    if (index < 0) break;
    const QRect r = slotRect(slot);
    const QImage& image = slotImages_[static_cast<std::size_t>(slot)];
    if (!image.isNull()) painter.drawImage(r, image);
    const MediaEntry& entry = list.entries()[static_cast<std::size_t>(index)];
    if ((entry.flags & MediaEntry::kMarked) != 0) dottedFrame(painter, r, kMarkColor);
    if (entry.isCurrent()) currentSlot = slot;
  }
  if (currentSlot >= 0) {
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    dottedFrame(painter, slotRect(currentSlot), kCurrentColor);
  }
}

void ThumbnailStrip::paintEvent(QPaintEvent*) {
  renderBuffer();
  QPainter painter(this);
  painter.drawImage(0, 0, buffer_);
}

void ThumbnailStrip::resizeEvent(QResizeEvent*) {
  const int barHeight = scrollBar_->sizeHint().height();
  scrollBar_->setGeometry(0, height() - barHeight, width(), barHeight);
}

void ThumbnailStrip::emitCommand(int command) {
  if (commandHandler_) commandHandler_(command);
}

void ThumbnailStrip::mousePressEvent(QMouseEvent* event) {
  const QPoint global = event->globalPosition().toPoint();
  if (event->button() == Qt::LeftButton) {
    SelectAt(global);
  } else if (event->button() == Qt::RightButton) {
    if (!SelectAt(global)) return;
    // The strip owns the menu (its parent) until it closes and deletes itself.
    IconMenu* menu = ThumbnailMenu::create(this).release();
    menu->popupCommands(global, [this](int command) { emitCommand(command); });
  }
}

void ThumbnailStrip::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  SelectAt(event->globalPosition().toPoint());
  emitCommand(ids::kOpenFile);
}

void ThumbnailStrip::wheelEvent(QWheelEvent* event) { event->accept(); }

}  // namespace lumivex
