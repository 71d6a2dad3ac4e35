#pragma once

#include <QImage>
#include <QPainter>
#include <QSize>

namespace lumivex {

// Something drawn on every composed live frame (live measurements, comparison tools). The capture side
// calls it on its frame thread with a painter on the composition surface; implementations read only
// immutable snapshots of what the GUI thread changes.
class FrameOverlay {
 public:
  virtual ~FrameOverlay() = default;
  // area: the video area's size; scaleX/scaleY map video coordinates (640 x 480) onto it.
  virtual void draw(QPainter& painter, const QSize& area, double scaleX, double scaleY) = 0;
  // What the frame path calls. Opening a painter allocates, so overlays that can blend their pixels
  // without one override this and keep the frame path free of allocations.
  virtual void drawOnFrame(QImage& frame, double scaleX, double scaleY) {
    QPainter painter(&frame);
    draw(painter, frame.size(), scaleX, scaleY);
  }
};

}  // namespace lumivex
