#pragma once

class QPainter;
class QSize;

namespace lumivex {

// Something drawn on every composed live frame (live measurements, comparison tools). The capture side
// calls it on its frame thread with a painter on the composition surface; implementations read only
// immutable snapshots of what the GUI thread changes.
class FrameOverlay {
 public:
  virtual ~FrameOverlay() = default;
  // area: the video area's size; scaleX/scaleY map video coordinates (640 x 480) onto it.
  virtual void draw(QPainter& painter, const QSize& area, double scaleX, double scaleY) = 0;
};

}  // namespace lumivex
