#include "capture/timed/timed_capture_dialog.h"

#include "capture/recorder/compression_options.h"
#include "capture/recorder/recorder_dialog.h"
#include "capture/recorder/timelapse_task.h"
#include "capture/recorder/video_naming.h"
#include "core/localisation.h"
#include "core/prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lumivex {

namespace {

template <typename W>
W* named(W* widget, int control) {
  widget->setObjectName(QString::number(control));
  return widget;
}

QString title() { return LookupText("MsgTitle", 64, QStringLiteral("Lumivex")); }

}  // namespace

TimedCaptureDialog::TimedCaptureDialog(Hooks hooks, QWidget* parent) : QDialog(parent), hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("145"));
  setWindowTitle(LookupText("CaptureSetting", 64, QStringLiteral("Capture Setting")));
  if (!hooks_.clock) {
    ownClock_ = std::make_unique<SystemSeriesClock>();
    hooks_.clock = ownClock_.get();
  }
  TimedCaptureController::Hooks controllerHooks;
  controllerHooks.requestStill = [this] {
    if (hooks_.requestStill) hooks_.requestStill();
  };
  controllerHooks.pictureTaken = [this](int taken) { taken_->setText(QString::number(taken)); };
  controllerHooks.finished = [this] { onFinished(); };
  controller_ = std::make_unique<TimedCaptureController>(*hooks_.clock, std::move(controllerHooks));

  startText_ = LookupText("Start", 64, QStringLiteral("Start"));
  stopText_ = LookupText("Stop", 64, QStringLiteral("Stop"));
  const QString frame = LookupText("Frame", 64, QStringLiteral("Frame"));

  auto* layout = new QVBoxLayout(this);
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    fields_[i] = named(new QLineEdit(this), kTimedFields[i].id);
    fields_[i]->setMaximumWidth(64);
  }
  auto* startBox = named(new QGroupBox(LookupText("StartTime", 64, QStringLiteral("Start Time")), this), 1030);
  auto* startRow = new QHBoxLayout(startBox);
  for (std::size_t i = 0; i < 6; ++i) {
    startRow->addWidget(fields_[i]);
    if (i < 5)
      startRow->addWidget(new QLabel(i < 2    ? QStringLiteral("-")
                                     : i == 2 ? QStringLiteral(" ")
                                              : QStringLiteral(":"),
                                     startBox));
  }
  layout->addWidget(startBox);

  auto* grid = new QGridLayout;
  grid->addWidget(named(new QLabel(LookupText("Interval", 64, QStringLiteral("Interval")), this), 1031), 0, 0);
  grid->addWidget(fields_[6], 0, 1);
  grid->addWidget(new QLabel(QStringLiteral(":"), this), 0, 2);
  grid->addWidget(fields_[7], 0, 3);
  grid->addWidget(named(new QLabel(LookupText("Capture", 64, QStringLiteral("Capture")), this), 1032), 1, 0);
  grid->addWidget(fields_[8], 1, 1);
  grid->addWidget(named(new QLabel(frame, this), 1034), 1, 2, 1, 2);
  grid->addWidget(named(new QLabel(LookupText("Completed", 64, QStringLiteral("Completed")), this), 1033), 2, 0);
  taken_ = named(new QLineEdit(QStringLiteral("0"), this), 1026);
  taken_->setReadOnly(true);
  taken_->setMaximumWidth(64);
  grid->addWidget(taken_, 2, 1);
  grid->addWidget(named(new QLabel(frame, this), 1035), 2, 2, 1, 2);
  grid->addWidget(named(new QLabel(LookupText("FileSize", 64, QStringLiteral("File Size")), this), 1081), 3, 0);
  estimate_ = named(new QLineEdit(this), 1080);
  estimate_->setReadOnly(true);
  estimate_->setMaximumWidth(96);
  grid->addWidget(estimate_, 3, 1, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("MB"), this), 3, 3);
  layout->addLayout(grid);

  // Offered once a series of at least two pictures has completed.
  timelapseBox_ = new QGroupBox(LookupText("MakeTimelapse", 64, QStringLiteral("Make a time-lapse video")), this);
  timelapseBox_->setObjectName(QStringLiteral("timelapse"));
  auto* timelapseRow = new QGridLayout(timelapseBox_);
  timelapseRow->addWidget(
      new QLabel(LookupText("TimelapseRate", 64, QStringLiteral("Frames per second")), timelapseBox_), 0, 0);
  timelapseFps_ = new QSpinBox(timelapseBox_);
  timelapseFps_->setObjectName(QStringLiteral("timelapse-fps"));
  timelapseFps_->setRange(1, TimelapseBuilder::kMaxFps);
  timelapseFps_->setValue(TimelapseBuilder::kDefaultFps);
  timelapseRow->addWidget(timelapseFps_, 0, 1);
  timelapseMake_ =
      new QPushButton(LookupText("MakeTimelapse", 64, QStringLiteral("Make a time-lapse video")), timelapseBox_);
  timelapseMake_->setObjectName(QStringLiteral("timelapse-make"));
  timelapseRow->addWidget(timelapseMake_, 0, 2);
  timelapseProgress_ = new QProgressBar(timelapseBox_);
  timelapseProgress_->setObjectName(QStringLiteral("timelapse-progress"));
  timelapseProgress_->setValue(0);
  timelapseRow->addWidget(timelapseProgress_, 1, 0, 1, 3);
  timelapseResult_ = new QLabel(timelapseBox_);
  timelapseResult_->setObjectName(QStringLiteral("timelapse-result"));
  timelapseResult_->setWordWrap(true);
  timelapseRow->addWidget(timelapseResult_, 2, 0, 1, 3);
  timelapseBox_->hide();
  layout->addWidget(timelapseBox_);

  auto* buttons = new QHBoxLayout;
  startStop_ = named(new QPushButton(startText_, this), 1015);
  auto* cancel = named(new QPushButton(LookupText("Cancel", 64, QStringLiteral("Cancel")), this), 2);
  buttons->addStretch();
  buttons->addWidget(startStop_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  const StartFields now = StartFields::of(hooks_.clock->localNow());
  const int initial[9] = {now.year, now.month, now.day, now.hour, now.minute, now.second, 0, 3, 8};
  for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i]->setText(QString::number(initial[i]));
  refreshEstimate();

  QObject::connect(fields_[8], &QLineEdit::editingFinished, this, [this] { refreshEstimate(); });
  QObject::connect(startStop_, &QPushButton::clicked, this, [this] { onStartStop(); });
  QObject::connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  QObject::connect(timelapseMake_, &QPushButton::clicked, this, [this] { onMakeTimelapse(); });
}

