#include "capture/recorder/compressor_dialog.h"

#include "capture/recorder/compressor_catalog.h"
#include "core/localisation.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace lumivex {

CompressorDialog::CompressorDialog(const CompressionOptions& current, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("compressor-dialog"));
  setWindowTitle(LookupText("CompressTilte", 64, QStringLiteral("Video Compression")));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  list_ = new QComboBox(this);
  list_->setObjectName(QStringLiteral("compressor-list"));
  for (const CompressorInfo& info : CompressorCatalog::available()) {
    list_->addItem(info.displayName, info.handler);
  }
  form->addRow(LookupText("Compress", 64, QStringLiteral("Compress")), list_);
  auto* qualityRow = new QHBoxLayout;
  quality_ = new QSlider(Qt::Horizontal, this);
  quality_->setObjectName(QStringLiteral("compressor-quality"));
  quality_->setRange(0, 100);
  qualityValue_ = new QLabel(this);
  qualityValue_->setMinimumWidth(32);
  qualityRow->addWidget(quality_);
  qualityRow->addWidget(qualityValue_);
  form->addRow(QStringLiteral("Quality"), qualityRow);
  layout->addLayout(form);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(LookupText("OK", 64, QStringLiteral("OK")), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("1"));
  QPushButton* cancel =
      buttons->addButton(LookupText("Cancel", 64, QStringLiteral("Cancel")), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("2"));
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  QObject::connect(quality_, &QSlider::valueChanged, this,
                   [this](int value) { qualityValue_->setText(QString::number(value)); });
  QObject::connect(list_, &QComboBox::currentIndexChanged, this, [this](int index) { onCompressor(index); });

  const int at = list_->findData(current.handler);
  list_->setCurrentIndex(at >= 0 ? at : 0);
  onCompressor(list_->currentIndex());
  quality_->setValue(current.quality < 0 ? 90 : current.quality / 100);
  qualityValue_->setText(QString::number(quality_->value()));
}

void CompressorDialog::onCompressor(int index) {
  const CompressorInfo* info = CompressorCatalog::find(list_->itemData(index).toString());
  quality_->setEnabled(info && info->hasQuality);
}

CompressionOptions CompressorDialog::choice() const {
  CompressionOptions options;
  options.handler = list_->currentData().toString();
  options.quality = quality_->isEnabled() ? quality_->value() * 100 : -1;
  return options;
}

}  // namespace lumivex
