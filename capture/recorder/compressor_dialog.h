#pragma once

#include "capture/recorder/compression_options.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QSlider;

namespace lumivex {

// The compressor chooser of the recorder dialog's Compress button: the compressors this system can both
// write and play back, and the quality for those that have one. It only chooses; the recorder dialog
// tests the choice before it replaces the process's options.
class CompressorDialog : public QDialog {
 public:
  CompressorDialog(const CompressionOptions& current, QWidget* parent = nullptr);

  CompressionOptions choice() const;

 private:
  void onCompressor(int index);

  QComboBox* list_ = nullptr;
  QSlider* quality_ = nullptr;
  QLabel* qualityValue_ = nullptr;
};

}  // namespace lumivex
