#include "app/main_window.h"

#include "app/camera_controller.h"
#include "app/export_controller.h"
#include "app/files_controller.h"
#include "app/live_tools_controller.h"
#include "app/live_view.h"
#include "app/main_controls.h"
#include "app/main_skin.h"
#include "app/menu_controller.h"
#include "app/recording_controller.h"
#include "app/screen_controller.h"
#include "app/video_area.h"
#include "capture/recorder/ffmpeg_recorder.h"
#include "core/app_context.h"
#include "core/app_events.h"
#include "core/capture_service.h"
#include "core/control_ids.h"
#include "core/language_table.h"
#include "core/localisation.h"
#include "core/startup_settings.h"
#include "library/media_commands.h"
#include "library/thumbnail_strip.h"
#include "media/sound_player.h"
#include "widgets/skin_renderer.h"
#include "widgets/tip_delay_style.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace lumivex {

MainWindow::MainWindow(AppContext& context, StartOptions options, std::unique_ptr<CaptureService> capture,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      context_(context),
      capture_(capture ? std::move(capture) : std::make_unique<NullCaptureService>()),
      sounds_(std::make_unique<SoundPlayer>()),
      tipStyle_(std::make_unique<TipDelayStyle>()) {
  // The capture service was made for the options by start-up; the recorder may come with them.
  std::shared_ptr<Recorder> recorder =
      options.recorder ? options.recorder : std::make_shared<FfmpegRecorder>(context_.recordingLock());
  // The language and the stored settings come first: every text below is looked up in them.
  loadStartupSettings(context_);
  setObjectName(QStringLiteral("102"));
  setWindowIcon(SkinRenderer::icon(QStringLiteral("app-icon.svg")));
  setWindowTitle(LookupText("MsgTitle", 256, QStringLiteral("Lumivex")));

  MainControls::Options layout;
  layout.toolTipStyle = tipStyle_.get();
  layout.snapshotKeyEnabled = context_.settings().enableSnap;
  layout.onClicked = [this](int id) { dispatchCommand(id); };
  controls_ = std::make_unique<MainControls>(*this, layout);
  screen_ = std::make_unique<ScreenController>(*this, *controls_, *capture_);
  recording_ = std::make_unique<RecordingController>(*this, *controls_, *capture_, *sounds_, *screen_, context_,
                                                     std::move(recorder));
  camera_ = std::make_unique<CameraController>(*this, *controls_, *capture_, context_.store(), *screen_, *recording_);
  liveTools_ = std::make_unique<LiveToolsController>(*this, *controls_, *capture_, context_, *camera_);
  files_ = std::make_unique<FilesController>(*this, *controls_, *capture_, context_, *sounds_, *recording_, *camera_);
  menus_ = std::make_unique<MenuController>(*this, *controls_, context_, *screen_, *liveTools_, *files_,
                                            [this](int command) { dispatchCommand(command); });
  liveView_ = std::make_unique<LiveView>(*this, *controls_, *capture_, *liveTools_, *files_);
  exports_ = std::make_unique<ExportController>(*this, *liveTools_, *liveView_, *screen_, *files_, *capture_);
  recording_->setConnectedQuery([this] { return camera_->isConnected(); });
  recording_->setPreviewCommand([this] { dispatchCommand(ids::kPreview); });
  files_->setStillSaved([this](StillKind kind, const QString& path) { recording_->stillSaved(kind, path); });
  files_->media().setInUse([this](const QString& path) { return recording_->isFileInUse(path); });
  screen_->setBeforeEnter([this] { liveTools_->hooks().clearPendingInput(); });
  screen_->setAfterLeave([this] { files_->refreshStrip(); });
  controls_->videoArea()->setMouseHandler([this](QMouseEvent* event) { onVideoMouse(event); });
  controls_->strip()->setCommandHandler([this](int command) { dispatchCommand(command); });
  bindCommands();

  // The window is the skin's size, centred on its screen.
  setFixedSize(MainSkin::kWidth, MainSkin::kHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect available = screen->availableGeometry();
    move(available.center() - QPoint(width() / 2, height() / 2));
  }

  // Keys reach the accelerators before any control of this window sees them.
  qApp->installEventFilter(this);

  // A recording cut short by a crash leaves its scratch file behind.
  if (!context_.folders().videoFolder().isEmpty()) QFile::remove(context_.folders().videoFolder() + "/test.avi");

  capture_->setReceiver(this);
  VideoArea* area = controls_->videoArea();
  capture_->setFrameListener([area] { area->requestRepaint(); });
  area->setFrameSource([this] { return capture_->composedFrame(); });
  camera_->connectAtStart();

  controls_->setTexts();
  screen_->refreshToolTips();
  controls_->magnificationEdit()->setText(QStringLiteral("100"));
  liveTools_->startPromptTimer();
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  shutdown();
}

void MainWindow::bindCommands() {
  using C = CommandId;
  CommandRegistry& c = commands_;
  CameraController& camera = *camera_;
  LiveToolsController& live = *liveTools_;
  RecordingController& recording = *recording_;
  FilesController& files = *files_;
  MenuController& menus = *menus_;
  ExportController& exports = *exports_;

  // Capture, recording and the snapshot key.
  c.bind(C::Preview, [&camera] { camera.togglePreview(); });
  c.bind(C::Camera, [&files] { files.takePicture(); });
  c.bind(C::Record, [&recording] { recording.onRecordButton(); });
  c.bind(C::RecordNow, [&recording] { recording.recordNow(); });
  c.bind(C::StopRecordingByKey, [&recording] { recording.onStopKey(); });
  c.bind(C::TimedCapture, [&recording] { recording.onTimedCapture(); });
  c.bind(C::VideoSettings, [&camera] { camera.openVideoSettings(); });
  c.bind(C::SnapshotSwitch, [&camera] { camera.toggleSnapshotKey(); });
  c.bind(C::CaptureSizeSmall, [&camera] { camera.setCaptureSize(CaptureService::SizePreset::Small); });
  c.bind(C::CaptureSizeMedium, [&camera] { camera.setCaptureSize(CaptureService::SizePreset::Medium); });
  c.bind(C::CaptureSizeLarge, [&camera] { camera.setCaptureSize(CaptureService::SizePreset::Large); });

  // Exports of the live measurements.
  c.bind(C::ExportWord, [&exports] { exports.exportWord(); });
  c.bind(C::ExportExcel, [&exports] { exports.exportExcel(); });
  c.bind(C::ExportDxf, [&exports] { exports.exportDxf(); });

  // Live tools: every tool button, then the edit row, calibration and the video-area menu.
  for (const ButtonDef& info : kButtonSpecs) {
    const int id = info.id;
    if (info.tool != LiveTool::None) c.bind(static_cast<C>(id), [&live, id] { live.chooseTool(id); });
  }
  c.bind(C::LineCalibration, [&live] { live.startLineCalibration(); });
  c.bind(C::Undo, [&live] { live.undo(); });
  c.bind(C::Redo, [&live] { live.redo(); });
  c.bind(C::DeleteAllShapes, [&live] { live.deleteAll(); });
  c.bind(C::MeasureSettings, [&live] { live.openMeasureSettings(); });
  c.bind(C::CancelTool, [&live] { live.cancelTool(); });
  c.bind(C::CrossLine, [&live] { live.toggleCrossLine(); });
  c.bind(C::ScaleOverlay, [&live] { live.toggleScale(); });
  c.bind(C::CircleOverlay, [&live] { live.toggleCircles(); });
  c.bind(C::TimeStamp, [&live] { live.toggleTimeStamp(); });
  c.bind(C::MicrometerCalibration, [this, &live] {
    live.cancelTool();
    liveView_->startMicrometerCalibration();
  });
  c.bind(C::StillFormatBmp, [&files] { files.setStillFormat(true); });
  c.bind(C::StillFormatJpeg, [&files] { files.setStillFormat(false); });

  // Window.
  c.bind(C::Minimise, [this] { showMinimized(); });
  c.bind(C::FullScreen, [this] { screen_->enterOnCurrentScreen(); });
  // Posted, so the click that asked for it finishes first.
  c.bind(C::Close, [this] {
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
  });

  // Media browser.
  c.bind(C::PictureFolder, [&files] { files.showPictureFolder(); });
  c.bind(C::VideoFolder, [&files] { files.showVideoFolder(); });
  c.bind(C::OpenFile, [&files] { files.media().open(); });
  c.bind(C::SaveFileAs, [&files] { files.media().saveAs(); });
  c.bind(C::SaveAllFiles, [&files] { files.media().saveAll(); });
  c.bind(C::DeleteFile, [&files] { files.media().deleteCurrent(); });
  c.bind(C::DeleteAllFiles, [&files] { files.media().deleteAll(); });
  c.bind(C::Email, [&files] { files.email(); });

  // Menus, language, help and About.
  c.bind(C::LanguageMenu, [&menus] { menus.showLanguageMenu(); });
  for (const LanguageMenuItem& item : kLanguageMenu) {
    const auto command = static_cast<C>(item.command);
    c.bind(command, [&menus, command] { menus.selectLanguage(command); });
  }
  c.bind(C::HelpMenu, [&menus] { menus.showHelpMenu(); });
  c.bind(C::Help, [&menus] { menus.openHelp(); });
  c.bind(C::Update, [&menus] { menus.openUpdatePage(); });
  c.bind(C::About, [&menus] { menus.showAbout(); });
  c.bind(C::SystemAbout, [&menus] { menus.showAbout(); });
}

bool MainWindow::dispatchCommand(int id) { return commands_.run(id); }

bool MainWindow::event(QEvent* event) {
  if (AppEvent::messageOf(event->type()) == 0) return QWidget::event(event);
  if (const auto* still = appEventCast<StillReadyEvent>(event)) {
    files_->onStillReady(still->kind);
  } else if (appEventCast<GraphEvent>(event)) {
    camera_->onGraphEvent();
  } else if (appEventCast<CalibratePromptEvent>(event)) {
    liveTools_->showCalibratePrompt();
  } else if (const auto* picture = appEventCast<OpenPictureEvent>(event)) {
    files_->openPicture(picture->path);
  } else if (const auto* video = appEventCast<OpenVideoEvent>(event)) {
    files_->openVideo(video->path);
  } else if (const auto* calibration = appEventCast<WorkspaceCalibrationEvent>(event)) {
    liveTools_->setCalibrationFields(calibration->magnification, calibration->calibration);
  } else if (appEventCast<LiveCalibrationDoneEvent>(event)) {
    liveTools_->onLiveCalibrationDone();
  } else if (const auto* change = appEventCast<DeviceChangeEvent>(event)) {
    camera_->onDeviceChange(change->change);
  }
  return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    if (handleKey(static_cast<QKeyEvent*>(event))) return true;
  }
  return QWidget::eventFilter(watched, event);
}

