#include "app/screen_controller.h"

#include "app/command_registry.h"
#include "app/main_controls.h"
#include "app/main_skin.h"
#include "app/video_area.h"
#include "core/capture_service.h"
#include "core/capture_state.h"
#include "core/control_ids.h"
#include "core/localisation.h"
#include "core/video_geometry.h"
#include "widgets/latch_button.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace lumivex {

ScreenController::ScreenController(QWidget& window, MainControls& controls, CaptureService& capture)
    : window_(window),
      controls_(controls),
      capture_(capture),
      hintText_(LookupText("EscRestore", 128, QStringLiteral("ESC Restore"))) {
  controls_.videoArea()->setHoverHandler([this](bool inside) { hoverVideo(inside); });
}

QPointF ScreenController::fullScreenFactors(QSize screen, QSize capture) {
  const QSize area = MainControls::kVideoAreaRect.size();
  const double vertical = isTallPicture(capture) ? screen.height() / double(kTallPictureAreaHeight)
                                                 : screen.height() / double(area.height());
  return {screen.width() / double(area.width()), vertical};
}

void ScreenController::enterOnCurrentScreen() {
  const QScreen* target = window_.screen() ? window_.screen() : QGuiApplication::primaryScreen();
  if (target) enter(target->geometry());
}

void ScreenController::enter(QRect screenRect) {
  if (fullScreen_ || closed_) return;
  normalGeometry_ = window_.geometry();
  if (beforeEnter_) beforeEnter_();
  fullScreen_ = true;
  refreshToolTips();
  VideoArea* area = controls_.videoArea();
  for (QWidget* child : window_.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (child != area && !child->isWindow()) child->hide();
  }
  window_.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  window_.setMinimumSize(0, 0);
  window_.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  window_.setGeometry(screenRect);
  area->setGeometry(QRect(QPoint(0, 0), screenRect.size()));
  const QPointF factors =
      fullScreenFactors(screenRect.size(), QSize(captureState().width.load(), captureState().height.load()));
  scaleX_ = factors.x();
  scaleY_ = factors.y();
  capture_.setFullScreen(true, screenRect.size());
  area->setHint(hintText_);
  window_.show();
  window_.raise();
  window_.activateWindow();
}

void ScreenController::leave() {
  if (!fullScreen_) return;
  window_.hide();
  window_.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  window_.setWindowTitle(LookupText("MsgTitle", 256, QStringLiteral("Lumivex")));
  window_.setFixedSize(MainSkin::kWidth, MainSkin::kHeight);
  window_.setGeometry(normalGeometry_);
  VideoArea* area = controls_.videoArea();
  area->setGeometry(MainControls::kVideoAreaRect);
  area->setHint({});
  for (QWidget* child : window_.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (!child->isWindow() && !MainControls::hiddenInNormalWindow(child)) child->show();
  }
  scaleX_ = 1.0;
  scaleY_ = 1.0;
  fullScreen_ = false;
  if (afterLeave_) afterLeave_();
  capture_.setFullScreen(false, area->size());
  window_.show();
  refreshToolTips();
}

void ScreenController::refreshToolTips() {
  for (ButtonTable::Row& row : controls_.buttons().rows()) {
    const int id = row.info->id;
    if (id == ids::kSnapSwitch && controls_.latchButton(id)->isLatched()) {
      row.toolTip = LookupText("TipSwitchDisable", kToolTipMaxChars + 1, QStringLiteral("Snapshot Disable"));
    } else {
      row.toolTip = commandText(static_cast<CommandId>(id), kToolTipMaxChars + 1);
    }
    // In full screen the buttons carry no tips at all.
    row.button->setToolTip(fullScreen_ ? QString() : row.toolTip);
  }
  controls_.buttons().updateScreenRects();
}

void ScreenController::setBusy(bool busy) {
  if (busy && cursorMode_ != CursorMode::Busy) {
    cursorMode_ = CursorMode::Busy;
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (!busy && cursorMode_ == CursorMode::Busy) {
    cursorMode_ = controls_.videoArea()->underMouse() ? CursorMode::Measuring : CursorMode::Default;
    QApplication::restoreOverrideCursor();
  }
}

void ScreenController::hoverVideo(bool inside) {
  if (cursorMode_ != CursorMode::Busy) cursorMode_ = inside ? CursorMode::Measuring : CursorMode::Default;
}

void ScreenController::shutdown() {
  closed_ = true;
  if (cursorMode_ == CursorMode::Busy) setBusy(false);
}

}  // namespace lumivex
