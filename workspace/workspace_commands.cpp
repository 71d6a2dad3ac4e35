// The workspace's toolbar and menu commands.
#include "core/app_context.h"
#include "core/app_events.h"
#include "core/capture_state.h"
#include "core/control_ids.h"
#include "core/localisation.h"
#include "core/prompter.h"
#include "image/picture_file.h"
#include "measure/calibration_file.h"
#include "measure/canvas_tool.h"
#include "measure/detection/cx_image_view.h"
#include "measure/detection/edge_overlay.h"
#include "measure/measure_canvas.h"
#include "measure/micrometer_scale.h"
#include "measure/setting_dialog.h"
#include "measure/text_dialog.h"
#include "measure/units.h"
#include "widgets/icon_menu.h"
#include "widgets/latch_button.h"
#include "workspace/image_workspace.h"
#include "workspace/magnifier_dialog.h"
#include "workspace/micrometer_drag.h"
#include "workspace/workspace_exports.h"
#include "workspace/workspace_menus.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include <array>

namespace lumivex {
namespace {

QString title() { return LookupText("MsgTitle", 64, QStringLiteral("Lumivex")); }

// The buttons whose press starts the label numbers over.
bool resetsLabelNumbers(int id) {
  return id == 1137 || id == 1140 || id == 1114 || id == 1289 || id == 1138 || id == 1328 || id == 1329;
}

}  // namespace

bool ImageWorkspace::dispatchCommand(int id) {
  if (resetsLabelNumbers(id)) labelCounters().reset();
  switch (id) {
    case 1333:
    case 1257:
    case 1329:
    case 1138:
    case 1328:
    case 1289:
      showMenu(id);
      return true;
    case 1113:
      beforeCommand();
      save();
      return true;
    case 1114:
      beforeCommand();
      revert();
      return true;
    case 384:
      beforeCommand();
      magnifier();
      return true;
    case 1140:
      beforeCommand();
      penSetting();
      return true;
    case 1142:
      beforeCommand();
      text();
      return true;
    case 1137:
      beforeCommand();
      select();
      return true;
    case 1127:
      beforeCommand();
      canvas_->controller().deleteSelected(this);
      canvas_->viewport()->update();
      return true;
    case 1128:
      beforeCommand();
      canvas_->controller().startMove();
      canvas_->viewport()->update();
      return true;
    case 1292:
      showMinimized();
      return true;
    case 1178:
      beforeCommand();
      toggleMaximise();
      return true;
    case 1294:
      close();
      return true;
    case 1264:
    case 1265:
    case 1267:
    case 1268:
    case 1269:
    case 1271:
    case 1272:
      imageOperation(id);
      return true;
    case 1270:
      edgeGlobal();
      return true;
    case 396:
    case 382:
      startCalibration(id);
      return true;
    case ids::kMicrometerCalibration:
      startMicrometerCalibration();
      return true;
    case 1279:
    case 1278:
    case 1318:
      exportShapes(id);
      return true;
    default:
      break;
  }
  if (const ToolCommand* command = findToolCommand(id)) {
    chooseTool(*command);
    return true;
  }
  return false;
}

void ImageWorkspace::beforeCommand() {
  micrometer_.reset();
  // Clicks of a cycle in progress are dropped; a record already appended keeps its label where it is.
  canvas_->controller().settleCycle();
  canvas_->viewport()->update();
  releaseLatches();
}

void ImageWorkspace::releaseLatches() {
  for (const auto& [id, button] : buttons_) {
    if (auto* latch = dynamic_cast<LatchButton*>(button)) latch->setLatched(false);
  }
  menuButton_ = 0;
}

void ImageWorkspace::showMenu(int buttonId) {
  beforeCommand();
  canvas_->setTool({ToolMode::NoTool, kMeasureFlagIdle});
  if (openMenu_) openMenu_->close();
  auto* menu = new IconMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  for (const WorkspaceMenuItem& item : workspaceMenu(buttonId)) {
    menu->addCommand(item.command, LookupText(item.textKey, 64, QString::fromUtf16(item.defaultText)),
                     QStringLiteral("menu-%1.svg").arg(item.icon));
  }
  LatchButton* latch = latchButton(buttonId);
  if (latch) latch->setLatched(true);
  // The button stays latched only while a tool of its menu is active (chosen before or after the menu
  // hides, as the platform orders it).
  connect(menu, &QMenu::aboutToHide, this, [this, latch, buttonId] {
    if (latch && menuButton_ != buttonId) latch->setLatched(false);
  });
  connect(menu, &QMenu::triggered, this, [this](QAction* action) { dispatchCommand(IconMenu::commandOf(action)); });
  SkinButton* button = this->button(buttonId);
  openMenu_ = menu;
  menu->popup(button->mapToGlobal(QPoint(0, button->height() - 2)));
}

void ImageWorkspace::setStatus(const char* key, const QString& defaultText) {
  QLineEdit* status = edits_.at(1167);
  status->setText(key && *key ? LookupText(key, 64, defaultText) : QString());
  status->setCursorPosition(0);  // a name longer than the box shows its beginning
}

bool ImageWorkspace::deriveRateFor(RateForm form) {
  const bool highResolution = captureState().highResolutionModel.load();
  const RateInput input{edits_.at(1130)->text(), edits_.at(1132)->text(), pictureWidth_, pictureHeight_,
                        highResolution};
  ViewRate derived = rate_;
  if (!deriveRate(this, input, derived, form)) return false;
  rate_ = derived;
  canvas_->controller().setRate(rate_, rateSizeScale(pictureWidth_, pictureHeight_, highResolution));
  canvas_->controller().setScaleUncertainty(
      form == RateForm::Normal ? calibrationUncertaintyInUse(input.magnificationText, input.calibrationValue)
                               : std::nullopt);
  return true;
}

void ImageWorkspace::chooseTool(const ToolCommand& command) {
  beforeCommand();
  if (command.derivesRate && !deriveRateFor(RateForm::Normal)) {
    canvas_->setTool({ToolMode::NoTool, kMeasureFlagIdle});
    return;
  }
  canvas_->setTool(command.tool);
  setStatus(command.textKey, QString::fromUtf16(command.defaultText));
  menuButton_ = command.tool.mode == ToolMode::Select ? 1137 : menuButtonOf(command.commandId);
  if (LatchButton* latch = latchButton(menuButton_)) latch->setLatched(true);
}

void ImageWorkspace::select() {
  canvas_->setTool({ToolMode::Select, kMeasureFlagIdle});
  setStatus("", {});
  menuButton_ = 1137;
  latchButton(1137)->setLatched(true);
}

void ImageWorkspace::save() {
  FileRequest request;
  request.title = LookupText("TipSave", 64, QStringLiteral("Save As"));
  const QFileInfo info(path_);
  request.folder = info.absolutePath();
  request.fileName = info.completeBaseName();
  request.filters = {QStringLiteral("bmp Files(*.bmp)"), QStringLiteral("jpg Files(*.jpg)")};
  request.selectedFilter = request.filters.first();
  const std::optional<FileAnswer> answer = prompter().saveFile(this, request);
  if (!answer || answer->path.isEmpty()) return;
  QString target = answer->path;
  // A name typed without an ending takes the chosen type's (bmp unless jpg was chosen).
  if (QFileInfo(target).suffix().isEmpty())
    target += answer->selectedFilter.contains(QStringLiteral("jpg")) ? QStringLiteral(".jpg") : QStringLiteral(".bmp");
  const bool saved = saveRenderedPicture(canvas_->renderPicture(), target, canvas_->picture().GetExif());
  if (saved) markSaved();
  prompter().message(this, title(),
                     saved ? LookupText("SaveSuccessfull", 128, QStringLiteral("Save successfully!"))
                           : LookupText("SaveFail", 128, QStringLiteral("Save fail")),
                     saved ? MessageIcon::Information : MessageIcon::Warning, MessageButtons::Ok);
}

void ImageWorkspace::markSaved() {
  savedShapeChanges_ = canvas_->controller().contentChanges();
  savedImageChanges_ = imageChanges_;
}

bool ImageWorkspace::hasUnsavedChanges() const {
  return canvas_ &&
         (canvas_->controller().contentChanges() != savedShapeChanges_ || imageChanges_ != savedImageChanges_);
}

void ImageWorkspace::revert() {
  createCanvas();
  placeControls();
  setStatus("", {});
}

void ImageWorkspace::magnifier() {
  latchButton(384)->setLatched(true);
  auto* dialog = new MagnifierDialog(this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  // Whichever way the dialog closes, its choice is taken and the canvas magnifies.
  connect(dialog, &QDialog::finished, this, [this, dialog] {
    canvas_->setLens(dialog->choice());
    canvas_->setTool({ToolMode::Magnifier, kMeasureFlagPaint});
    setStatus("TipMagnifier", QStringLiteral("Magnifier"));
    menuButton_ = 384;
    latchButton(384)->setLatched(true);
  });
  dialog->open();
}

void ImageWorkspace::penSetting() {
  auto* dialog = new SettingDialog(style_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] {
    style_ = dialog->style();
    canvas_->setStyle(style_);
  });
  // The unit page changes the unit at once, OK or not.
  connect(dialog, &QDialog::finished, this, [this] { canvas_->viewport()->update(); });
  dialog->open();
}

void ImageWorkspace::text() {
  auto* dialog = new TextDialog(this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] {
    canvas_->controller().startText(dialog->text(), dialog->color(), dialog->font());
    if (canvas_->controller().tool().mode == ToolMode::Text) setStatus("TipText", QStringLiteral("Input Text"));
    canvas_->viewport()->update();
  });
  dialog->open();
}