bool MainWindow::handleKey(QKeyEvent* key) {
  if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier)) {
    return false;
  }
  // The accelerators: F2 (table 224), F3 (225), F4 (226), F10 (255), F11 (253), F12 (347), and F1.
  if (const std::optional<CommandId> command = commandForKey(key->key())) {
    commands_.run(*command);
    return true;
  }
  switch (key->key()) {
    case Qt::Key_Escape:
      // Posted, as the restore command is: the key's own processing finishes first.
      if (screen_->isFullScreen())
        QMetaObject::invokeMethod(
            this, [this] { screen_->leave(); }, Qt::QueuedConnection);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return true;  // never closes the window
    default:
      return false;
  }
}

void MainWindow::onVideoMouse(QMouseEvent* event) {
  if (liveTools_->videoMouse(event, screen_->isFullScreen())) {
    menus_->showVideoAreaMenu(event->globalPosition().toPoint());
  }
}

void MainWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (screen_->isFullScreen()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  const qreal ratio = devicePixelRatioF();
  if (skin_.isNull() || skin_.devicePixelRatio() != ratio || skin_.deviceIndependentSize() != QSizeF(size())) {
    skin_ = MainSkin::render(size(), ratio, windowTitle());
  }
  painter.drawPixmap(0, 0, skin_);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  const QRect band(0, 0, MainSkin::kDragBandWidth, MainSkin::kDragBandHeight);
  const bool onBand = !screen_->isFullScreen() && band.contains(event->position().toPoint());
  if (event->button() == Qt::LeftButton && onBand) {
    // The window manager moves the window where it can; without one the window follows the pointer.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    return;
  }
  if (event->button() == Qt::RightButton && onBand) {
    menus_->showSystemMenu(event->globalPosition().toPoint());
    return;
  }
  QWidget::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) {
    move(event->globalPosition().toPoint() - dragOffset_);
    return;
  }
  QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  QWidget::mouseReleaseEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
  // A maximise request from the desktop enters full screen, as the maximise command does.
  if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized) && !screen_->isFullScreen()) {
    setWindowState(windowState() & ~Qt::WindowMaximized);
    QMetaObject::invokeMethod(
        this, [this] { screen_->enterOnCurrentScreen(); }, Qt::QueuedConnection);
  }
  QWidget::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Open workspaces close with the window; unsaved work in any of them is asked about once.
  if (!closed_ && !files_->mayCloseWorkspaces()) {
    event->ignore();
    return;
  }
  shutdown();
  event->accept();
}

void MainWindow::shutdown() {
  if (closed_) return;
  closed_ = true;
  commands_.close();
  liveTools_->shutdown();
  // Closes a recording quietly: the capture size and CapConfig.dat stay as they are.
  recording_->shutdown();
  camera_->shutdown();
  files_->shutdown();
  screen_->shutdown();
}

}  // namespace lumivex
