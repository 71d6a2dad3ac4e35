#include "app/files_controller.h"

#include "app/camera_controller.h"
#include "app/main_controls.h"
#include "app/recording_controller.h"
#include "capture/still/still_capture.h"
#include "core/app_context.h"
#include "core/capture_service.h"
#include "core/control_ids.h"
#include "core/localisation.h"
#include "core/logging.h"
#include "core/prompter.h"
#include "core/settings_store.h"
#include "core/write_failure_notice.h"
#include "library/media_commands.h"
#include "library/player/avi_probe.h"
#include "library/player/player_session.h"
#include "library/thumbnail_strip.h"
#include "media/sound_player.h"
#include "widgets/latch_button.h"
#include "workspace/image_workspace.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QWidget>

namespace lumivex {

FilesController::FilesController(QWidget& window, MainControls& controls, CaptureService& capture, AppContext& context,
                                 SoundPlayer& sounds, RecordingController& recording, CameraController& camera)
    : window_(window),
      controls_(controls),
      capture_(capture),
      context_(context),
      sounds_(sounds),
      recording_(recording),
      camera_(camera) {
  ThumbnailStrip* strip = controls_.strip();
  strip->ScanFolders(context_.folders().pictureFolder(), context_.folders().videoFolder());
  media_ = std::make_unique<MediaCommands>(*strip, &window, &window);
  stills_ = std::make_unique<StillCapture>([this](StillKind kind) { capture_.requestStill(kind); });
  PlayerSession::Hooks hooks;
  hooks.beforeOpen = [this] {
    // The recording's frames would be cut off with the graph: the file is closed first.
    if (recording_.isRecording()) recording_.stopQuietly();
    camera_.holdForPlayer();
  };
  hooks.afterClose = [this] { camera_.resumeAfterPlayer(); };
  player_ = std::make_unique<PlayerSession>(&window_, &makeGstPlaybackGraph, std::move(hooks));
}

FilesController::~FilesController() = default;

void FilesController::takePicture() {
  if (!controls_.isPreviewing() && !recording_.isRecording()) {
    prompter().message(&window_, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")),
                       LookupText("BrowseToCamera", 256, QStringLiteral("Please return to the preview state")),
                       MessageIcon::Warning, MessageButtons::Ok);
    return;
  }
  stills_->takePicture();  // a command request; arms the shutter sound
}

void FilesController::onStillReady(StillKind kind) {
  // One whole frame, copied out of the frame buffer; the frame thread goes on filling its own.
  const QByteArray dib = capture_.bufferedFrame();
  const StillCapture::Arrival arrival = stills_->stillArrived(
      kind, StillCapture::frameFromDib(dib), controls_.magnificationEdit()->text(), recording_.isRecording());
  if (arrival.path) {
    controls_.strip()->AddCapturedPicture(*arrival.path);
    if (stillSaved_) stillSaved_(kind, *arrival.path);
    if (arrival.restart) capture_.restart();
  }
  if (arrival.playShutter) sounds_.play(ids::kSoundShutter);
  // The still is lost: say so and why (once per burst), rather than let the shutter pretend.
  if (arrival.failure) showWriteFailure(&window_, arrival.failure->path, arrival.failure->result);
}

void FilesController::setStillFormat(bool bmp) {
  context_.store().saveImageFormat(bmp ? ImageFormat::Bmp : ImageFormat::Jpeg);
}

bool FilesController::stillFormatIsBmp() const { return context_.settings().imageFormat == ImageFormat::Bmp; }

void FilesController::showPictureFolder() {
  controls_.latchButton(ids::kPictureFolder)->setLatched(true);
  controls_.latchButton(ids::kVideoFolder)->setLatched(false);
  controls_.strip()->showFolder(ThumbnailStrip::Folder::Pictures);
}

void FilesController::showVideoFolder() {
  controls_.latchButton(ids::kPictureFolder)->setLatched(false);
  controls_.latchButton(ids::kVideoFolder)->setLatched(true);
  controls_.strip()->showFolder(ThumbnailStrip::Folder::Videos);
}

void FilesController::refreshStrip() { controls_.strip()->refresh(); }

void FilesController::email() {
  const std::optional<QString> file = media_->emailTarget();
  if (!file || closed_) return;
  MailSender sender(
      *file, mailEnvironment_ ? *mailEnvironment_ : MailSender::defaultEnvironment(context_.paths().programFolder),
      &window_);
  sender.exec();
}

void FilesController::openPicture(const QString& path, PictureOrigin origin) {
  if (closed_ || path.isEmpty()) return;
  if (ImageWorkspace* workspace = ImageWorkspace::open(path, &window_, &window_)) {
    workspaces_.emplace_back(workspace);
    return;
  }
  const QString text =
      origin == PictureOrigin::Strip
          ? LookupText("PictureNotOpen", 128, QStringLiteral("the picture not open,please check the file exist!"))
          : LookupText("OpenFileFail", 128, QStringLiteral("Can not Open file"));
  prompter().message(&window_, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")), text, MessageIcon::Warning,
                     MessageButtons::Ok);
}

std::vector<ImageWorkspace*> FilesController::workspaces() const {
  std::vector<ImageWorkspace*> open;
  for (const QPointer<ImageWorkspace>& workspace : workspaces_) {
    if (workspace && workspace->isVisible()) open.push_back(workspace.data());
  }
  return open;
}

bool FilesController::mayCloseWorkspaces() {
  bool unsaved = false;
  for (ImageWorkspace* workspace : workspaces()) unsaved = unsaved || workspace->hasUnsavedChanges();
  if (!unsaved) return true;
  const MessageAnswer answer = prompter().message(
      &window_, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")),
      LookupText("CloseUnsavedPictures", 256,
                 QStringLiteral("Some open pictures have measurements or changes that are not saved. Close them?")),
      MessageIcon::Warning, MessageButtons::YesNo);
  return answer == MessageAnswer::Yes;
}

void FilesController::openVideo(const QString& path) {
  if (closed_ || path.isEmpty()) return;
  player_->open(path);
}

bool FilesController::isVideoFile(const QString& path) {
  return QFileInfo(path).suffix().compare(QStringLiteral("avi"), Qt::CaseInsensitive) == 0 ||
         AviProbe::inspect(path) != AviProbe::Verdict::NotAvi;
}

void FilesController::openFiles(const QStringList& paths) {
  if (closed_ || paths.isEmpty()) return;
  // A file manager's "Open with" lands here while the window may be minimised or behind others.
  if (window_.isMinimized()) window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
  window_.raise();
  window_.activateWindow();
  QString video;
  for (const QString& path : paths) {
    if (isVideoFile(path)) {
      if (video.isEmpty()) video = path;
      continue;
    }
    const size_t before = workspaces().size();
    openPicture(path, PictureOrigin::CommandLine);
    qCDebug(lcOpen).noquote() << (workspaces().size() > before ? QStringLiteral("picture in a workspace: %1")
                                                               : QStringLiteral("picture not opened: %1"))
                                     .arg(path);
  }
  // Last, so the workspaces opened above do not come up over the player.
  if (!video.isEmpty()) {
    openVideo(video);
    qCDebug(lcOpen).noquote() << (player_->isOpen() ? QStringLiteral("video in the player: %1")
                                                    : QStringLiteral("video not opened: %1"))
                                     .arg(video);
  }
}

void FilesController::setPlaybackGraphFactory(PlaybackGraphFactory factory) {
  player_->setGraphFactory(std::move(factory));
}

void FilesController::shutdown() {
  closed_ = true;
  for (ImageWorkspace* workspace : workspaces()) workspace->closeWithoutAsking();
  workspaces_.clear();
  // A player still open goes with its session, which asks for nothing more.
  player_ = std::make_unique<PlayerSession>(&window_, PlaybackGraphFactory{}, PlayerSession::Hooks{});
}

}  // namespace lumivex
