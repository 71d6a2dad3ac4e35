#include "workspace/magnifier_dialog.h"

#include "core/localisation.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace lumivex {
namespace {

QGroupBox* radioGroup(QWidget* parent, const QString& id, const QString& title, QButtonGroup* group,
                      const std::vector<std::pair<QString, int>>& items) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(id);
  auto* layout = new QHBoxLayout(box);
  for (const auto& [text, value] : items) {
    auto* radio = new QRadioButton(text, box);
    radio->setObjectName(id + u'-' + QString::number(value));
    group->addButton(radio, value);
    layout->addWidget(radio);
  }
  group->buttons().constFirst()->setChecked(true);
  return box;
}

}  // namespace

MagnifierDialog::MagnifierDialog(QWidget* parent)
    : QDialog(parent), zoom_(new QButtonGroup(this)), size_(new QButtonGroup(this)) {
  setObjectName(QStringLiteral("360"));
  setWindowTitle(LookupText("TipMagnifier", 64, QStringLiteral("Magnifier")));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      radioGroup(this, QStringLiteral("392"), LookupText("Zoom", 64, QStringLiteral("Zoom")), zoom_,
                 {{QStringLiteral("2 X"), 20}, {QStringLiteral("3 X"), 30}, {QStringLiteral("4 X"), 40}}));
  layout->addWidget(
      radioGroup(this, QStringLiteral("393"), LookupText("magnifierSize", 64, QStringLiteral("magnifier Size")), size_,
                 {{QStringLiteral("100"), 100}, {QStringLiteral("150"), 150}, {QStringLiteral("200"), 200}}));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
  buttons->button(QDialogButtonBox::Ok)->setText(LookupText("OK", 64, QStringLiteral("OK")));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
  buttons->button(QDialogButtonBox::Cancel)->setText(LookupText("Cancel", 64, QStringLiteral("Cancel")));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

MeasureCanvas::Lens MagnifierDialog::choice() const { return {zoom_->checkedId(), size_->checkedId()}; }

}  // namespace lumivex
