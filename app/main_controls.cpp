#include "app/main_controls.h"

#include "app/command_registry.h"
#include "app/video_area.h"
#include "core/control_ids.h"
#include "core/localisation.h"
#include "library/thumbnail_strip.h"
#include "widgets/latch_button.h"
#include "widgets/magnifier_box.h"
#include "widgets/skin_renderer.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace lumivex {

namespace {

const QString kGroupStyle = QStringLiteral(
    "QGroupBox { background-color: rgb(200,200,200); border: 1px solid #9C9C9C; border-radius: 5px;"
    " margin-top: 7px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 8px; padding: 0 3px;"
    " color: black; background-color: rgb(200,200,200); }");

QFont smallFont() {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(12);
  return font;
}

// A label of fixed place and width: longer translations ("Масштаб:") are set smaller until they fit
// rather than losing their last letters.
void setFittedText(QLabel& label, const QString& text) {
  QFont font = smallFont();
  while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(text) > label.width()) {
    font.setPixelSize(font.pixelSize() - 1);
  }
  label.setFont(font);
  label.setText(text);
}

}  // namespace

MainControls::MainControls(QWidget& window, const Options& options) {
  // Group boxes first so the buttons lie above them.
  addGroups(window);

  videoArea_ = new VideoArea(&window);
  videoArea_->setGeometry(kVideoAreaRect);
  videoArea_->setCursor(SkinRenderer::cursor(QStringLiteral("cursor-258.svg"), QPoint(16, 16)));

  strip_ = new ThumbnailStrip(&window);
  strip_->setGeometry(QRect(QPoint(97, 530), ThumbnailStrip::kSize));

  magnifier_ = new MagnifierBox(ids::kMagnifier, &window);
  magnifier_->setGeometry(738, 530, 120, 120);

  addButtons(window, options);
  addCalibrationFields(window);
}

void MainControls::addGroups(QWidget& window) {
  struct GroupSpec {
    int id;
    QRect rect;
  };
  for (const GroupSpec& g :
       {GroupSpec{ids::kGroupMeasure, {744, 56, 111, 195}}, GroupSpec{ids::kGroupAutoMeasure, {744, 252, 111, 90}},
        GroupSpec{ids::kGroupComparison, {743, 343, 112, 56}},
        GroupSpec{ids::kGroupCalibration, {743, 442, 112, 88}}}) {
    auto* box = new QGroupBox(&window);
    box->setObjectName(QString::number(g.id));
    box->setGeometry(g.rect);
    box->setStyleSheet(kGroupStyle);
    box->setFont(smallFont());
    groups_[g.id] = box;
  }
}

void MainControls::addButtons(QWidget& window, const Options& options) {
  for (const ButtonDef& info : kButtonSpecs) {
    const QSize size(info.width, info.height);
    const QString icon = QString::fromLatin1(commandEntry(static_cast<CommandId>(info.id))->iconFile);
    SkinButton* button =
        info.latch ? new LatchButton(info.id, icon, size, &window) : new SkinButton(info.id, icon, size, &window);
    button->move(info.x, info.y);
    button->setStyle(options.toolTipStyle);
    if (info.width == 56) button->setIconScale(0.72);
    if (info.width == 28) button->setIconScale(0.6);
    if (info.hidden) button->hide();
    const int id = info.id;
    QObject::connect(button, &QAbstractButton::clicked, &window, [onClicked = options.onClicked, id] {
      if (onClicked) onClicked(id);
    });
    buttons_.add(info, button);
  }
  // The switch shows its own "off" icon while latched (snapshot key disabled).
  LatchButton* snapSwitch = latchButton(ids::kSnapSwitch);
  snapSwitch->setLatchedIconFile(QStringLiteral("button-1204-off.svg"));
  snapSwitch->setLatched(!options.snapshotKeyEnabled);
  latchButton(ids::kToolEllipse)->setEnabled(false);
}

void MainControls::addCalibrationFields(QWidget& window) {
  scaleLabel_ = new QLabel(&window);
  scaleLabel_->setObjectName(QString::number(ids::kScaleLabel));
  scaleLabel_->setGeometry(747, 465, 52, 20);
  scaleLabel_->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
  scaleLabel_->setFont(smallFont());
  magnificationEdit_ = new QLineEdit(&window);
  magnificationEdit_->setObjectName(QString::number(ids::kMagnificationEdit));
  magnificationEdit_->setGeometry(800, 462, 52, 19);
  magnificationEdit_->hide();
  calibrationEdit_ = new QLineEdit(&window);
  calibrationEdit_->setObjectName(QString::number(ids::kCalibrationEdit));
  calibrationEdit_->setGeometry(800, 462, 46, 19);
  calibrationEdit_->setStyleSheet(QStringLiteral(
      "QLineEdit { background: white; border: 1px solid #8E8E8E; border-radius: 2px; padding: 0 2px; }"));
  calibrationEdit_->setFont(smallFont());
}

SkinButton* MainControls::button(int id) const {
  const ButtonTable::Row* row = buttons_.find(id);
  return row ? row->button : nullptr;
}

LatchButton* MainControls::latchButton(int id) const {
  const ButtonTable::Row* row = buttons_.find(id);
  return row && row->info->latch ? static_cast<LatchButton*>(row->button) : nullptr;
}

bool MainControls::isPreviewing() const { return latchButton(ids::kPreview)->isLatched(); }

void MainControls::setTexts() {
  groups_[ids::kGroupMeasure]->setTitle(LookupText("TipMeasure", 64, QStringLiteral("Measure")));
  groups_[ids::kGroupCalibration]->setTitle(LookupText("TipCalibration", 64, QStringLiteral("Calibration")));
  groups_[ids::kGroupAutoMeasure]->setTitle(LookupText("TipAutoMeasure", 64, QStringLiteral("Auto Measure")));
  groups_[ids::kGroupComparison]->setTitle(LookupText("TipComparison", 64, QStringLiteral("Comparison")));
  setFittedText(*scaleLabel_, LookupText("Rate", 64, QStringLiteral("Scale:")));
}

bool MainControls::hiddenInNormalWindow(const QWidget* widget) {
  const QString name = widget->objectName();
  return name == QLatin1String("1014") || name == QLatin1String("1185") || name == QLatin1String("1193") ||
         name == QLatin1String("1147");
}

}  // namespace lumivex
