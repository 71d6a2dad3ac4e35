// The main window's command dispatch and the handlers of its buttons, menus and keys.
#include "app/main_window.h"

#include "app/about_dialog.h"
#include "app/project_links.h"
#include "app/video_area.h"
#include "capture/still/still_capture.h"
#include "core/app_context.h"
#include "core/control_ids.h"
#include "core/language_table.h"
#include "core/localisation.h"
#include "core/prompter.h"
#include "library/media_commands.h"
#include "library/thumbnail_strip.h"
#include "measure/setting_dialog.h"
#include "widgets/icon_menu.h"
#include "widgets/latch_button.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

namespace lumivex {

namespace {

QString messageTitle() { return LookupText("MsgTitle", 64, QStringLiteral("Lumivex")); }

// Tools whose pending point list is emptied when chosen: four-point angle, arc, the automatic tools.
bool clearsPendingPoints(int code) { return code == 13 || code == 17 || (code >= 21 && code <= 25); }

}  // namespace

void MainWindow::addCommand(int id, const char* name, std::function<void()> run) {
  commands_[id] = Command{QString::fromLatin1(name), std::move(run)};
}

void MainWindow::buildCommands() {
  addCommand(ids::kPreview, "onPreview", [this] { onPreview(); });
  addCommand(ids::kCamera, "onCamera", [this] { onCamera(); });
  addCommand(ids::kRecord, "onRecordButton", [this] { onRecordButton(); });
  addCommand(ids::kTimer, "onTimedCapture", [this] { onTimedCapture(); });
  addCommand(ids::kVideoSetting, "onVideoSettings", [this] { onVideoSettings(); });
  addCommand(ids::kExportWord, "onExportWord", [this] { onExportWord(); });
  addCommand(ids::kExportExcel, "onExportExcel", [this] { onExportExcel(); });
  addCommand(ids::kLanguage, "onLanguageMenu", [this] { onLanguageMenu(); });
  for (const ButtonSpec& info : kButtonSpecs) {
    const int id = info.id;
    if (info.latch && info.toolCode > 0) addCommand(id, "onChooseTool", [this, id] { onChooseTool(id); });
    if (info.toolCode >= 21) addCommand(id, "onChooseAutoTool", [this, id] { onChooseAutoTool(id); });
  }
  addCommand(ids::kMinimize, "onMinimise", [this] { onMinimise(); });
  addCommand(ids::kFullScreen, "onFullScreen", [this] { onFullScreen(); });
  addCommand(ids::kClose, "onClose", [this] { onClose(); });
  addCommand(ids::kUndo, "onUndo", [this] { onUndo(); });
  addCommand(ids::kRedo, "onRedo", [this] { onRedo(); });
  addCommand(ids::kLineCalibration, "onLineCalibration", [this] { onLineCalibration(); });
  addCommand(ids::kMeasureSetting, "onMeasureSettings", [this] { onMeasureSettings(); });
  addCommand(ids::kHelpMenu, "onHelpMenu", [this] { onHelpMenu(); });
  addCommand(ids::kPictureFolder, "onPictureFolder", [this] { onPictureFolder(); });
  addCommand(ids::kVideoFolder, "onVideoFolder", [this] { onVideoFolder(); });
  addCommand(ids::kSnapSwitch, "onSnapshotSwitch", [this] { onSnapshotSwitch(); });
  addCommand(ids::kRuler, "onRuler", [this] { onRuler(); });
  addCommand(ids::kAngleLine, "onAngleGauge", [this] { onAngleGauge(); });
  addCommand(ids::kToleranceCircle, "onToleranceCircle", [this] { onToleranceCircle(); });
  addCommand(ids::kExportDxf, "onExportDxf", [this] { onExportDxf(); });
  addCommand(ids::kDeleteAllShapes, "onDeleteAll", [this] { onDeleteAll(); });
  // Thumbnail menu.
  addCommand(ids::kOpenFile, "onOpenFile", [this] { onOpenFile(); });
  addCommand(ids::kSaveFileAs, "onSaveFileAs", [this] { onSaveFileAs(); });
  addCommand(ids::kSaveAllFiles, "onSaveAllFiles", [this] { onSaveAllFiles(); });
  addCommand(ids::kDeleteFile, "onDeleteFile", [this] { onDeleteFile(); });
  addCommand(ids::kDeleteAllFiles, "onDeleteAllFiles", [this] { onDeleteAllFiles(); });
  addCommand(ids::kEmail, "onEmail", [this] { onEmail(); });
  // Language menu.
  for (const LanguageMenuItem& item : kLanguageMenu) {
    const int command = item.command;
    addCommand(command, "onLanguage", [this, command] { onLanguage(command); });
  }
  // Help menu and the system menu's About.
  addCommand(ids::kHelp, "onHelp", [this] { onHelp(); });
  addCommand(ids::kUpdate, "onUpdate", [this] { onUpdate(); });
  addCommand(ids::kAbout, "onAbout", [this] { onAbout(); });
  addCommand(ids::kSystemAbout, "onAbout", [this] { onAbout(); });
  // Video-area menu.
  addCommand(ids::kVideoMenuCancel, "onCancelTool", [this] { onCancelTool(); });
  addCommand(ids::kVideoMenuCross, "onCrossLine", [this] { onCrossLine(); });
  addCommand(ids::kVideoMenuScale, "onScaleOverlay", [this] { onScaleOverlay(); });
  addCommand(ids::kVideoMenuCircle, "onCircleOverlay", [this] { onCircleOverlay(); });
  addCommand(ids::kVideoMenuTime, "onTimeStamp", [this] { onTimeStamp(); });
  addCommand(ids::kStillFormatBmp, "onStillFormat", [this] { onStillFormat(ids::kStillFormatBmp); });
  addCommand(ids::kStillFormatJpeg, "onStillFormat", [this] { onStillFormat(ids::kStillFormatJpeg); });
}

bool MainWindow::dispatchCommand(int id) {
  const auto it = commands_.find(id);
  if (it == commands_.end() || closed_) return false;
  lastHandler_ = it->second.name;
  it->second.run();
  return true;
}

std::vector<int> MainWindow::commandIds() const {
  std::vector<int> result;
  result.reserve(commands_.size());
  for (const auto& [id, command] : commands_) result.push_back(id);
  return result;
}

QString MainWindow::handlerName(int id) const {
  const auto it = commands_.find(id);
  return it == commands_.end() ? QString() : it->second.name;
}

// --- Capture ------------------------------------------------------------------------------------------

void MainWindow::onPreview() {
  LatchButton* preview = latchButton(ids::kPreview);
  if (preview->isLatched()) {
    preview->setLatched(false);
    capture_->stop();
  } else {
    if (recording_) onStopRecording();
    preview->setLatched(true);
    capture_->run();
  }
  refreshToolTips();
}

void MainWindow::onCamera() {
  if (!isPreviewing() && !recording_) {
    prompter().message(this, messageTitle(),
                       LookupText("BrowseToCamera", 256, QStringLiteral("Please return to the preview state")),
                       MessageIcon::Warning, MessageButtons::Ok);
    return;
  }
  stills_->takePicture();  // requests kStillForCamera and arms the shutter sound
}

void MainWindow::onStillReady(int kind) { onSaveStill(kind); }

void MainWindow::onRecordButton() {
  if (recording_) {
    onStopRecording();
    playSound(ids::kSoundRecord);
  } else {
    onStartRecordingWithDialog();
  }
}

void MainWindow::onRecordNow() { onStartRecordingAtOnce(); }

void MainWindow::onStopRecordingByKey() {
  onStopRecording();
  playSound(ids::kSoundRecordEnd);
}

void MainWindow::onCaptureSize(CaptureService::SizePreset preset) { capture_->setCaptureSize(preset); }

void MainWindow::onTimedCapture() {
  if (!isPreviewing() && !recording_) {
    prompter().message(this, messageTitle(),
                       LookupText("BrowseToCamera", 256, QStringLiteral("Please select a picture or video")),
                       MessageIcon::Warning, MessageButtons::Ok);
    return;
  }
  onOpenTimedCapture();
}

void MainWindow::onSnapshotSwitch() {
  LatchButton* snapSwitch = latchButton(ids::kSnapSwitch);
  // Latched means the camera's snapshot key is off.
  const bool enable = snapSwitch->isLatched();
  snapSwitch->setLatched(!enable);
  context_.store().saveEnableSnap(enable ? 1 : 0);
  capture_->setSnapshotKeyEnabled(enable);
  refreshToolTips();
}

// --- Tools --------------------------------------------------------------------------------------------

void MainWindow::releaseToolButtons() {
  for (const ButtonSpec& info : kButtonSpecs) {
    if (info.latch && info.toolCode > 0) latchButton(info.id)->setLatched(false);
  }
}

void MainWindow::onChooseTool(int id) {
  const int code = toolCodeOf(id);
  measureHooks_.clearPendingInput();
  // The labels need no scale; every other tool does.
  if (code != 14 && code != 15 && !measureHooks_.deriveRate(this)) return;
  LatchButton* pressed = latchButton(id);
  const bool wasLatched = pressed->isLatched();
  releaseToolButtons();
  activeTool_ = 0;
  lineCalibrationMode_ = false;
  if (wasLatched) return;  // the second press switches the tool off
  pressed->setLatched(true);
  activeTool_ = code;
  measureHooks_.requestMeasurementFrame();
  if (clearsPendingPoints(code)) measureHooks_.clearPendingPoints();
  if (code == 16) {
    const std::optional<QString> text = measureHooks_.askText(this);
    if (!text) {
      pressed->setLatched(false);
      activeTool_ = 0;
    } else if (text->isEmpty()) {
      prompter().message(this, messageTitle(), LookupText("InputText", 64, QStringLiteral("Please input text!")),
                         MessageIcon::Warning, MessageButtons::Ok);
      pressed->setLatched(false);
      activeTool_ = 0;
    } else {
      measureHooks_.addLiveText(*text, lastCursorInVideo_);
    }
  }
}

void MainWindow::onChooseAutoTool(int id) {
  // Automatic tools are plain buttons: each press chooses the tool again.
  measureHooks_.clearPendingInput();
  if (!measureHooks_.deriveRate(this)) return;
  releaseToolButtons();
  lineCalibrationMode_ = false;
  activeTool_ = toolCodeOf(id);
  measureHooks_.requestMeasurementFrame();
  measureHooks_.clearPendingPoints();
}

void MainWindow::onRuler() {
  measureHooks_.clearPendingInput();
  if (!measureHooks_.deriveRate(this)) return;
  releaseToolButtons();
  lineCalibrationMode_ = false;
  activeTool_ = 18;
}

void MainWindow::onAngleGauge() {
  measureHooks_.clearPendingInput();
  releaseToolButtons();
  lineCalibrationMode_ = false;
  activeTool_ = 19;
  onAngleGaugeDialog();
}

void MainWindow::onToleranceCircle() {
  measureHooks_.clearPendingInput();
  if (!measureHooks_.deriveRate(this)) return;
  releaseToolButtons();
  lineCalibrationMode_ = false;
  activeTool_ = 20;
  onToleranceCircleDialog();
}

void MainWindow::onLineCalibration() {
  // The parallel-line tool in calibration mode; it sets the scale, so it needs none before.
  measureHooks_.clearPendingInput();
  releaseToolButtons();
  activeTool_ = 3;
  lineCalibrationMode_ = true;
  measureHooks_.requestMeasurementFrame();
}

void MainWindow::onCancelTool() {
  measureHooks_.clearPendingInput();
  releaseToolButtons();
  activeTool_ = 0;
  lineCalibrationMode_ = false;
  videoArea_->update();
}

void MainWindow::onDeleteAll() {
  measureHooks_.deleteAll();
  releaseToolButtons();
  activeTool_ = 0;
  lineCalibrationMode_ = false;
  videoArea_->update();
}

// --- Video-area menu ----------------------------------------------------------------------------------

void MainWindow::onVideoAreaMenu(QPoint globalPos) {
  auto* menu = new IconMenu(this);
  menu->setObjectName(QStringLiteral("menu-video"));
  menu->addCommand(ids::kVideoMenuCancel, LookupText("Cancel", 64, QStringLiteral("Cancel")),
                   QStringLiteral("menu-1273.svg"));
  QAction* cross = menu->addCommand(ids::kVideoMenuCross, LookupText("Cross", 64, QStringLiteral("Cross Line")),
                                    QStringLiteral("menu-1243.svg"));
  cross->setCheckable(true);
  cross->setChecked(capture_->crosshair());
  menu->addCommand(ids::kVideoMenuScale, LookupText("Scale", 64, QStringLiteral("Scale")),
                   QStringLiteral("menu-1244.svg"));
  menu->addCommand(ids::kVideoMenuCircle, LookupText("Circle", 64, QStringLiteral("Circle")),
                   QStringLiteral("menu-1245.svg"));
  QAction* time = menu->addCommand(ids::kVideoMenuTime, LookupText("Time", 64, QStringLiteral("Time")),
                                   QStringLiteral("menu-395.svg"));
  time->setCheckable(true);
  time->setChecked(capture_->timeStamp());
  IconMenu* format =
      menu->addIconSubmenu(LookupText("Format", 64, QStringLiteral("Format")), QStringLiteral("menu-381.svg"));
  QAction* bmp = format->addCommand(ids::kStillFormatBmp, LookupText("BMP", 64, QStringLiteral("BMP")),
                                    QStringLiteral("menu-1314.svg"));
  QAction* jpg = format->addCommand(ids::kStillFormatJpeg, LookupText("JPG", 64, QStringLiteral("JPG")),
                                    QStringLiteral("menu-1315.svg"));
  bmp->setCheckable(true);
  jpg->setCheckable(true);
  const bool isBmp = context_.settings().imageFormat == kImageFormatBmp;
  bmp->setChecked(isBmp);
  jpg->setChecked(!isBmp);
  showPopup(menu, globalPos);
}

void MainWindow::onSystemMenu(QPoint globalPos) {
  // The borderless window's stand-in for the system menu: the caption commands and About.
  auto* menu = new IconMenu(this);
  menu->setObjectName(QStringLiteral("menu-system"));
  menu->addCommand(ids::kMinimize, LookupText("TipMin", 64, QStringLiteral("minimum")),
                   QStringLiteral("button-1175.svg"));
  menu->addCommand(ids::kFullScreen, LookupText("TipFullScreen", 64, QStringLiteral("Full Screen")),
                   QStringLiteral("button-1176.svg"));
  menu->addCommand(ids::kClose, LookupText("TipClose", 64, QStringLiteral("Close")), QStringLiteral("button-1177.svg"));
  menu->addSeparator();
  menu->addCommand(ids::kSystemAbout, QStringLiteral("&About Lumivex"), QStringLiteral("menu-1283.svg"));
  showPopup(menu, globalPos);
}

void MainWindow::onCrossLine() {
  if (connected_) capture_->setCrosshair(!capture_->crosshair());
}

void MainWindow::onTimeStamp() {
  if (connected_) capture_->setTimeStamp(!capture_->timeStamp());
}

void MainWindow::onStillFormat(int command) {
  context_.store().saveImageFormat(command == ids::kStillFormatBmp ? kImageFormatBmp : kImageFormatJpeg);
}

// --- Window -------------------------------------------------------------------------------------------

void MainWindow::onMinimise() { showMinimized(); }

void MainWindow::onFullScreen() {
  const QScreen* target = screen() ? screen() : QGuiApplication::primaryScreen();
  if (target) enterFullScreen(target->geometry());
}

void MainWindow::onClose() {
  // Posted, so the click that asked for it finishes first.
  QMetaObject::invokeMethod(
      this, [this] { close(); }, Qt::QueuedConnection);
}

void MainWindow::onPictureFolder() {
  latchButton(ids::kPictureFolder)->setLatched(true);
  latchButton(ids::kVideoFolder)->setLatched(false);
  videoFolderShown_ = false;
  onShowFolder(false);
}

void MainWindow::onVideoFolder() {
  latchButton(ids::kPictureFolder)->setLatched(false);
  latchButton(ids::kVideoFolder)->setLatched(true);
  videoFolderShown_ = true;
  onShowFolder(true);
}

// --- Language, help, About ----------------------------------------------------------------------------

void MainWindow::onLanguageMenu() {
  auto* menu = new IconMenu(this);
  menu->setObjectName(QStringLiteral("menu-1293"));
  const Settings& settings = context_.settings();
  // Before any choice is stored the system language is the one in effect, so it is the one marked.
  const LanguagePair inEffect = settings.languageId != 0 ? LanguagePair{settings.languageId, settings.subLanguage}
                                                         : languagePairFromLangId(systemLanguageId());
  for (const LanguageMenuItem& item : kLanguageMenu) {
    const bool current =
        item.primaryId == inEffect.primaryId && (item.primaryId != 4 || item.subLanguage == inEffect.subLanguage);
    menu->addCommand(item.command, LookupText(item.key, 64, QString::fromUtf8(item.defaultText)),
                     current ? QStringLiteral("menu-381.svg") : QStringLiteral("menu-232.svg"))
        ->setProperty("current", current);
  }
  const QWidget* anchor = button(ids::kLanguage);
  showPopup(menu, anchor->mapToGlobal(QPoint(anchor->width(), 0)));
}

void MainWindow::onLanguage(int command) {
  const LanguageMenuItem* item = languageMenuItem(command);
  if (!item) return;
  localisation().clear();
  localisation().selectLanguage(item->primaryId, item->subLanguage);
  refreshToolTips();
  setTexts();
  context_.store().saveLanguage(item->primaryId, item->subLanguage);
}

void MainWindow::onHelpMenu() {
  auto* menu = new IconMenu(this);
  menu->setObjectName(QStringLiteral("menu-1199"));
  menu->addCommand(ids::kHelp, LookupText("Help", 64, QStringLiteral("Lumivex Help")), QStringLiteral("menu-230.svg"));
  menu->addCommand(ids::kUpdate, LookupText("Update", 64, QStringLiteral("Lumivex Update")),
                   QStringLiteral("menu-230.svg"));
  menu->addCommand(ids::kAbout, LookupText("About", 64, QStringLiteral("About Lumivex")),
                   QStringLiteral("menu-1283.svg"));
  const QWidget* anchor = button(ids::kHelpMenu);
  showPopup(menu, anchor->mapToGlobal(QPoint(0, anchor->height() - 4)));
}

void MainWindow::onHelp() {
  QString file = localisation().helpFile();
  // A language whose help page is missing falls back to the English one.
  if (!QFileInfo::exists(file)) {
    file = context_.paths().findResource(QStringLiteral("help/") + languageFilesFor(9, 0).helpFile);
  }
  if (QFileInfo::exists(file)) openUrl_(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
}

void MainWindow::onUpdate() { openUrl_(QUrl(projectDownloadPage())); }

void MainWindow::onAbout() {
  auto* about = new AboutDialog(openUrl_, this);
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->open();
}

// --- Dialogs of other libraries, and handlers of later parts (routed, not yet carried out)
// ---------------------------------------------

void MainWindow::onVideoSettings() {
  if (openVideoSettings_) {
    openVideoSettings_->raise();
    return;
  }
  openVideoSettings_ = capture_->createVideoSettingsDialog(this);
  if (!openVideoSettings_) return;
  setVideoSettingsDialog(openVideoSettings_.get());  // receives 0x8005 while open
  connect(openVideoSettings_.get(), &QDialog::finished, this, [this] {
    setVideoSettingsDialog(nullptr);
    // Released from the event loop: the dialog is still inside its own signal here.
    QTimer::singleShot(0, this, [this] { openVideoSettings_.reset(); });
  });
  openVideoSettings_->open();
}

void MainWindow::onExportWord() {}
void MainWindow::onExportExcel() {}
void MainWindow::onExportDxf() {}
void MainWindow::onUndo() {}
void MainWindow::onRedo() {}
void MainWindow::onMeasureSettings() {
  auto* dialog = new SettingDialog(style_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] { style_ = dialog->style(); });
  dialog->open();
}

void MainWindow::onStartRecordingWithDialog() {}
void MainWindow::onStartRecordingAtOnce() {}
void MainWindow::onStopRecording() { setRecording(false); }
void MainWindow::onRecordLimitTick() {}
void MainWindow::onRecordSecondTick() {}
void MainWindow::onOpenTimedCapture() {}
void MainWindow::onScaleOverlay() {}
void MainWindow::onCircleOverlay() {}
void MainWindow::onOpenPicture(const QString&) {}
void MainWindow::onOpenVideo(const QString&) {}
void MainWindow::onLiveCalibrationDone() {}
void MainWindow::onMagnificationChanged(const QString&) {}
void MainWindow::onAngleGaugeDialog() {}
void MainWindow::onToleranceCircleDialog() {}

void MainWindow::onWorkspaceCalibration(const QString& payload) {
  // The workspace sends "<magnification text>\t<calibration value>".
  const QStringList parts = payload.split(u'\t');
  if (parts.size() != 2) return;
  bool ok = false;
  const double value = parts[1].toDouble(&ok);
  if (ok) setCalibrationFields(parts[0], value);
}

// --- Still capture and the media browser ---------------------------------------------------------------

void MainWindow::onSaveStill(int kind) {
  // One whole frame, copied out of the frame buffer; the frame thread goes on filling its own.
  const QByteArray dib = capture_->bufferedFrame();
  const StillCapture::Arrival arrival =
      stills_->stillArrived(kind, StillCapture::frameFromDib(dib), magnificationEdit_->text(), recording_);
  if (arrival.path) {
    strip_->AddCapturedPicture(*arrival.path);
    if (arrival.restart) capture_->restart();
  }
  if (arrival.playShutter) playSound(ids::kSoundShutter);
}

void MainWindow::onShowFolder(bool video) {
  strip_->showFolder(video ? ThumbnailStrip::Folder::Videos : ThumbnailStrip::Folder::Pictures);
}

void MainWindow::onOpenFile() { mediaCommands_->open(); }
void MainWindow::onSaveFileAs() { mediaCommands_->saveAs(); }
void MainWindow::onSaveAllFiles() { mediaCommands_->saveAll(); }
void MainWindow::onDeleteFile() { mediaCommands_->deleteCurrent(); }
void MainWindow::onDeleteAllFiles() { mediaCommands_->deleteAll(); }
// Sending lands with the e-mail window; until then the command checks the selection only.
void MainWindow::onEmail() { mediaCommands_->emailTarget(); }
void MainWindow::onRefreshStrip() { strip_->refresh(); }

}  // namespace lumivex
