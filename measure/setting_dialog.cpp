#include "measure/setting_dialog.h"

#include "core/app_context.h"
#include "core/control_ids.h"
#include "core/localisation.h"
#include "core/prompter.h"
#include "core/write_failure_notice.h"
#include "measure/calibration_state.h"
#include "measure/font_store.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstdlib>

namespace lumivex {
namespace {

QString text(const char* key, const char16_t* fallback) { return LookupText(key, 64, QString::fromUtf16(fallback)); }

template <typename W>
W* named(W* widget, int id) {
  widget->setObjectName(QString::number(id));
  return widget;
}

// The sample line: 10 pixels inside each edge, at half height, with the dialog's current pen.
class PenPreview : public QGroupBox {
 public:
  PenPreview(const QString& title, const DrawingStyle& style, QWidget* parent)
      : QGroupBox(title, parent), style_(style) {
    setMinimumSize(200, 50);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QGroupBox::paintEvent(event);
    QPainter painter(this);
    const Qt::PenStyle pen = style_.lineType == kPenDash  ? Qt::DashLine
                             : style_.lineType == kPenDot ? Qt::DotLine
                                                          : Qt::SolidLine;
    painter.setPen(QPen(colorFromRef(style_.lineColor), style_.lineWidth, pen));
    painter.drawLine(10, height() / 2, width() - 10, height() / 2);
  }

