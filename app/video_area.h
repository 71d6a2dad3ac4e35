#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <atomic>
#include <functional>

namespace lumivex {

// The live video area (control 1000): paints the latest composed picture of the capture side, and on
// top of it the green connect message while no camera is connected and the red hint in full screen.
// Mouse events are handed to the owner; over the area the measuring cursor is shown.
class VideoArea : public QWidget {
 public:
  using FrameSource = std::function<QImage()>;
  using MouseHandler = std::function<void(QMouseEvent*)>;

  explicit VideoArea(QWidget* parent = nullptr);

  void setFrameSource(FrameSource source) { frameSource_ = std::move(source); }
  void setConnectMessage(QString text);
  const QString& connectMessage() const { return connectMessage_; }
  void setHint(QString text);
  const QString& hint() const { return hint_; }
  void setMouseHandler(MouseHandler handler) { mouseHandler_ = std::move(handler); }
  void setHoverHandler(std::function<void(bool inside)> handler) { hoverHandler_ = std::move(handler); }

  // Thread-safe: asks for one repaint; many requests before it runs give one paint.
  void requestRepaint();

  // The message font: 20 pixels high, 10 wide, normal weight, fixed pitch.
  static QFont messageFont();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void forward(QMouseEvent* event);

  FrameSource frameSource_;
  MouseHandler mouseHandler_;
  std::function<void(bool)> hoverHandler_;
  QString connectMessage_;
  QString hint_;
  std::atomic<bool> repaintPending_{false};
};

}  // namespace lumivex