void ImageWorkspace::imageOperation(int id) {
  beforeCommand();
  CxImage& picture = canvas_->picture();
  static constexpr std::array<long, 9> kOnes{1, 1, 1, 1, 1, 1, 1, 1, 1};
  bool done = false;
  switch (id) {
    case 1264:
      done = picture.Mirror(false, true);
      break;
    case 1265:
      done = picture.Flip(false, true);
      break;
    case 1267:
      done = picture.Negative();
      break;
    case 1268:
      done = picture.Light(10, 0);
      break;
    case 1269:
      done = picture.Light(-10, 0);
      break;
    case 1271:
      done = picture.Median(3);
      break;
    case 1272:
      done = picture.Filter(kOnes, 3, 9, 0);
      break;
    default:
      break;
  }
  if (!done) return;
  ++imageChanges_;
  canvas_->pictureChanged();
}

void ImageWorkspace::edgeGlobal() {
  beforeCommand();
  if (!detection::EdgeOverlay(detection::bgrSurfaceOf(canvas_->picture()))) return;
  ++imageChanges_;
  canvas_->pictureChanged();
  setStatus("EdgeGlobal", QStringLiteral("Check Edge(Global)"));
}

void ImageWorkspace::startCalibration(int id) {
  beforeCommand();
  calibrationPending_ = true;
  setStatus("", {});
  if (!deriveRateFor(RateForm::CalibrationStart)) return;
  calibrationPending_ = false;
  const bool automatic = id == 382;
  canvas_->setTool({automatic ? ToolMode::AutoLineSpacing : ToolMode::ParallelLine, kMeasureFlagMeasure});
  canvas_->controller().setCalibrationMode(true);
  if (automatic) {
    setStatus("AutoLineCalibration", QStringLiteral("Auto Line Calibration"));
  } else {
    setStatus("straightlineCalibration", QStringLiteral("Line Calibration"));
  }
}

