#pragma once

#include "capture/proc_amp.h"

#include <QDialog>
#include <QString>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;

namespace lumivex {

class CaptureWindow;

// The video settings dialog (template 154): device, resolution, the camera's picture properties and the
// data folder. Every change goes to the running camera at once; OK and Exit only close. While open it is
// filled again on 0x8005 (the device was re-initialised).
class VideoSettingsDialog : public QDialog {
 public:
  VideoSettingsDialog(CaptureWindow& capture, QWidget* parent = nullptr);

  bool event(QEvent* event) override;

  // Re-reads the device list and the property table from the camera.
  void fill();

  struct Row {
    int slider;
    int label;
    int edit;
    int spin;
    const char* key;
    ProcAmpProperty property;
    bool shown;
  };
  static const std::array<Row, 6> kRows;

 private:
  struct RowState {
    QSlider* slider = nullptr;
    QLabel* label = nullptr;
    QLineEdit* edit = nullptr;
    QSpinBox* spin = nullptr;
    ProcAmpRange range;
    int value = 0;
    int flags = kProcAmpManual;
  };

  void applyRow(int row, int value);
  void onSpin(int row, int value);
  void onDefault();
  void onResolution(int index);
  void onDevice(int index);
  void onBrowse();
  void setRowVisible(int row, bool visible);

  CaptureWindow& capture_;
  std::array<RowState, 6> rows_;
  QComboBox* devices_ = nullptr;
  QComboBox* norm_ = nullptr;
  QComboBox* resolution_ = nullptr;
  QLabel* hotKeys_ = nullptr;
  QLabel* hotKeyCaption_ = nullptr;
  QLineEdit* dataRoot_ = nullptr;
  QString rememberedRoot_;
  bool filling_ = false;
};

}  // namespace lumivex
