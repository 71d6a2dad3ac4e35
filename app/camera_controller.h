#pragma once

#include "core/capture_service.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

class QWidget;

namespace lumivex {

class MainControls;
class RecordingController;
class ScreenController;
class SettingsStore;

// The camera connection of the main window: connected (buttons enabled, preview running) or not
// connected (only Close enabled, the connect message drawn), the reconnection on device changes and on
// timer 1001, the preview toggle, the capture sizes, the snapshot switch and the video settings dialog
// (told 0x8005 whenever the device is re-initialised).
class CameraController {
 public:
  CameraController(QWidget& window, MainControls& controls, CaptureService& capture, SettingsStore& store,
                   ScreenController& screen, RecordingController& recording);

  // The first connection, during the window's start-up.
  void connectAtStart();
  bool isConnected() const { return connected_; }

  // 0x8010 and timer 1001.
  void onDeviceChange(DeviceChange change);
  void reconnect();
  // 0x8003.
  void onGraphEvent() { capture_.handleGraphEvent(); }

  // 1014: stops or runs the graph; a recording stops first.
  void togglePreview();
  // F10, F11, F12.
  void setCaptureSize(CaptureService::SizePreset preset) { capture_.setCaptureSize(preset); }
  // 1204: latching the switch turns the camera's snapshot key off (stored 0), releasing it on (stored 1).
  void toggleSnapshotKey();
  // 1016.
  void openVideoSettings();
  QDialog* videoSettingsDialog() const { return videoSettings_; }

  // The player: the camera is released for the player's whole life (a pending retry of 1001 included),
  // device changes meanwhile only wait for it to end, and its end - however it ends - re-arms 1001 at
  // 100 ms so the camera comes back.
  void holdForPlayer();
  void resumeAfterPlayer();
  bool isHeldForPlayer() const { return heldForPlayer_; }

  // Stops and releases the graph for good; later device events change nothing.
  void shutdown();

 private:
  void enterConnected();
  void enterNotConnected();
  void setButtonsEnabled(bool connected);
  void tellVideoSettings();

  QWidget& window_;
  MainControls& controls_;
  CaptureService& capture_;
  SettingsStore& store_;
  ScreenController& screen_;
  RecordingController& recording_;
  QTimer reconnectTimer_;  // 1001
  QPointer<QDialog> videoSettings_;
  bool connected_ = false;
  bool reconnecting_ = false;
  bool closed_ = false;
  bool heldForPlayer_ = false;
  bool changedDuringPlayer_ = false;  // a device came or went while the player ran
};

}  // namespace lumivex
