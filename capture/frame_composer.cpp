#include "capture/frame_composer.h"

#include "core/frame_overlay.h"
#include "core/localisation.h"
#include "core/video_geometry.h"

#include <QDateTime>
#include <QFont>
#include <QPainter>

#include <algorithm>

namespace lumivex {

FrameComposer::FrameComposer() : pendingArea_(kVideoAreaSize) {}

void FrameComposer::setArea(QSize area, bool clear) {
  std::lock_guard lock(mutex_);
  pendingArea_ = area;
  if (clear && area.isValid()) {
    blank_ = QImage(area, QImage::Format_RGB32);
    blank_.fill(Qt::black);
  }
}

void FrameComposer::setRecordingSeconds(int seconds) {
  const QString suffix = LookupText("Seconds", 64, QStringLiteral("Seconds"));
  {
    std::lock_guard lock(mutex_);
    secondsSuffix_ = suffix;
  }
  recordingSeconds_.store(seconds);
}

QSize FrameComposer::area() const {
  std::lock_guard lock(mutex_);
  return pendingArea_;
}

void FrameComposer::setScale(double scaleX, double scaleY) {
  std::lock_guard lock(mutex_);
  scaleX_ = scaleX;
  scaleY_ = scaleY;
}

void FrameComposer::setFullScreen(bool on) {
  std::lock_guard lock(mutex_);
  fullScreen_ = on;
}

void FrameComposer::setLiveOverlay(std::shared_ptr<FrameOverlay> overlay) {
  std::lock_guard lock(mutex_);
  liveOverlay_ = std::move(overlay);
}

void FrameComposer::setComparisonOverlay(std::shared_ptr<FrameOverlay> overlay) {
  std::lock_guard lock(mutex_);
  comparisonOverlay_ = std::move(overlay);
}

void FrameComposer::release() {
  std::lock_guard lock(mutex_);
  for (QImage& image : images_) image = QImage();
  front_ = -1;
  blank_ = QImage();
}

QImage FrameComposer::latest() const {
  std::lock_guard lock(mutex_);
  if (!blank_.isNull()) return blank_;
  if (front_ < 0) return {};
  return images_[static_cast<std::size_t>(front_)];
}

int FrameComposer::pickBackBuffer() {
  // Called with mutex_ held. Only the front picture is ever handed out, so a back picture that is
  // detached now stays detached until it becomes the front.
  for (int i = 0; i < 3; ++i) {
    if (i == front_) continue;
    QImage& image = images_[static_cast<std::size_t>(i)];
    if (image.isNull() || image.size() != area_) {
      if (image.isNull() || image.isDetached()) return i;
      continue;
    }
    if (image.isDetached()) return i;
  }
  return -1;
}

void FrameComposer::compose(const std::uint8_t* topDown, int width, int height, int srcStride) {
  int slot = -1;
  {
    std::lock_guard lock(mutex_);
    area_ = pendingArea_;
    areaFullScreen_ = fullScreen_;
    if (!area_.isValid() || area_.isEmpty()) return;
    slot = pickBackBuffer();
  }
  if (slot < 0) return;  // the GUI holds every spare picture; this frame is not shown
  QImage& image = images_[static_cast<std::size_t>(slot)];
  if (image.size() != area_ || image.format() != QImage::Format_RGB32)
    image = QImage(area_, QImage::Format_RGB32);  // only when the area changes

  const int areaW = area_.width();
  const int areaH = area_.height();
  if (tableSourceWidth_ != width || static_cast<int>(xOffsets_.size()) != areaW) {
    xOffsets_.resize(static_cast<std::size_t>(areaW));
    for (int x = 0; x < areaW; ++x)
      xOffsets_[static_cast<std::size_t>(x)] = static_cast<int>(static_cast<std::int64_t>(x) * width / areaW) * 3;
    tableSourceWidth_ = width;
  }
  // A tall picture is drawn 32 lines taller than the area in the normal window, its bottom falling
  // outside; on the full screen it is drawn whole.
  const int tallExtra = kTallPictureAreaHeight - kVideoAreaSize.height();
  const bool tall = isTallPicture(QSize(width, height));
  const int destH = tall && !areaFullScreen_ ? areaH + tallExtra : areaH;
  const int* xo = xOffsets_.data();
  for (int y = 0; y < areaH; ++y) {
    const int sy = static_cast<int>(static_cast<std::int64_t>(y) * height / destH);
    const std::uint8_t* src = topDown + static_cast<std::ptrdiff_t>(sy) * srcStride;
    auto* dst = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    for (int x = 0; x < areaW; ++x) {
      const std::uint8_t* p = src + xo[x];
      dst[x] = 0xff000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    }
  }
  // The overlays follow the rows as drawn: 512 video rows over destH picture rows for a tall frame.
  drawDecorations(image, tall ? destH / double(kTallPictureAreaHeight) : 0.0);

  std::lock_guard lock(mutex_);
  front_ = slot;
  blank_ = QImage();
}

void FrameComposer::drawDecorations(QImage& image, double tallScaleY) {
  std::shared_ptr<FrameOverlay> live;
  std::shared_ptr<FrameOverlay> comparison;
  double sx = 1.0;
  double sy = 1.0;
  QString suffix;
  {
    std::lock_guard lock(mutex_);
    live = liveOverlay_;
    comparison = comparisonOverlay_;
    sx = scaleX_;
    sy = tallScaleY > 0 ? tallScaleY : scaleY_;
    suffix = secondsSuffix_;
  }
  const QSize size = image.size();
  // Crosshair and labels are plain pixel work and the overlays open a painter only when they need one,
  // so a frame whose overlays have not changed allocates nothing.
  if (live) live->drawOnFrame(image, sx, sy);
  if (timeStamp_.load()) {
    const QDateTime now = QDateTime::currentDateTime();
    const qint64 second = now.toSecsSinceEpoch();
    if (second != stampSecond_) {
      const QDate d = now.date();
      const QTime t = now.time();
      renderLabel(stampLabel_,
                  QStringLiteral("%1-%2-%3 %4:%5:%6")
                      .arg(d.year())
                      .arg(d.month())
                      .arg(d.day())
                      .arg(t.hour())
                      .arg(t.minute())
                      .arg(t.second()),
                  Qt::black, true);
      stampSecond_ = second;
    }
    blitLabel(image, stampLabel_, 0, size.height() - 14, true);
  }
  if (crosshair_.load()) {
    const int cy = size.height() / 2;
    const int cx = size.width() / 2;
    auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(cy));
    for (int x = 0; x < size.width(); ++x) row[x] = 0xffffffffu;
    for (int y = 0; y < size.height(); ++y) reinterpret_cast<std::uint32_t*>(image.scanLine(y))[cx] = 0xffffffffu;
  }
  if (comparison) comparison->drawOnFrame(image, sx, sy);
  const int seconds = recordingSeconds_.load();
  if (seconds > 0) {
    if (seconds != secondsShown_) {
      renderLabel(secondsLabel_, QString::number(seconds) + suffix, QColor(255, 0, 0), false);
      secondsShown_ = seconds;
    }
    blitLabel(image, secondsLabel_, size.width() - 4 - secondsLabel_.width(), size.height() - 12, false);
  }
}

