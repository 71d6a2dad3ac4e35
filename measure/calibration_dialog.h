#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;

namespace lumivex {

// Asks for the actual length of the line just measured (template 229). OK accepts only a positive
// number; anything else shows "Please enter digital!" and keeps the dialog open.
class CalibrationDialog : public QDialog {
 public:
  explicit CalibrationDialog(const QString& unitName, QWidget* parent = nullptr);

  void accept() override;
  // Fills the distance box (the micrometer calibration offers its usual pitch).
  void setDistance(double distance);

  // Set once OK was accepted.
  std::optional<double> actualDistance() const { return actualDistance_; }

 private:
  QLineEdit* distance_;
  std::optional<double> actualDistance_;
};

}  // namespace lumivex
