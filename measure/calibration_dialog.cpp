#include "measure/calibration_dialog.h"

#include "core/localisation.h"
#include "core/prompter.h"
#include "measure/number_text.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace lumivex {

CalibrationDialog::CalibrationDialog(const QString& unitName, QWidget* parent)
    : QDialog(parent), distance_(new QLineEdit(this)) {
  setObjectName(QStringLiteral("229"));
  setWindowTitle(LookupText("TipCalibration", 64, QStringLiteral("Calibration")));
  auto* prompt =
      new QLabel(LookupText("EnterActualDistance", 128, QStringLiteral("Please enter actual distance")), this);
  prompt->setObjectName(QStringLiteral("1148"));
  auto* unit = new QLabel(unitName, this);
  unit->setObjectName(QStringLiteral("415"));
  distance_->setObjectName(QStringLiteral("1149"));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
  buttons->button(QDialogButtonBox::Ok)->setText(LookupText("OK", 64, QStringLiteral("OK")));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
  buttons->button(QDialogButtonBox::Cancel)->setText(LookupText("Cancel", 64, QStringLiteral("Cancel")));
  connect(buttons, &QDialogButtonBox::accepted, this, &CalibrationDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QGridLayout(this);
  layout->addWidget(prompt, 0, 0, 1, 2);
  layout->addWidget(distance_, 1, 0);
  layout->addWidget(unit, 1, 1);
  layout->addWidget(buttons, 2, 0, 1, 2);
}

void CalibrationDialog::setDistance(double distance) { distance_->setText(QString::number(distance, 'g', 6)); }

void CalibrationDialog::accept() {
  // A negative length would store a negative calibration and turn every later result negative.
  const double value = leadingNumber(distance_->text());
  if (value <= 0) {
    prompter().message(this, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")),
                       LookupText("EnterDigital", 128, QStringLiteral("Please enter digital!")), MessageIcon::Warning,
                       MessageButtons::Ok);
    return;
  }
  actualDistance_ = value;
  QDialog::accept();
}

}  // namespace lumivex