TimedCaptureDialog::~TimedCaptureDialog() {
  task_.reset();
  controller_.reset();
}

QLineEdit* TimedCaptureDialog::field(int id) const {
  for (std::size_t i = 0; i < kTimedFields.size(); ++i) {
    if (kTimedFields[i].id == id) return fields_[i];
  }
  return nullptr;
}

std::optional<int> TimedCaptureDialog::readField(int index) {
  const TimedField& desc = kTimedFields[static_cast<std::size_t>(index)];
  QLineEdit* edit = fields_[static_cast<std::size_t>(index)];
  bool ok = false;
  const int value = edit->text().trimmed().toInt(&ok);
  if (ok && value >= desc.minimum && value <= desc.maximum) return value;
  prompter().message(this, title(), integerRangeText(desc.minimum, desc.maximum), MessageIcon::Warning,
                     MessageButtons::Ok);
  edit->setFocus();
  edit->selectAll();
  return std::nullopt;
}

void TimedCaptureDialog::refreshEstimate() {
  // The fields are read again first; a number out of its range leaves the estimate as it was.
  bool ok = false;
  const int count = fields_[8]->text().trimmed().toInt(&ok);
  if (!ok || count < kTimedFields[8].minimum || count > kTimedFields[8].maximum) return;
  const std::int64_t bytes = hooks_.frameBytes ? hooks_.frameBytes() : 0;
  estimate_->setText(SizeEstimate::text(count, bytes, hooks_.highResolutionModel));
}

void TimedCaptureDialog::onStartStop() {
  if (startStop_->text() != startText_) {
    controller_->stop();
    taken_->setText(QStringLiteral("0"));
    startStop_->setText(startText_);
    return;
  }
  int values[9] = {};
  for (int i = 0; i < 9; ++i) {
    const std::optional<int> value = readField(i);
    if (!value) return;
    values[i] = *value;
  }
  refreshEstimate();
  const StartFields start{values[0], values[1], values[2], values[3], values[4], values[5]};
  if (controller_->start(start, values[6], values[7], values[8]) ==
      TimedCaptureController::StartResult::StartInThePast) {
    prompter().message(
        this, title(),
        LookupText("SET_TIMER_FAIL", 128, QStringLiteral("The time of your setting must be a future time!")),
        MessageIcon::Warning, MessageButtons::Ok);
    return;
  }
  timelapseBox_->hide();
  taken_->setText(QStringLiteral("0"));
  startStop_->setText(stopText_);
}

void TimedCaptureDialog::onFinished() {
  startStop_->setText(startText_);
  if (controller_->stills().size() < 2) {
    accept();
    return;
  }
  timelapseProgress_->setRange(0, static_cast<int>(controller_->stills().size()));
  timelapseProgress_->setValue(0);
  timelapseResult_->clear();
  timelapseMake_->setEnabled(true);
  timelapseBox_->show();
}

void TimedCaptureDialog::onMakeTimelapse() {
  if (task_ && task_->running()) return;
  if (!QDir().mkpath(hooks_.videoFolder)) {
    timelapseResult_->setText(QStringLiteral("Cannot create the folder %1").arg(hooks_.videoFolder));
    return;
  }
  TimelapseJob job;
  job.stills = controller_->stills();
  job.fps = timelapseFps_->value();
  job.options = CompressionSettings::current();
  job.output = VideoNaming::nextPath(hooks_.videoFolder, hooks_.clock->localNow(), {}, VideoNaming::kTimelapsePrefix);
  timelapseMake_->setEnabled(false);
  timelapseResult_->clear();
  const QString output = job.output;
  task_ = std::make_unique<TimelapseTask>(
      std::move(job), [this](int done, int) { timelapseProgress_->setValue(done); },
      [this, output](const TimelapseResult& result) {
        timelapseMake_->setEnabled(true);
        if (!result.ok()) {
          timelapseResult_->setText(result.error);
          return;
        }
        timelapseResult_->setText(QFileInfo(output).fileName());
        if (hooks_.videoMade) hooks_.videoMade(output);
      });
}

void TimedCaptureDialog::stillSaved(int kind, const QString& path) { controller_->stillSaved(kind, path); }

void TimedCaptureDialog::done(int result) {
  // Cancel and close end the series (joined) and any video being made.
  task_.reset();
  controller_->cancel();
  QDialog::done(result);
}

}  // namespace lumivex
