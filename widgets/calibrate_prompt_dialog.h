#pragma once

#include <QDialog>

class QCheckBox;

namespace lumivex {

class SettingsStore;

// "Please calibrate before measurement" with the check box "Pop-up window next time." (1230), which starts
// checked. OK stores whether the prompt shows again at the next start.
class CalibratePromptDialog : public QDialog {
 public:
  CalibratePromptDialog(SettingsStore& store, QWidget* parent = nullptr);

  void accept() override;

 private:
  SettingsStore& store_;
  QCheckBox* again_;
};

}  // namespace lumivex
