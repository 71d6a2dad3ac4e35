#include "capture/video_settings_dialog.h"

#include "capture/capture_window.h"
#include "capture/size_presets.h"

#include "core/app_context.h"
#include "core/app_events.h"
#include "core/control_ids.h"
#include "core/localisation.h"
#include "core/prompter.h"
#include "core/write_failure_notice.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lumivex {

const std::array<VideoSettingsDialog::Row, 6> VideoSettingsDialog::kRows = {{
    {1055, 1062, 1063, 1086, "Brightness", ProcAmpProperty::Brightness, true},
    {1064, 1065, 1066, 1087, "Contrast", ProcAmpProperty::Contrast, true},
    {1067, 1068, 1069, 1088, "Saturation", ProcAmpProperty::Saturation, true},
    {1070, 1071, 1072, 1089, "Sharpness", ProcAmpProperty::Sharpness, true},
    {1073, 1074, 1075, 1090, "Gamma", ProcAmpProperty::Gamma, true},
    {1076, 1077, 1078, 1091, "Hue", ProcAmpProperty::Hue, false},
}};

namespace {
QString id(int control) { return QString::number(control); }

template <typename W>
W* named(W* widget, int control) {
  widget->setObjectName(id(control));
  return widget;
}

QString threeDigits(int value) { return QString::asprintf("%3d", value); }

// The hot-key lines keep their full-width colon after F10 and their spacing.
const QString kHotKeysHigh = QStringLiteral(" F10\uFF1A640x480  F11: 1280x960   F12: 1600x1200");
const QString kHotKeysOther = QStringLiteral(" F10\uFF1A320x240  F11: 640x480   F12: 1280x1024");
}  // namespace

VideoSettingsDialog::VideoSettingsDialog(CaptureWindow& capture, QWidget* parent) : QDialog(parent), capture_(capture) {
  setObjectName(QStringLiteral("154"));
  setWindowTitle(QStringLiteral("Video Setting"));
  auto* layout = new QVBoxLayout(this);

  auto* deviceBox = named(new QGroupBox(QStringLiteral("Video Capture Device"), this), 1100);
  auto* deviceGrid = new QGridLayout(deviceBox);
  deviceGrid->addWidget(named(new QLabel(QStringLiteral("Device Name"), deviceBox), 1101), 0, 0);
  devices_ = named(new QComboBox(deviceBox), 1102);
  deviceGrid->addWidget(devices_, 0, 1, 1, 3);
  deviceGrid->addWidget(named(new QLabel(QStringLiteral("Device Setting"), deviceBox), 1095), 1, 0, 1, 4);
  deviceGrid->addWidget(named(new QLabel(QStringLiteral("Video Norm"), deviceBox), 1098), 2, 0);
  norm_ = named(new QComboBox(deviceBox), 1099);
  deviceGrid->addWidget(norm_, 2, 1);
  deviceGrid->addWidget(named(new QLabel(QStringLiteral("Video Resolution"), deviceBox), 1097), 2, 2);
  resolution_ = named(new QComboBox(deviceBox), 1096);
  deviceGrid->addWidget(resolution_, 2, 3);
  hotKeyCaption_ = named(new QLabel(QStringLiteral("HotKey"), deviceBox), 1233);
  deviceGrid->addWidget(hotKeyCaption_, 3, 0);
  hotKeys_ = named(new QLabel(deviceBox), 1360);
  deviceGrid->addWidget(hotKeys_, 3, 1, 1, 3);
  layout->addWidget(deviceBox);

  auto* propBox = named(new QGroupBox(QStringLiteral("Video Properies"), this), 1092);
  auto* grid = new QGridLayout(propBox);
  for (std::size_t i = 0; i < kRows.size(); ++i) {
    const Row& row = kRows[i];
    RowState& state = rows_[i];
    state.label = named(new QLabel(QString::fromLatin1(row.key), propBox), row.label);
    state.slider = named(new QSlider(Qt::Horizontal, propBox), row.slider);
    state.edit = named(new QLineEdit(propBox), row.edit);
    state.edit->setReadOnly(true);
    state.edit->setFixedWidth(48);
    state.spin = named(new QSpinBox(propBox), row.spin);
    state.spin->setFixedWidth(20);  // only its arrows show, like an up-down control
    state.spin->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    const int r = static_cast<int>(i);
    grid->addWidget(state.label, r, 0);
    grid->addWidget(state.slider, r, 1);
    grid->addWidget(state.edit, r, 2);
    grid->addWidget(state.spin, r, 3);
    QObject::connect(state.slider, &QSlider::valueChanged, this, [this, r](int v) {
      if (!filling_) applyRow(r, v);
    });
    QObject::connect(state.spin, &QSpinBox::valueChanged, this, [this, r](int v) {
      if (!filling_) onSpin(r, v);
    });
  }
  layout->addWidget(propBox);

  auto* pathBox = named(new QGroupBox(QStringLiteral("Change Save Path"), this), 1337);
  auto* pathRow = new QHBoxLayout(pathBox);
  dataRoot_ = named(new QLineEdit(pathBox), 1338);
  dataRoot_->setReadOnly(true);
  auto* browse = named(new QPushButton(QStringLiteral("***"), pathBox), 1339);
  pathRow->addWidget(dataRoot_);
  pathRow->addWidget(browse);
  layout->addWidget(pathBox);

  auto* buttons = new QHBoxLayout;
  auto* defaults = named(new QPushButton(QStringLiteral("Default"), this), 1079);
  auto* ok = named(new QPushButton(QStringLiteral("OK"), this), 1);
  auto* exitButton = named(new QPushButton(QStringLiteral("Exit"), this), 2);
  buttons->addWidget(defaults);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(exitButton);
  layout->addLayout(buttons);

  QObject::connect(defaults, &QPushButton::clicked, this, [this] { onDefault(); });
  QObject::connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  QObject::connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);
  QObject::connect(browse, &QPushButton::clicked, this, [this] { onBrowse(); });
  QObject::connect(resolution_, &QComboBox::activated, this, [this](int index) { onResolution(index); });
  QObject::connect(devices_, &QComboBox::activated, this, [this](int index) { onDevice(index); });

  if (AppContext::exists()) rememberedRoot_ = AppContext::current().folders().root();
  fill();
}