void ImageWorkspace::onCalibrated(double value) {
  const QString valueText = calibrationText(value);
  edits_.at(1132)->setText(valueText);
  deriveRateFor(RateForm::Normal);
  const QString magnification = edits_.at(1130)->text();
  postAppEvent<WorkspaceCalibrationEvent>(receiver_, magnification, valueText.toDouble());
  if (AppContext::exists()) {
    storeCalibration(magnification, valueText);
    // A line calibration's uncertainty is not kept: whatever a micrometer left for it no longer holds.
    storeCalibrationUncertainty(magnification, std::nullopt);
  }
}

void ImageWorkspace::onMagnificationChanged(const QString& magnification) {
  std::optional<QString> stored;
  if (!magnification.isEmpty() && AppContext::exists()) stored = lookupCalibration(magnification);
  edits_.at(1132)->setText(stored.value_or(QString()));
}

void ImageWorkspace::toggleMaximise() {
  if (maximised_) {
    restore();
  } else {
    maximise();
  }
}

bool ImageWorkspace::mayDropChanges() {
  if (!hasUnsavedChanges()) return true;
  const MessageAnswer answer =
      prompter().message(this, title(), LookupText("SureOpen", 128, QStringLiteral("Save changes to...")),
                         MessageIcon::Warning, MessageButtons::YesNo);
  if (answer == MessageAnswer::Yes) {
    save();
    return false;
  }
  return true;
}

void ImageWorkspace::maximise() {
  if (maximised_ || !mayDropChanges()) return;
  normalGeometry_ = geometry();
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  maximised_ = true;
  if (screen) setGeometry(screen->availableGeometry());
  createCanvas();
  placeControls();
  setStatus("", {});
  update();
}

void ImageWorkspace::restore() {
  if (!maximised_ || !mayDropChanges()) return;
  maximised_ = false;
  setGeometry(QRect(normalGeometry_.topLeft(), normalSize()));
  createCanvas();
  placeControls();
  setStatus("", {});
  update();
}

void ImageWorkspace::exportShapes(int id) {
  beforeCommand();
  const WorkspaceExportSource source{this, canvas_->controller().shapes(), *canvas_, path_, rate_.rate};
  WorkspaceExports& exports = workspaceExports();
  if (id == 1279) exports.toSpreadsheet(source);
  if (id == 1278) exports.toWord(source);
  if (id == 1318) exports.toCad(source);
}

}  // namespace lumivex
