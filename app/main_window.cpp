#include "app/main_window.h"

#include "app/main_skin.h"
#include "app/video_area.h"
#include "capture/still/still_capture.h"
#include "core/app_context.h"
#include "core/app_message.h"
#include "core/capture_state.h"
#include "core/control_ids.h"
#include "core/localisation.h"
#include "core/startup_settings.h"
#include "library/media_commands.h"
#include "library/thumbnail_strip.h"
#include "measure/rate_derivation.h"
#include "measure/text_dialog.h"
#include "media/sound_player.h"
#include "widgets/calibrate_prompt_dialog.h"
#include "widgets/latch_button.h"
#include "widgets/magnifier_box.h"
#include "widgets/skin_renderer.h"
#include "widgets/tip_delay_style.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace lumivex {

namespace {

// Controls the normal window keeps hidden: Preview, the ellipse and square-label tools, edit 1147.
bool hiddenInNormalWindow(const QWidget* widget) {
  const QString name = widget->objectName();
  return name == QLatin1String("1014") || name == QLatin1String("1185") || name == QLatin1String("1193") ||
         name == QLatin1String("1147");
}

const QString kGroupStyle = QStringLiteral(
    "QGroupBox { background-color: rgb(200,200,200); border: 1px solid #9C9C9C; border-radius: 5px;"
    " margin-top: 7px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 8px; padding: 0 3px;"
    " color: black; background-color: rgb(200,200,200); }");

}  // namespace