bool VideoSettingsDialog::event(QEvent* event) {
  if (appEventCast<DeviceReinitialisedEvent>(event)) {
    fill();
    return true;
  }
  return QDialog::event(event);
}

void VideoSettingsDialog::fill() {
  filling_ = true;
  devices_->clear();
  norm_->clear();
  resolution_->clear();
  ProcAmp* amp = capture_.procAmp();
  if (!amp) {
    filling_ = false;
    return;  // a camera without properties: the template texts and empty lists stay
  }
  for (std::size_t i = 0; i < kRows.size(); ++i) {
    RowState& state = rows_[i];
    state.range = ProcAmpRange{};
    if (!amp->getRange(kRows[i].property, state.range)) state.range = ProcAmpRange{};
    state.flags = state.range.capsFlags;
    int flags = 0;
    if (!amp->get(kRows[i].property, state.value, flags)) state.value = state.range.defaultValue;
  }

  setWindowTitle(LookupText("VideoSetting", 64, QStringLiteral("Video Setting")));
  const struct {
    int control;
    const char* key;
    const char* text;
  } texts[] = {{1101, "DeviceName", "Device Name"},
               {1100, "VideoCaptionDevice", "Video Capture Device"},
               {1095, "DeviceSetting", "Device Setting"},
               {1098, "VideoNorm", "Video Norm"},
               {1097, "VideoResolution", "Video Resolution"},
               {1092, "VideoProperies", "Video Properies"},
               {1233, "HotKey", "HotKey"},
               {1337, "ChangePath", "Change Save Path"},
               {1079, "Default", "Default"},
               {2, "Exit", "Exit"},
               {1, "Ok", "OK"}};
  for (const auto& t : texts) {
    QWidget* w = findChild<QWidget*>(id(t.control));
    const QString text = LookupText(t.key, 64, QString::fromLatin1(t.text));
    if (auto* label = qobject_cast<QLabel*>(w)) label->setText(text);
    if (auto* box = qobject_cast<QGroupBox*>(w)) box->setTitle(text);
    if (auto* button = qobject_cast<QPushButton*>(w)) button->setText(text);
  }
  if (AppContext::exists()) dataRoot_->setText(AppContext::current().folders().root());

  for (std::size_t i = 0; i < kRows.size(); ++i) {
    RowState& state = rows_[i];
    state.slider->setRange(state.range.minimum, state.range.maximum);
    state.slider->setSingleStep(state.range.step);
    state.slider->setValue(state.value);
    state.spin->setRange(state.range.minimum, state.range.maximum);
    state.spin->setValue(state.value);
    state.edit->setText(threeDigits(state.value));
    state.label->setText(LookupText(kRows[i].key, 64, QString::fromLatin1(kRows[i].key)));
  }

  const auto& list = capture_.devices();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i].friendlyName.isEmpty()) continue;
    devices_->addItem(list[i].friendlyName, static_cast<int>(i));
    if (list[i].selected) devices_->setCurrentIndex(devices_->count() - 1);
  }
  norm_->addItem(QStringLiteral("N/A"));
  norm_->setCurrentIndex(0);
  norm_->setEnabled(false);

  const bool high = capture_.highResolutionModel();
  for (int p = SizePresets::Small; p <= SizePresets::Large; ++p) resolution_->addItem(SizePresets::label(p, high));
  resolution_->setCurrentIndex(SizePresets::presetForWidth(capture_.captureSize().width(), high));
  hotKeys_->setText(high ? kHotKeysHigh : kHotKeysOther);
  setRowVisible(4, true);
  setRowVisible(5, false);
  filling_ = false;
}

