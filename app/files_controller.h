#pragma once

#include "core/still_kind.h"
#include "export/mail_sender.h"
#include "library/player/playback_graph.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace lumivex {

class AppContext;
class CameraController;
class CaptureService;
class MainControls;
class MediaCommands;
class PlayerSession;
class ImageWorkspace;
class RecordingController;
class SoundPlayer;
class StillCapture;

// Pictures and videos as files: still capture (Camera, F2, 0x8001) and the still format, the media
// browser's strip with its folder buttons and thumbnail-menu commands, and opening a picture in a still
// workspace (0x800a) or a video in the player (0x800b).
class FilesController {
 public:
  FilesController(QWidget& window, MainControls& controls, CaptureService& capture, AppContext& context,
                  SoundPlayer& sounds, RecordingController& recording, CameraController& camera);
  ~FilesController();

  // The live view sets its burn-in hook and grab sink here; reports take the scratch still.
  StillCapture& stills() { return *stills_; }
  // The thumbnail menu's commands (1234, 1235, 1300, 1236, 410) on the strip's current entry.
  MediaCommands& media() { return *media_; }

  // 1005 and F2: a still with the shutter sound, only while previewing or recording.
  void takePicture();
  // 0x8001: saves the buffered frame as a still and shows it in the strip.
  void onStillReady(StillKind kind);
  // Told of every still saved (a timed series collects its own).
  void setStillSaved(std::function<void(StillKind, const QString&)> saved) { stillSaved_ = std::move(saved); }
  // 1314 and 1315 of the video-area menu.
  void setStillFormat(bool bmp);
  bool stillFormatIsBmp() const;

  // 1201 and 1202.
  void showPictureFolder();
  void showVideoFolder();
  void refreshStrip();
  // 1274: the strip's current picture or video goes to the mail through the waiting window, which
  // tells the outcome and closes by itself.
  void email();
  // The mail folders and transport; the desktop's unless a test sets its own.
  void setMailEnvironment(MailSender::Environment environment) { mailEnvironment_ = std::move(environment); }

  // Where a picture to open comes from: the strip's 0x800a, or the program's command line (also handed on
  // by a later start). A picture that cannot be read opens no window; the strip says "the picture not
  // open,...", the command line "Can not Open file".
  enum class PictureOrigin { Strip, CommandLine };
  // 0x800a: a workspace of its own for the picture; any number may be open at once.
  void openPicture(const QString& path, PictureOrigin origin = PictureOrigin::Strip);
  std::vector<ImageWorkspace*> workspaces() const;
  // Before the main window closes: asks once when any workspace holds unsaved work. False: stay open.
  bool mayCloseWorkspaces();

  // 0x800b. A video closes a running recording (close only, as Preview does) and releases the camera for
  // as long as the player runs.
  void openVideo(const QString& path);
  PlayerSession& player() { return *player_; }

  // Files named on the program's command line, or handed over by a later start: AVI videos go to the
  // player, everything else opens as a picture. The player shows one video at a time, so of several
  // videos the first plays. The main window comes to the front first.
  void openFiles(const QStringList& paths);
  // An AVI by its content, or by its name when the content does not say (the player then tells why it
  // cannot play the file).
  static bool isVideoFile(const QString& path);
  // The graph the player uses; GStreamer's unless a test sets its own.
  void setPlaybackGraphFactory(PlaybackGraphFactory factory);

  // The window closes: a running player goes without bringing the camera back, open workspaces close.
  void shutdown();

 private:
  QWidget& window_;
  MainControls& controls_;
  CaptureService& capture_;
  AppContext& context_;
  SoundPlayer& sounds_;
  RecordingController& recording_;
  CameraController& camera_;
  std::unique_ptr<MediaCommands> media_;
  std::unique_ptr<StillCapture> stills_;
  std::unique_ptr<PlayerSession> player_;
  std::vector<QPointer<ImageWorkspace>> workspaces_;
  std::optional<MailSender::Environment> mailEnvironment_;
  bool closed_ = false;
  std::function<void(StillKind, const QString&)> stillSaved_;
};

}  // namespace lumivex