MainWindow::MainWindow(AppContext& context, StartOptions options, std::unique_ptr<CaptureService> capture,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      context_(context),
      options_(options),
      capture_(capture ? std::move(capture) : std::make_unique<NullCaptureService>()),
      sounds_(std::make_unique<SoundPlayer>()),
      tipStyle_(std::make_unique<TipDelayStyle>()),
      openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      reconnectTimer_(this),
      recordLimitTimer_(this),
      recordSecondsTimer_(this),
      startupPromptTimer_(this) {
  initialise();
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  shutdown();
}

void MainWindow::initialise() {
  loadStartupSettings(context_);
  setObjectName(QStringLiteral("102"));
  setWindowIcon(SkinRenderer::icon(QStringLiteral("app-icon.svg")));
  setWindowTitle(LookupText("MsgTitle", 256, QStringLiteral("Lumivex")));

  style_ = loadDrawingStyle();
  buildLayout();
  buildCommands();
  // The text tool asks for its text in the text dialog, which also stores the text font and colour.
  measureHooks_.askText = [](QWidget* parent) -> std::optional<QString> {
    TextDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.text();
  };
  // The live rate comes from the magnification (1147) and the scale box (1200) at the capture size.
  measureHooks_.deriveRate = [this](QWidget* parent) {
    const RateInput input{magnificationEdit_->text(), calibrationEdit_->text(), captureState().width.load(),
                          captureState().height.load(), captureState().highResolutionModel.load()};
    ViewRate rate;
    return deriveRate(parent, input, rate);
  };

  // The window is the skin's size, centred on its screen.
  setFixedSize(MainSkin::kWidth, MainSkin::kHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect available = screen->availableGeometry();
    move(available.center() - QPoint(width() / 2, height() / 2));
  }

  // Keys reach the accelerators before any control of this window sees them.
  qApp->installEventFilter(this);

  hintText_ = LookupText("EscRestore", 128, QStringLiteral("ESC Restore"));
  const QString stale = context_.folders().videoFolder() + QStringLiteral("/test.avi");
  if (!context_.folders().videoFolder().isEmpty()) QFile::remove(stale);

  capture_->setReceiver(this);
  VideoArea* area = videoArea_;
  capture_->setFrameListener([area] { area->requestRepaint(); });
  videoArea_->setFrameSource([this] { return capture_->composedFrame(); });

  reconnectTimer_.setObjectName(QString::number(ids::kTimerReconnect));
  reconnectTimer_.setSingleShot(true);
  connect(&reconnectTimer_, &QTimer::timeout, this, [this] { onReconnectTimer(); });
  recordLimitTimer_.setObjectName(QString::number(ids::kTimerRecordLimit));
  recordLimitTimer_.setInterval(1000);
  connect(&recordLimitTimer_, &QTimer::timeout, this, [this] { onRecordLimitTick(); });
  recordSecondsTimer_.setObjectName(QString::number(ids::kTimerRecordSeconds));
  recordSecondsTimer_.setInterval(1000);
  connect(&recordSecondsTimer_, &QTimer::timeout, this, [this] { onRecordSecondTick(); });

  connectCamera();

  setTexts();
  refreshToolTips();
  magnificationEdit_->setText(QStringLiteral("100"));

  startupPromptTimer_.setObjectName(QString::number(ids::kTimerStartupPrompt));
  startupPromptTimer_.setSingleShot(true);
  startupPromptTimer_.setInterval(100);
  connect(&startupPromptTimer_, &QTimer::timeout, this, [this] { onStartupPromptTimer(); });
  startupPromptTimer_.start();
}

void MainWindow::buildLayout() {
  // Group boxes first so the buttons lie above them.
  struct GroupSpec {
    int id;
    QRect rect;
  };
  for (const GroupSpec& g :
       {GroupSpec{ids::kGroupMeasure, {744, 56, 111, 195}}, GroupSpec{ids::kGroupAutoMeasure, {744, 252, 111, 90}},
        GroupSpec{ids::kGroupComparison, {743, 343, 112, 56}},
        GroupSpec{ids::kGroupCalibration, {743, 442, 112, 88}}}) {
    auto* box = new QGroupBox(this);
    box->setObjectName(QString::number(g.id));
    box->setGeometry(g.rect);
    box->setStyleSheet(kGroupStyle);
    groups_[g.id] = box;
  }

  videoArea_ = new VideoArea(this);
  videoArea_->setGeometry(98, 49, 640, 480);
  videoArea_->setCursor(SkinRenderer::cursor(QStringLiteral("cursor-258.svg"), QPoint(16, 16)));
  videoArea_->setMouseHandler([this](QMouseEvent* event) { onVideoMouse(event); });
  videoArea_->setHoverHandler([this](bool inside) {
    if (cursorMode_ != 1) cursorMode_ = inside ? 2 : 0;
  });

  strip_ = new ThumbnailStrip(this);
  strip_->setGeometry(97, 530, 642, 115);
  strip_->ScanFolders(context_.folders().pictureFolder(), context_.folders().videoFolder());
  strip_->setCommandHandler([this](int command) { dispatchCommand(command); });
  mediaCommands_ = std::make_unique<MediaCommands>(*strip_, this, this);
  stills_ = std::make_unique<StillCapture>([this](int kind) { capture_->requestStill(kind); });

  magnifier_ = new MagnifierBox(ids::kMagnifier, this);
  magnifier_->setGeometry(738, 530, 120, 120);

  for (const ButtonSpec& info : kButtonSpecs) {
    const QSize size(info.width, info.height);
    SkinButton* button = info.latch ? new LatchButton(info.id, QString::fromLatin1(info.iconFile), size, this)
                                    : new SkinButton(info.id, QString::fromLatin1(info.iconFile), size, this);
    button->move(info.x, info.y);
    button->setStyle(tipStyle_.get());
    if (info.width == 56) button->setIconScale(0.72);
    if (info.width == 28) button->setIconScale(0.6);
    if (info.hidden) button->hide();
    const int id = info.id;
    connect(button, &QAbstractButton::clicked, this, [this, id] { dispatchCommand(id); });
    buttons_.add(info, button);
  }
  // The switch shows its own "off" icon while latched (snapshot key disabled).
  auto* snapSwitch = latchButton(ids::kSnapSwitch);
  snapSwitch->setLatchedIconFile(QStringLiteral("button-1204-off.svg"));
  snapSwitch->setLatched(context_.settings().enableSnap != 1);
  latchButton(ids::kToolEllipse)->setEnabled(false);

  scaleLabel_ = new QLabel(this);
  scaleLabel_->setObjectName(QString::number(ids::kScaleLabel));
  scaleLabel_->setGeometry(747, 465, 52, 20);
  scaleLabel_->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
  magnificationEdit_ = new QLineEdit(this);
  magnificationEdit_->setObjectName(QString::number(ids::kMagnificationEdit));
  magnificationEdit_->setGeometry(800, 462, 52, 19);
  magnificationEdit_->hide();
  connect(magnificationEdit_, &QLineEdit::textChanged, this,
          [this](const QString& text) { onMagnificationChanged(text); });
  calibrationEdit_ = new QLineEdit(this);
  calibrationEdit_->setObjectName(QString::number(ids::kCalibrationEdit));
  calibrationEdit_->setGeometry(800, 462, 46, 19);
  calibrationEdit_->setStyleSheet(QStringLiteral(
      "QLineEdit { background: white; border: 1px solid #8E8E8E; border-radius: 2px; padding: 0 2px; }"));
  const QFont small = [] {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(12);
    return font;
  }();
  scaleLabel_->setFont(small);
  calibrationEdit_->setFont(small);
  for (auto& [id, box] : groups_) box->setFont(small);
}

void MainWindow::setTexts() {
  groups_[ids::kGroupMeasure]->setTitle(LookupText("TipMeasure", 64, QStringLiteral("Measure")));
  groups_[ids::kGroupCalibration]->setTitle(LookupText("TipCalibration", 64, QStringLiteral("Calibration")));
  groups_[ids::kGroupAutoMeasure]->setTitle(LookupText("TipAutoMeasure", 64, QStringLiteral("Auto Measure")));
  groups_[ids::kGroupComparison]->setTitle(LookupText("TipComparison", 64, QStringLiteral("Comparison")));
  scaleLabel_->setText(LookupText("Rate", 64, QStringLiteral("Scale:")));
}

void MainWindow::refreshToolTips() {
  for (ButtonTable::Row& row : buttons_.rows()) {
    const ButtonSpec& info = *row.info;
    if (info.id == ids::kSnapSwitch && latchButton(info.id)->isLatched()) {
      row.toolTip = LookupText("TipSwitchDisable", kToolTipMaxChars + 1, QStringLiteral("Snapshot Disable"));
    } else {
      row.toolTip = LookupText(info.tipKey, kToolTipMaxChars + 1, QString::fromUtf8(info.tipDefault));
    }
    // In full screen the buttons carry no tips at all.
    row.button->setToolTip(fullScreen_ ? QString() : row.toolTip);
  }
  buttons_.updateScreenRects();
}

SkinButton* MainWindow::button(int id) const {
  const ButtonTable::Row* row = buttons_.find(id);
  return row ? row->button : nullptr;
}

LatchButton* MainWindow::latchButton(int id) const {
  const ButtonTable::Row* row = buttons_.find(id);
  return row && row->info->latch ? static_cast<LatchButton*>(row->button) : nullptr;
}

bool MainWindow::isPreviewing() const { return latchButton(ids::kPreview)->isLatched(); }

void MainWindow::setRecording(bool recording) {
  recording_ = recording;
  latchButton(ids::kRecord)->setLatched(recording);
  if (!recording) {
    recordLimitTimer_.stop();
    recordSecondsTimer_.stop();
  }
  refreshToolTips();
}

void MainWindow::setBusy(bool busy) {
  if (busy && cursorMode_ != 1) {
    cursorMode_ = 1;
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (!busy && cursorMode_ == 1) {
    cursorMode_ = videoArea_->underMouse() ? 2 : 0;
    QApplication::restoreOverrideCursor();
  }
}

void MainWindow::setCalibrationFields(const QString& magnification, double value) {
  magnificationEdit_->setText(magnification);
  calibrationEdit_->setText(QString::asprintf("%.1f", value));
}

void MainWindow::playSound(int soundId) { sounds_->play(soundId); }

// --- Connection ---------------------------------------------------------------------------------------

void MainWindow::connectCamera() {
  switch (capture_->connectDevice()) {
    case CaptureService::ConnectResult::Connected:
      enterConnected();
      break;
    case CaptureService::ConnectResult::RetryLater:
      // The graph exists but the device did not answer yet: one more try shortly.
      setButtonsEnabled(false);
      reconnectTimer_.start(100);
      break;
    case CaptureService::ConnectResult::Failed:
      capture_->release();
      enterNotConnected();
      break;
  }
}

void MainWindow::enterConnected() {
  connected_ = true;
  setButtonsEnabled(true);
  latchButton(ids::kPreview)->setLatched(true);
  connectMessage_.clear();
  videoArea_->setConnectMessage({});
  refreshToolTips();
}

void MainWindow::enterNotConnected() {
  connected_ = false;
  setButtonsEnabled(false);
  latchButton(ids::kPreview)->setLatched(false);
  connectMessage_ = LookupText("ConnectMsg", 256, QStringLiteral("Please connect Digital Microscope"));
  videoArea_->setConnectMessage(connectMessage_);
  refreshToolTips();
}

void MainWindow::setButtonsEnabled(bool connected) {
  for (ButtonTable::Row& row : buttons_.rows()) {
    const int id = row.info->id;
    if (connected)
      row.button->setEnabled(id != ids::kToolEllipse);
    else
      row.button->setEnabled(id == ids::kClose);
  }
}

void MainWindow::onReconnectTimer() {
  reconnectTimer_.stop();
  reconnect();
}

void MainWindow::reconnect() {
  // A device event or a retry queued before the window closed must not start the camera again.
  if (closed_) return;
  // A device event arriving while a rebuild runs (from a nested event loop) must not rebuild the graph
  // underneath it: it tries again a little later instead.
  std::unique_lock<std::mutex> lock(reconnectLock_, std::try_to_lock);
  if (!lock.owns_lock()) {
    reconnectTimer_.start(1000);
    return;
  }
  if (capture_->reinitialiseIfRunning()) {
    if (videoSettingsDialog_) postAppMessage(videoSettingsDialog_, msg::kDeviceReinitialised);
    return;
  }
  if (videoSettingsDialog_) postAppMessage(videoSettingsDialog_, msg::kDeviceReinitialised);
  capture_->stop();
  if (capture_->connectDevice() == CaptureService::ConnectResult::Connected) {
    enterConnected();
  } else {
    capture_->release();
    enterNotConnected();
  }
  videoArea_->update();
}

void MainWindow::onDeviceChange(int change) {
  switch (static_cast<CaptureService::DeviceChange>(change)) {
    case CaptureService::DeviceChange::NodeChanged:
      reconnectTimer_.start(1000);
      break;
    case CaptureService::DeviceChange::Arrived:
    case CaptureService::DeviceChange::Removed:
      reconnect();
      break;
  }
}

// --- Start-up prompt ----------------------------------------------------------------------------------

void MainWindow::onStartupPromptTimer() {
  startupPromptTimer_.stop();
  context_.store().loadCalibratePrompt();
  if (context_.settings().calibratePrompt == 1) postAppMessage(this, msg::kCalibratePrompt);
}

void MainWindow::showCalibratePrompt() {
  auto* dialog = new CalibratePromptDialog(context_.store(), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
}

// --- Events -------------------------------------------------------------------------------------------

bool MainWindow::event(QEvent* event) {
  if (AppMessageEvent::messageOf(event->type()) != 0) {
    handleAppMessage(static_cast<const AppMessageEvent&>(*event));
    return true;
  }
  return QWidget::event(event);
}

void MainWindow::handleAppMessage(const AppMessageEvent& message) {
  switch (message.message()) {
    case msg::kStillReady:
      runHandler("onStillReady", [&] { onStillReady(static_cast<int>(message.wParam())); });
      break;
    case msg::kGraphEvent:
      runHandler("handleGraphEvent", [this] { capture_->handleGraphEvent(); });
      break;
    case msg::kCalibratePrompt:
      runHandler("showCalibratePrompt", [this] { showCalibratePrompt(); });
      break;
    case msg::kOpenPicture:
      runHandler("onOpenPicture", [&] { onOpenPicture(message.text()); });
      break;
    case msg::kOpenVideo:
      runHandler("onOpenVideo", [&] { onOpenVideo(message.text()); });
      break;
    case msg::kWorkspaceCalibration:
      runHandler("onWorkspaceCalibration", [&] { onWorkspaceCalibration(message.text()); });
      break;
    case msg::kLiveCalibrationDone:
      runHandler("onLiveCalibrationDone", [this] { onLiveCalibrationDone(); });
      break;
    case msg::kDeviceChange:
      runHandler("onDeviceChange", [&] { onDeviceChange(static_cast<int>(message.wParam())); });
      break;
    default:
      break;
  }
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
  // The six accelerator tables in their order: 224 F2, 225 F3, 226 F4, 255 F10, 253 F11, 347 F12.
  switch (key->key()) {
    case Qt::Key_F2:
      dispatchCommand(ids::kCamera);
      return true;
    case Qt::Key_F3:
      if (!recording_) runHandler("onRecordNow", [this] { onRecordNow(); });
      return true;
    case Qt::Key_F4:
      if (recording_) runHandler("onStopRecordingByKey", [this] { onStopRecordingByKey(); });
      return true;
    case Qt::Key_F10:
      runHandler("onCaptureSize", [this] { onCaptureSize(CaptureService::SizePreset::Small); });
      return true;
    case Qt::Key_F11:
      runHandler("onCaptureSize", [this] { onCaptureSize(CaptureService::SizePreset::Medium); });
      return true;
    case Qt::Key_F12:
      runHandler("onCaptureSize", [this] { onCaptureSize(CaptureService::SizePreset::Large); });
      return true;
    case Qt::Key_F1:
      runHandler("onHelp", [this] { onHelp(); });
      return true;
    case Qt::Key_Escape:
      // Posted, as the restore command is: the key's own processing finishes first.
      if (fullScreen_)
        QMetaObject::invokeMethod(
            this, [this] { leaveFullScreen(); }, Qt::QueuedConnection);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return true;
    default:
      return false;
  }
}

void MainWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (fullScreen_) {
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
  if (event->button() == Qt::LeftButton && !fullScreen_ && band.contains(event->position().toPoint())) {
    // The window manager moves the window where it can; without one the window follows the pointer.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    return;
  }
  if (event->button() == Qt::RightButton && !fullScreen_ && band.contains(event->position().toPoint())) {
    onSystemMenu(event->globalPosition().toPoint());
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
  if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized) && !fullScreen_) {
    setWindowState(windowState() & ~Qt::WindowMaximized);
    QMetaObject::invokeMethod(
        this, [this] { onFullScreen(); }, Qt::QueuedConnection);
  }
  QWidget::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  shutdown();
  event->accept();
}

void MainWindow::shutdown() {
  if (closed_) return;
  closed_ = true;
  measureHooks_.deleteAll();
  if (recording_) onStopRecording();
  reconnectTimer_.stop();
  recordLimitTimer_.stop();
  recordSecondsTimer_.stop();
  startupPromptTimer_.stop();
  // No frame may reach the video area once the graph goes.
  capture_->setFrameListener({});
  capture_->stop();
  capture_->release();
  if (cursorMode_ == 1) setBusy(false);
}

void MainWindow::onVideoMouse(QMouseEvent* event) {
  const QPoint video = event->position().toPoint();
  if (!fullScreen_) lastCursorInVideo_ = video;
  if (event->type() == QEvent::MouseButtonPress && event->button() == Qt::RightButton && !fullScreen_ &&
      !measureHooks_.isDrawing()) {
    onVideoAreaMenu(event->globalPosition().toPoint());
  }
}

void MainWindow::showPopup(QMenu* menu, QPoint globalPos) {
  if (openMenu_) openMenu_->close();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  connect(menu, &QMenu::triggered, this, [this](QAction* action) {
    bool ok = false;
    const int command = action->data().toInt(&ok);
    if (ok)
      QMetaObject::invokeMethod(
          this, [this, command] { dispatchCommand(command); }, Qt::QueuedConnection);
  });
  openMenu_ = menu;
  menu->popup(globalPos);
}

void MainWindow::runHandler(const char* name, const std::function<void()>& run) {
  lastHandler_ = QString::fromLatin1(name);
  run();
}

// --- Full screen --------------------------------------------------------------------------------------

QPointF MainWindow::fullScreenFactors(QSize screen, QSize capture) {
  const double vertical = capture == QSize(1280, 1024) ? screen.height() / 512.0 : screen.height() / 480.0;
  return {screen.width() * 0.0015625, vertical};
}

void MainWindow::enterFullScreen(QRect screenRect) {
  if (fullScreen_ || closed_) return;
  normalGeometry_ = geometry();
  measureHooks_.clearPendingInput();
  fullScreen_ = true;
  refreshToolTips();
  for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (child != videoArea_ && !child->isWindow()) child->hide();
  }
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  setGeometry(screenRect);
  videoArea_->setGeometry(QRect(QPoint(0, 0), screenRect.size()));
  const QPointF factors =
      fullScreenFactors(screenRect.size(), QSize(captureState().width.load(), captureState().height.load()));
  scaleX_ = factors.x();
  scaleY_ = factors.y();
  capture_->setFullScreen(true, screenRect.size());
  videoArea_->setHint(hintText_);
  show();
  raise();
  activateWindow();
}

void MainWindow::leaveFullScreen() {
  if (!fullScreen_) return;
  hide();
  move(520, 400);
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setWindowTitle(LookupText("MsgTitle", 256, QStringLiteral("Lumivex")));
  setFixedSize(MainSkin::kWidth, MainSkin::kHeight);
  setGeometry(normalGeometry_);
  videoArea_->setGeometry(98, 49, 640, 480);
  videoArea_->setHint({});
  for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (!child->isWindow() && !hiddenInNormalWindow(child)) child->show();
  }
  scaleX_ = 1.0;
  scaleY_ = 1.0;
  fullScreen_ = false;
  onRefreshStrip();
  capture_->setFullScreen(false, videoArea_->size());
  show();
  refreshToolTips();
}

}  // namespace lumivex
