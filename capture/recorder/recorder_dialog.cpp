#include "capture/recorder/recorder_dialog.h"

#include "capture/recorder/compressor_dialog.h"
#include "capture/recorder/compressor_probe.h"
#include "capture/size_presets.h"
#include "core/capture_state.h"
#include "core/localisation.h"
#include "core/prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivex {

namespace {

template <typename W>
W* named(W* widget, int control) {
  widget->setObjectName(QString::number(control));
  return widget;
}

QSize currentCaptureSize() { return {captureState().width.load(), captureState().height.load()}; }

}  // namespace

QString integerRangeText(int minimum, int maximum) {
  return LookupText("IntegerRange", 128, QStringLiteral("Please enter an integer between %1 and %2."))
      .arg(minimum)
      .arg(maximum);
}

RecorderDialog::RecorderDialog(Hooks hooks, QWidget* parent) : QDialog(parent), hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("1281"));
  setWindowTitle(LookupText("RecorderSetting", 64, QStringLiteral("Recorder Setting")));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(named(new QLabel(LookupText("FrameRate", 64, QStringLiteral("Frame rate")), this), 1103), 0, 0);
  frameRate_ = named(new QLineEdit(QString::number(kDefaultFrameRate), this), 1104);
  grid->addWidget(frameRate_, 0, 1);
  limitOn_ = named(new QCheckBox(LookupText("TimerLimit", 64, QStringLiteral("Time limit")), this), 1105);
  limitOn_->setChecked(true);
  grid->addWidget(limitOn_, 1, 0);
  limit_ = named(new QLineEdit(QString::number(kDefaultTimeLimit), this), 1106);
  grid->addWidget(limit_, 1, 1);
  grid->addWidget(named(new QLabel(LookupText("Second", 64, QStringLiteral("Second")), this), 1038), 1, 2);
  sizes_ = named(new QComboBox(this), 1232);
  grid->addWidget(sizes_, 2, 0, 1, 2);
  compress_ = named(new QPushButton(LookupText("Compress", 64, QStringLiteral("Compress")), this), 3);
  grid->addWidget(compress_, 2, 2);
  layout->addLayout(grid);

  auto* buttons = new QHBoxLayout;
  ok_ = named(new QPushButton(LookupText("OK", 64, QStringLiteral("OK")), this), 1);
  auto* cancel = named(new QPushButton(LookupText("Cancel", 64, QStringLiteral("Cancel")), this), 2);
  ok_->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  for (int p = SizePresets::Small; p <= SizePresets::Large; ++p) {
    sizes_->addItem(SizePresets::label(p, hooks_.highResolutionModel));
  }
  // 640 x 480 on either model: the first item of the high-resolution list, the second of the other.
  const int first = hooks_.highResolutionModel ? 0 : 1;
  sizes_->setCurrentIndex(first);
  setButtonsEnabled(false);
  applySize(first);

  QObject::connect(sizes_, &QComboBox::activated, this, [this](int item) { applySize(item); });
  QObject::connect(limitOn_, &QCheckBox::toggled, limit_, &QWidget::setEnabled);
  QObject::connect(compress_, &QPushButton::clicked, this, [this] { onCompress(); });
  QObject::connect(ok_, &QPushButton::clicked, this, [this] { onOk(); });
  QObject::connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void RecorderDialog::setButtonsEnabled(bool on) {
  ok_->setEnabled(on);
  compress_->setEnabled(on);
}

void RecorderDialog::applySize(int item) {
  preset_ = static_cast<CaptureService::SizePreset>(item);
  // Only a size the camera took lets the user record or test a compressor at it.
  setButtonsEnabled(hooks_.applySize && hooks_.applySize(preset_));
}

void RecorderDialog::onCompress() {
  chosen_ = true;
  auto* chooser = new CompressorDialog(CompressionSettings::current(), this);
  chooser->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(chooser, &QDialog::accepted, this, [this, chooser] {
    const int rate = hooks_.streamRate ? hooks_.streamRate() : 5;
    const QString error =
        CompressorProbe::testAndUse(hooks_.videoFolder, currentCaptureSize(), rate, chooser->choice());
    // The previous options stay; say why this one cannot be used.
    if (!error.isEmpty()) {
      prompter().message(this, QStringLiteral("AVI Capture"), error, MessageIcon::Error, MessageButtons::Ok);
    }
  });
  chooser->open();
}

std::optional<int> RecorderDialog::readField(QLineEdit* edit, int minimum, int maximum) {
  bool ok = false;
  const int value = edit->text().trimmed().toInt(&ok);
  if (ok && value >= minimum && value <= maximum) return value;
  prompter().message(this, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")), integerRangeText(minimum, maximum),
                     MessageIcon::Warning, MessageButtons::Ok);
  edit->setFocus();
  edit->selectAll();
  return std::nullopt;
}

void RecorderDialog::onOk() {
  // The frame rate is checked but not used: the stream's rate follows the capture size.
  if (!readField(frameRate_, 1, 30)) return;
  timeLimit_.reset();
  if (limitOn_->isChecked()) {
    timeLimit_ = readField(limit_, 1, 99999);
    if (!timeLimit_) return;
  }
  if (!chosen_) {
    const int rate = hooks_.streamRate ? hooks_.streamRate() : 5;
    // A default that fails its test keeps the options in force; starting the recording says why.
    CompressorProbe::testAndUse(hooks_.videoFolder, currentCaptureSize(), rate, CompressionSettings::defaults());
  }
  accepting_ = true;
  accept();
}

void RecorderDialog::done(int result) {
  // Cancel, Esc and closing the window all end here: the large preset comes back.
  if (result == QDialog::Rejected && !accepting_ && hooks_.applySize) {
    hooks_.applySize(CaptureService::SizePreset::Large);
  }
  QDialog::done(result);
}

}  // namespace lumivex