 private:
  const DrawingStyle& style_;
};

}  // namespace

SettingDialog::SettingDialog(const DrawingStyle& style, QWidget* parent) : QDialog(parent), style_(style) {
  setObjectName(QStringLiteral("243"));
  setWindowTitle(text("MeasureSetting", u"Setting"));
  auto* tabs = new QTabWidget(this);
  tabs->addTab(makePenPage(), text("PenSetting", u"Pen setting"));
  tabs->addTab(makeUnitPage(), text("UnitSetting", u"Unit setting"));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  named(buttons->button(QDialogButtonBox::Ok), 1)->setText(text("OK", u"OK"));
  named(buttons->button(QDialogButtonBox::Cancel), 2)->setText(text("Cancel", u"Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &SettingDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  layout->addWidget(buttons);
}

QWidget* SettingDialog::makePenPage() {
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);

  grid->addWidget(named(new QLabel(text("PenWidth", u"Line Width"), page), 1152), 0, 0);
  width_ = named(new QSpinBox(page), 1160);
  width_->setRange(1, 3);
  width_->setValue(std::clamp(style_.lineWidth, 1, 3));
  style_.lineWidth = width_->value();
  connect(width_, &QSpinBox::valueChanged, this, [this](int value) {
    style_.lineWidth = value;
    preview_->update();
  });
  grid->addWidget(width_, 0, 1);

  auto* colorGroup = named(new QGroupBox(text("PenColorLine", u"Line Colour"), page), 1151);
  auto* colorButton = named(new QPushButton(text("PenColor", u"Colour"), colorGroup), 1159);
  connect(colorButton, &QPushButton::clicked, this, &SettingDialog::chooseColor);
  (new QVBoxLayout(colorGroup))->addWidget(colorButton);
  grid->addWidget(colorGroup, 1, 0, 1, 2);

  auto* typeGroup = named(new QGroupBox(text("PenType", u"Line Type"), page), 1150);
  auto* typeLayout = new QVBoxLayout(typeGroup);
  types_ = new QButtonGroup(this);
  const std::pair<int, QString> typeButtons[] = {{1154, text("SolidLine", u"Solid Line")},
                                                 {1155, text("DashLine", u"Dash Line")},
                                                 {1156, QStringLiteral("Dot Line")}};
  for (int type = 0; type < 3; ++type) {
    auto* radio = named(new QRadioButton(typeButtons[type].second, typeGroup), typeButtons[type].first);
    types_->addButton(radio, type);
    typeLayout->addWidget(radio);
  }
  if (auto* current = types_->button(std::clamp(style_.lineType, 0, 2))) current->setChecked(true);
  connect(types_, &QButtonGroup::idClicked, this, &SettingDialog::setLineType);
  grid->addWidget(typeGroup, 2, 0, 1, 2);

  preview_ = named(new PenPreview(text("LinePriview", u"Preview"), style_, page), 1153);
  grid->addWidget(preview_, 3, 0, 1, 2);

  grid->addWidget(named(new QLabel(text("DetectRange", u"Detection Range"), page), 1157), 4, 0);
  range_ = named(new QComboBox(page), 1346);
  for (int r : kDetectionRanges) range_->addItem(QString::number(r), r);
  const int rangeIndex = range_->findData(style_.detectionRange);
  range_->setCurrentIndex(rangeIndex >= 0 ? rangeIndex : range_->count() - 1);
  connect(range_, &QComboBox::currentIndexChanged, this,
          [this](int index) { style_.detectionRange = range_->itemData(index).toInt(); });
  grid->addWidget(range_, 4, 1);

  auto* font = named(new QPushButton(text("Font", u"Font"), page), 3);
  connect(font, &QPushButton::clicked, this, &SettingDialog::chooseFont);
  grid->addWidget(font, 5, 0, 1, 2);
  return page;
}

QWidget* SettingDialog::makeUnitPage() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  const CalibrationState& state = calibrationState();

  auto* units = named(new QGroupBox(text("Units", u"Units"), page), 1168);
  auto* unitLayout = new QVBoxLayout(units);
  auto* unitGroup = new QButtonGroup(page);
  for (int id : {kUnitMmOption, kUnitCmOption, kUnitInchOption, kUnitMilOption}) {
    auto* radio = named(new QRadioButton(unitOfOption(id), units), id);
    unitGroup->addButton(radio, id);
    unitLayout->addWidget(radio);
  }
  unitGroup->button(optionOfUnit(state.unitName.text()))->setChecked(true);
  connect(unitGroup, &QButtonGroup::idClicked, this, [](int id) { chooseUnitOption(id); });

  auto* decimals = named(new QGroupBox(text("decimal", u"Decimal"), page), 1169);
  auto* decimalLayout = new QVBoxLayout(decimals);
  auto* decimalGroup = new QButtonGroup(page);
  const char* decimalTexts[] = {"0.01", "0.001", "0.0001", "0.00001"};
  for (int i = 0; i < 4; ++i) {
    auto* radio = named(new QRadioButton(QString::fromLatin1(decimalTexts[i]), decimals), kDecimals2Option + i);
    decimalGroup->addButton(radio, kDecimals2Option + i);
    decimalLayout->addWidget(radio);
  }
  decimalGroup->button(kDecimals2Option + usableDecimals(state.decimals) - 2)->setChecked(true);
  connect(decimalGroup, &QButtonGroup::idClicked, this, [](int id) { chooseDecimalsOption(id); });

  // Off unless chosen: the result texts stay exactly as stored files and exports know them.
  auto* uncertainty = named(new QCheckBox(text("ShowUncertainty", u"Show uncertainty"), page), ids::kShowUncertainty);
  uncertainty->setChecked(state.showUncertainty);
  connect(uncertainty, &QCheckBox::toggled, this, [](bool on) { chooseShowUncertainty(on); });

  layout->addWidget(units);
  layout->addWidget(decimals);
  layout->addWidget(uncertainty);
  return page;
}

void SettingDialog::setLineType(int type) {
  style_.lineType = type;
  // Win32 draws dashes and dots only with one-pixel pens.
  if (type != kPenSolid) width_->setValue(1);
  preview_->update();
}

void SettingDialog::chooseColor() {
  const std::optional<QColor> color = prompter().chooseColor(this, colorFromRef(style_.lineColor));
  if (!color) return;
  style_.lineColor = refFromColor(*color);
  if (AppContext::exists()) AppContext::current().store().saveLineColor(style_.lineColor);
  preview_->update();
}

void SettingDialog::chooseFont() {
  // Qt's font chooser has no colour box: the result-text colour is asked right after the font.
  const std::optional<QFont> font = prompter().chooseFont(this, toQFont(style_.measureFont));
  if (!font) return;
  style_.measureFont = fromQFont(*font, style_.measureFont);
  if (const WriteResult saved = saveFontFile(measureFontPath(), style_.measureFont)) {
    style_.measureFontFromFile = true;
  } else {
    showWriteFailure(this, measureFontPath(), saved);
  }
  if (const std::optional<QColor> color = prompter().chooseColor(this, colorFromRef(style_.measureTextColor)))
    style_.measureTextColor = refFromColor(*color);
}

void SettingDialog::accept() {
  if (AppContext::exists()) {
    AppContext& context = AppContext::current();
    SettingsStore& store = context.store();
    Settings& settings = context.settings();
    settings.lineWidth = static_cast<std::uint32_t>(style_.lineWidth);
    settings.lineType = static_cast<std::uint32_t>(style_.lineType);
    settings.lineColor = style_.lineColor;
    settings.measureTextColor = style_.measureTextColor;
    store.saveLineWidth(settings.lineWidth);
    store.saveLineType(settings.lineType);
    store.saveMeasureTextColor(settings.measureTextColor);
    if (style_.measureFontFromFile) {
      settings.fontSize = static_cast<std::uint32_t>(std::abs(style_.measureFont.height));
      store.saveFontSize(settings.fontSize);
    }
  }
  QDialog::accept();
}

}  // namespace lumivex
