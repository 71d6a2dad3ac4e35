#include "measure/values_dialog.h"

#include "core/localisation.h"
#include "core/prompter.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace lumivex {

ValuesDialog::ValuesDialog(int dialogId, const QString& title, const QList<Field>& fields, Check check, QWidget* parent)
    : QDialog(parent), check_(std::move(check)) {
  setObjectName(QString::number(dialogId));
  setWindowTitle(title);
  auto* layout = new QGridLayout(this);
  int row = 0;
  for (const Field& field : fields) {
    auto* label = new QLabel(field.label, this);
    if (field.labelId) label->setObjectName(QString::number(field.labelId));
    auto* edit = new QLineEdit(field.preset, this);
    edit->setObjectName(QString::number(field.editId));
    layout->addWidget(label, row, 0);
    layout->addWidget(edit, row, 1);
    if (!field.unit.isEmpty()) {
      auto* unit = new QLabel(field.unit, this);
      if (field.unitId) unit->setObjectName(QString::number(field.unitId));
      layout->addWidget(unit, row, 2);
    }
    edits_.append(edit);
    ++row;
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
  buttons->button(QDialogButtonBox::Ok)->setText(LookupText("OK", 64, QStringLiteral("OK")));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
  buttons->button(QDialogButtonBox::Cancel)->setText(LookupText("Cancel", 64, QStringLiteral("Cancel")));
  connect(buttons, &QDialogButtonBox::accepted, this, &ValuesDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons, row, 0, 1, 3);
}

QStringList ValuesDialog::values() const {
  QStringList values;
  for (const QLineEdit* edit : edits_) values.append(edit->text());
  return values;
}

void ValuesDialog::accept() {
  const QString warning = check_ ? check_(values()) : QString();
  if (!warning.isEmpty()) {
    prompter().message(this, LookupText("MsgTitle", 64, QStringLiteral("Lumivex")), warning, MessageIcon::Warning,
                       MessageButtons::Ok);
    return;
  }
  QDialog::accept();
}

QList<ValuesDialog::Field> ValuesDialog::rulerFields(const QString& unit) {
  return {{LookupText("TipRuler", 64, QStringLiteral("Length-Line")), 0, 1246, QString(), unit, 0}};
}

QList<ValuesDialog::Field> ValuesDialog::gaugeFields() {
  return {{QStringLiteral("X (1---639)"), 0, 1121, QString(), QString(), 0},
          {QStringLiteral("Y (1---480)"), 0, 1330, QString(), QString(), 0}};
}

QList<ValuesDialog::Field> ValuesDialog::toleranceFields(const QString& unit) {
  return {{LookupText("CircleRadius", 64, QStringLiteral("Radius:")), 1254, 411, QStringLiteral("1.0"), unit, 412},
          {LookupText("TolerancePlus", 64, QStringLiteral("Tolerance(R+):")), 1332, 1122, QStringLiteral("0.05"), unit,
           413},
          {LookupText("ToleranceMinus", 64, QStringLiteral("Tolerance(R-):")), 1331, 1123, QStringLiteral("0.05"), unit,
           414}};
}

}  // namespace lumivex
