#pragma once

#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

class QWidget;

namespace lumivex {

class CaptureService;
class MainControls;

// Full screen, tool-tips and the cursor of the main window. Full screen shows only the video area over
// the whole screen with the red "ESC Restore" hint and no tool-tips; the live overlays map video
// coordinates onto it by scaleX/scaleY. The cursor mode says what the pointer shows: the measuring cursor
// over the video area, the hourglass while an export runs.
class ScreenController {
 public:
  enum class CursorMode { Default = 0, Busy = 1, Measuring = 2 };

  ScreenController(QWidget& window, MainControls& controls, CaptureService& capture);

  // Run before entering full screen (the live view drops pending input) and after leaving it (the strip
  // is redrawn).
  void setBeforeEnter(std::function<void()> hook) { beforeEnter_ = std::move(hook); }
  void setAfterLeave(std::function<void()> hook) { afterLeave_ = std::move(hook); }

  // Command 1176 and the desktop's maximise: full screen on the window's screen.
  void enterOnCurrentScreen();
  void enter(QRect screenRect);
  // Esc and the desktop's restore.
  void leave();
  bool isFullScreen() const { return fullScreen_; }
  double scaleX() const { return scaleX_; }
  double scaleY() const { return scaleY_; }
  // Factors mapping video coordinates onto the full-screen area.
  static QPointF fullScreenFactors(QSize screen, QSize capture);

  // Fills every button's tip in the current language (none in full screen), the switch's by its latch.
  void refreshToolTips();

  CursorMode cursorMode() const { return cursorMode_; }
  // The hourglass while an export runs.
  void setBusy(bool busy);
  // The pointer entered or left the video area.
  void hoverVideo(bool inside);

  // After close nothing enters full screen any more.
  void shutdown();

 private:
  QWidget& window_;
  MainControls& controls_;
  CaptureService& capture_;
  std::function<void()> beforeEnter_;
  std::function<void()> afterLeave_;
  QString hintText_;
  QRect normalGeometry_;
  bool fullScreen_ = false;
  bool closed_ = false;
  double scaleX_ = 1.0;
  double scaleY_ = 1.0;
  CursorMode cursorMode_ = CursorMode::Default;
};

}  // namespace lumivex
