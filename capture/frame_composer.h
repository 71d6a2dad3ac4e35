#pragma once

#include <QImage>
#include <QSize>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace lumivex {

class FrameOverlay;

// The composition surface: each frame is stretched (nearest neighbour) into a picture of the video
// area's size, then the live overlay, time stamp, crosshair, comparison overlay and recording seconds are
// drawn on it. Three pictures rotate so the frame thread never writes one the GUI still holds: the GUI
// only ever receives the newest finished one, and a picture it still references is skipped.
class FrameComposer {
 public:
  FrameComposer();

  // GUI thread. A new area size takes effect with the next frame; clear paints it black meanwhile.
  void setArea(QSize area, bool clear);
  QSize area() const;
  void setCrosshair(bool on) { crosshair_.store(on); }
  bool crosshair() const { return crosshair_.load(); }
  void setTimeStamp(bool on) { timeStamp_.store(on); }
  bool timeStamp() const { return timeStamp_.load(); }
  // GUI thread (looks up the "Seconds" text).
  void setRecordingSeconds(int seconds);
  void setScale(double scaleX, double scaleY);
  // A 1280 x 1024 frame is shown 512 rows tall: cut to the area's height in the normal window, whole
  // on the full screen (where the overlays' vertical scale is then height / 512).
  void setFullScreen(bool on);
  void setLiveOverlay(std::shared_ptr<FrameOverlay> overlay);
  void setComparisonOverlay(std::shared_ptr<FrameOverlay> overlay);
  // Drops every picture (graph released).
  void release();

  // Frame thread. Rows top-down, srcStride apart, 24-bit BGR.
  void compose(const std::uint8_t* topDown, int width, int height, int srcStride);

  // Any thread: the newest composed picture (shared, never written again while referenced).
  QImage latest() const;

 private:
  int pickBackBuffer();
  void drawDecorations(QImage& image, double tallScaleY);
  // Small text pictures, re-rendered only when their text changes (once a second at most).
  static void renderLabel(QImage& label, const QString& text, QColor color, bool opaque);
  static void blitLabel(QImage& image, const QImage& label, int x, int y, bool opaque);

  mutable std::mutex mutex_;  // guards front_, the overlays, the scale and pendingArea_
  std::array<QImage, 3> images_;
  int front_ = -1;
  QSize pendingArea_;
  QImage blank_;  // shown after a cleared area change until the next frame
  QString secondsSuffix_;
  double scaleX_ = 1.0;
  double scaleY_ = 1.0;
  bool fullScreen_ = false;
  std::shared_ptr<FrameOverlay> liveOverlay_;
  std::shared_ptr<FrameOverlay> comparisonOverlay_;

  // Frame thread only.
  QSize area_;
  bool areaFullScreen_ = false;
  std::vector<int> xOffsets_;
  int tableSourceWidth_ = 0;
  qint64 stampSecond_ = -1;
  QImage stampLabel_;
  int secondsShown_ = 0;
  QImage secondsLabel_;

  std::atomic<bool> crosshair_{false};
  std::atomic<bool> timeStamp_{false};
  std::atomic<int> recordingSeconds_{0};
};

}  // namespace lumivex
