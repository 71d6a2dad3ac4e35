#pragma once

#include "core/still_kind.h"

#include <QString>

#include <memory>

class QWidget;

namespace lumivex {

class AppContext;
class CaptureService;
class MainControls;
class MediaCommands;
class RecordingController;
class SoundPlayer;
class StillCapture;

// Pictures and videos as files: still capture (Camera, F2, 0x8001) and the still format, the media
// browser's strip with its folder buttons and thumbnail-menu commands, and opening a picture in a still
// workspace (0x800a) or a video in the player (0x800b).
class FilesController {
 public:
  FilesController(QWidget& window, MainControls& controls, CaptureService& capture, AppContext& context,
                  SoundPlayer& sounds, const RecordingController& recording);
  ~FilesController();

  // The live view sets its burn-in hook and grab sink here; reports take the scratch still.
  StillCapture& stills() { return *stills_; }
  // The thumbnail menu's commands (1234, 1235, 1300, 1236, 410) on the strip's current entry.
  MediaCommands& media() { return *media_; }

  // 1005 and F2: a still with the shutter sound, only while previewing or recording.
  void takePicture();
  // 0x8001: saves the buffered frame as a still and shows it in the strip.
  void onStillReady(StillKind kind);
  // 1314 and 1315 of the video-area menu.
  void setStillFormat(bool bmp);
  bool stillFormatIsBmp() const;

  // 1201 and 1202.
  void showPictureFolder();
  void showVideoFolder();
  void refreshStrip();
  // 1274: the file to send is checked here; the e-mail window takes it from there.
  void email();

  // 0x800a and 0x800b.
  void openPicture(const QString& path);
  void openVideo(const QString& path);

 private:
  QWidget& window_;
  MainControls& controls_;
  CaptureService& capture_;
  AppContext& context_;
  SoundPlayer& sounds_;
  const RecordingController& recording_;
  std::unique_ptr<MediaCommands> media_;
  std::unique_ptr<StillCapture> stills_;
};

}  // namespace lumivex
