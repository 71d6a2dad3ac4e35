#pragma once

#include "measure/drawing_style.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QSpinBox;
class QWidget;

namespace lumivex {

// The measurement setting dialog (template 243): "Pen setting" (line width, colour and type with a
// preview, detection range, result-text font and colour) and "Unit setting" (unit, decimals and "Show
// uncertainty"). The colour chooser stores the line colour at once, the font chooser writes
// Measurefont.ini at once, and the unit page's choices write the Units key at once; OK writes the rest
// ("Linewidth", "Linetype", "MeasureTxtColor" and, for a font from Measurefont.ini, "fontsize") and the
// owner copies style() into its canvas. Cancel leaves those to the previous values.
class SettingDialog : public QDialog {
 public:
  explicit SettingDialog(const DrawingStyle& style, QWidget* parent = nullptr);

  void accept() override;

  // The style as edited; the owner takes it after OK.
  const DrawingStyle& style() const { return style_; }

 private:
  QWidget* makePenPage();
  QWidget* makeUnitPage();
  void setLineType(int type);
  void chooseColor();
  void chooseFont();

  DrawingStyle style_;
  QSpinBox* width_ = nullptr;
  QButtonGroup* types_ = nullptr;
  QComboBox* range_ = nullptr;
  QWidget* preview_ = nullptr;
};

}  // namespace lumivex