void VideoSettingsDialog::setRowVisible(int row, bool visible) {
  RowState& s = rows_[static_cast<std::size_t>(row)];
  for (QWidget* w : {static_cast<QWidget*>(s.slider), static_cast<QWidget*>(s.label), static_cast<QWidget*>(s.edit),
                     static_cast<QWidget*>(s.spin)})
    w->setVisible(visible);
}

void VideoSettingsDialog::applyRow(int row, int value) {
  RowState& s = rows_[static_cast<std::size_t>(row)];
  s.value = value;
  if (ProcAmp* amp = capture_.procAmp()) amp->set(kRows[static_cast<std::size_t>(row)].property, value, s.flags);
  s.edit->setText(threeDigits(value));
  filling_ = true;
  s.spin->setValue(value);
  filling_ = false;
}

void VideoSettingsDialog::onSpin(int row, int value) {
  RowState& s = rows_[static_cast<std::size_t>(row)];
  const int clamped = std::clamp(value, s.slider->minimum(), s.slider->maximum());
  if (clamped != s.slider->value()) s.slider->setValue(clamped);  // moves and applies
}

void VideoSettingsDialog::onDefault() {
  for (std::size_t i = 0; i < kRows.size(); ++i) {
    RowState& s = rows_[i];
    s.flags = kProcAmpAuto;
    filling_ = true;
    s.slider->setValue(s.range.defaultValue);
    filling_ = false;
    applyRow(static_cast<int>(i), s.range.defaultValue);
  }
  if (resolution_->count() > SizePresets::Large) {
    resolution_->setCurrentIndex(SizePresets::Large);
    onResolution(SizePresets::Large);
  }
}

void VideoSettingsDialog::onResolution(int index) {
  if (index < SizePresets::Small || index > SizePresets::Large) return;
  const QSize size = SizePresets::size(index, capture_.highResolutionModel());
  capture_.setCaptureSize(size.width(), size.height());
}

void VideoSettingsDialog::onDevice(int index) {
  if (index < 0) return;
  capture_.selectDevice(devices_->itemData(index).toInt());
  fill();
}

void VideoSettingsDialog::onBrowse() {
  rememberedRoot_.clear();
  const auto folder = prompter().chooseFolder(this, QStringLiteral("Please select folder"), dataRoot_->text());
  if (!folder || folder->isEmpty()) return;  // the folders in use stay
  rememberedRoot_ = *folder;
  dataRoot_->setText(*folder);
  if (!AppContext::exists()) return;
  const QString file = AppContext::current().paths().programFolder + QStringLiteral("/folderpath.dat");
  // The folders in use stay when the choice cannot be remembered; the user hears why.
  if (const WriteResult saved = AppContext::current().folders().setDataRoot(*folder); !saved)
    showWriteFailure(this, file, saved);
}

}  // namespace lumivex
