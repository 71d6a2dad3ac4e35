#include "widgets/calibrate_prompt_dialog.h"

#include "core/control_ids.h"
#include "core/localisation.h"
#include "core/settings_store.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumivex {

CalibratePromptDialog::CalibratePromptDialog(SettingsStore& store, QWidget* parent)
    : QDialog(parent), store_(store), again_(new QCheckBox(this)) {
  setObjectName(QStringLiteral("430"));
  setWindowTitle(QStringLiteral("Prompt"));
  auto* text = new QLabel(
      LookupText("CalibrateBeforeMeasure", 128, QStringLiteral("Please calibrate before measurement")), this);
  text->setObjectName(QString::number(ids::kPromptText));
  again_->setObjectName(QString::number(ids::kPromptCheck));
  again_->setText(LookupText("TipPrompt", 128, QStringLiteral("Pop-up window next time.")));
  again_->setChecked(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(LookupText("OK", 64, QStringLiteral("OK")));
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(again_);
  layout->addWidget(buttons);
}

void CalibratePromptDialog::accept() {
  store_.saveCalibratePrompt(again_->isChecked());
  QDialog::accept();
}

}  // namespace lumivex
