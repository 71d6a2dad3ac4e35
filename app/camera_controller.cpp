#include "app/camera_controller.h"

#include "app/command_registry.h"
#include "app/main_controls.h"
#include "app/recording_controller.h"
#include "app/screen_controller.h"
#include "app/video_area.h"
#include "core/app_events.h"
#include "core/control_ids.h"
#include "core/localisation.h"
#include "core/logging.h"
#include "core/settings_store.h"
#include "widgets/latch_button.h"

#include <QDialog>
#include <QScopedValueRollback>
#include <QWidget>

namespace lumivex {

CameraController::CameraController(QWidget& window, MainControls& controls, CaptureService& capture,
                                   SettingsStore& store, ScreenController& screen, RecordingController& recording)
    : window_(window),
      controls_(controls),
      capture_(capture),
      store_(store),
      screen_(screen),
      recording_(recording),
      reconnectTimer_(&window) {
  reconnectTimer_.setObjectName(QString::number(ids::kTimerReconnect));
  reconnectTimer_.setSingleShot(true);
  QObject::connect(&reconnectTimer_, &QTimer::timeout, &window, [this] {
    reconnectTimer_.stop();
    reconnect();
  });
}

void CameraController::connectAtStart() {
  switch (capture_.connectDevice()) {
    case CaptureService::ConnectResult::Connected:
      enterConnected();
      break;
    case CaptureService::ConnectResult::RetryLater:
      // The graph exists but the device did not answer yet: one more try shortly.
      qCInfo(lcConnection) << "no answer from the device yet; trying again";
      setButtonsEnabled(false);
      reconnectTimer_.start(100);
      break;
    case CaptureService::ConnectResult::Failed:
      qCInfo(lcConnection) << "no camera at start";
      capture_.release();
      enterNotConnected();
      break;
  }
}

void CameraController::enterConnected() {
  connected_ = true;
  setButtonsEnabled(true);
  controls_.latchButton(ids::kPreview)->setLatched(true);
  controls_.videoArea()->setConnectMessage({});
  screen_.refreshToolTips();
}

void CameraController::enterNotConnected() {
  connected_ = false;
  setButtonsEnabled(false);
  controls_.latchButton(ids::kPreview)->setLatched(false);
  controls_.videoArea()->setConnectMessage(
      LookupText("ConnectMsg", 256, QStringLiteral("Please connect Digital Microscope")));
  screen_.refreshToolTips();
}

void CameraController::setButtonsEnabled(bool connected) {
  for (ButtonTable::Row& row : controls_.buttons().rows()) {
    const CommandEntry* desc = commandEntry(static_cast<CommandId>(row.info->id));
    const EnabledWhen rule = desc ? desc->enabledWhen : EnabledWhen::Connected;
    row.button->setEnabled(rule == EnabledWhen::Always || (rule == EnabledWhen::Connected && connected));
  }
}

void CameraController::onDeviceChange(DeviceChange change) {
  if (heldForPlayer_) {
    // The camera stays released under the player; the reconnection after it sees the new device.
    changedDuringPlayer_ = true;
    return;
  }
  switch (change) {
    case DeviceChange::NodeChanged:
      reconnectTimer_.start(1000);
      break;
    case DeviceChange::Arrived:
    case DeviceChange::Removed:
      reconnect();
      break;
  }
}

void CameraController::reconnect() {
  // A device event or a retry queued before the window closed, or while the player runs, must not start
  // the camera again.
  if (closed_ || heldForPlayer_) return;
  // A device event arriving while a rebuild runs (from a nested event loop) must not rebuild the graph
  // underneath it: it tries again a little later instead.
  if (reconnecting_) {
    reconnectTimer_.start(1000);
    return;
  }
  const QScopedValueRollback<bool> guard(reconnecting_, true);
  if (capture_.reinitialiseIfRunning()) {
    tellVideoSettings();
    return;
  }
  // The camera went away (or is being rebuilt): a recording ends as F4 ends it, complete and listed.
  recording_.stopForLostCamera();
  tellVideoSettings();
  capture_.stop();
  if (capture_.connectDevice() == CaptureService::ConnectResult::Connected) {
    enterConnected();
  } else {
    qCInfo(lcConnection) << "reconnection found no camera";
    capture_.release();
    enterNotConnected();
  }
  controls_.videoArea()->update();
}

void CameraController::tellVideoSettings() {
  if (videoSettings_) postAppEvent<DeviceReinitialisedEvent>(videoSettings_.data());
}

void CameraController::togglePreview() {
  LatchButton* preview = controls_.latchButton(ids::kPreview);
  if (preview->isLatched()) {
    preview->setLatched(false);
    capture_.stop();
  } else {
    if (recording_.isRecording()) recording_.stopQuietly();
    preview->setLatched(true);
    capture_.run();
  }
  screen_.refreshToolTips();
}

void CameraController::toggleSnapshotKey() {
  LatchButton* snapSwitch = controls_.latchButton(ids::kSnapSwitch);
  // Latched means the camera's snapshot key is off.
  const bool enable = snapSwitch->isLatched();
  snapSwitch->setLatched(!enable);
  store_.saveEnableSnap(enable);
  capture_.setSnapshotKeyEnabled(enable);
  screen_.refreshToolTips();
}

void CameraController::openVideoSettings() {
  if (videoSettings_) {
    videoSettings_->raise();
    return;
  }
  videoSettings_ = capture_.createVideoSettingsDialog(window_);
  if (!videoSettings_) return;
  videoSettings_->setAttribute(Qt::WA_DeleteOnClose);
  videoSettings_->open();
}

void CameraController::holdForPlayer() {
  if (heldForPlayer_) return;
  heldForPlayer_ = true;
  changedDuringPlayer_ = false;
  reconnectTimer_.stop();
  capture_.stop();
  capture_.release();
}

void CameraController::resumeAfterPlayer() {
  if (!heldForPlayer_) return;
  heldForPlayer_ = false;
  if (closed_) return;
  if (changedDuringPlayer_) qCInfo(lcConnection) << "a device changed while the player ran; reconnecting now";
  reconnectTimer_.start(100);
}

void CameraController::shutdown() {
  closed_ = true;
  reconnectTimer_.stop();
  // No frame may reach the video area once the graph goes.
  capture_.setFrameListener({});
  capture_.stop();
  capture_.release();
}

}  // namespace lumivex
