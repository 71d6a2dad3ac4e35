#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>

namespace lumivex {

// The magnifier beside the video area (control 1358): shows the block of the measurement frame around
// the cursor, stretched over the box. A left click zooms in one level, a right click out one level.
class MagnifierBox : public QWidget {
 public:
  static constexpr int kMinZoom = 1;
  static constexpr int kMaxZoom = 6;
  static constexpr int kStartZoom = 3;

  explicit MagnifierBox(int id, QWidget* parent = nullptr);

  int zoom() const { return zoom_; }
  void setZoom(int zoom);
  // The frame to magnify and the point of it under the cursor, in frame pixels.
  void setSource(QImage frame, QPointF centre);
  void setCentre(QPointF centre);
  void clearSource();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QImage frame_;
  QPointF centre_;
  int zoom_ = kStartZoom;
};

}  // namespace lumivex