void FrameComposer::renderLabel(QImage& label, const QString& text, QColor color, bool opaque) {
  QFont font(QStringLiteral("Sans"));
  font.setPixelSize(12);
  const QFontMetrics metrics(font);
  label = QImage(QSize(std::max(1, metrics.horizontalAdvance(text)), metrics.height()),
                 QImage::Format_ARGB32_Premultiplied);
  label.fill(opaque ? QColor(Qt::white) : QColor(Qt::transparent));
  QPainter painter(&label);
  painter.setFont(font);
  painter.setPen(color);
  painter.drawText(label.rect(), Qt::AlignLeft | Qt::AlignTop, text);
}

void FrameComposer::blitLabel(QImage& image, const QImage& label, int x0, int y0, bool opaque) {
  for (int y = 0; y < label.height(); ++y) {
    const int ty = y0 + y;
    if (ty < 0 || ty >= image.height()) continue;
    const auto* src = reinterpret_cast<const std::uint32_t*>(label.constScanLine(y));
    auto* dst = reinterpret_cast<std::uint32_t*>(image.scanLine(ty));
    for (int x = 0; x < label.width(); ++x) {
      const int tx = x0 + x;
      if (tx < 0 || tx >= image.width()) continue;
      const std::uint32_t s = src[x];
      const std::uint32_t a = s >> 24;
      if (opaque || a == 255) {
        dst[tx] = s | 0xff000000u;
      } else if (a != 0) {
        // Premultiplied source over the frame.
        const std::uint32_t d = dst[tx];
        const std::uint32_t inv = 255 - a;
        const std::uint32_t r = ((s >> 16) & 0xff) + (((d >> 16) & 0xff) * inv) / 255;
        const std::uint32_t g = ((s >> 8) & 0xff) + (((d >> 8) & 0xff) * inv) / 255;
        const std::uint32_t b = (s & 0xff) + ((d & 0xff) * inv) / 255;
        dst[tx] = 0xff000000u | (r << 16) | (g << 8) | b;
      }
    }
  }
}

}  // namespace lumivex
