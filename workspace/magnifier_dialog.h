#pragma once

#include "measure/measure_canvas.h"

#include <QDialog>

class QButtonGroup;

namespace lumivex {

// The magnifier's settings (template 360): zoom 2 X, 3 X or 4 X (zoom values 20, 30, 40; 2 X preset) in
// group 392 and the lens size 100, 150 or 200 pixels (100 preset) in group 393. The choice counts
// whichever way the dialog closes.
class MagnifierDialog : public QDialog {
 public:
  explicit MagnifierDialog(QWidget* parent = nullptr);

  MeasureCanvas::Lens choice() const;

 private:
  QButtonGroup* zoom_ = nullptr;
  QButtonGroup* size_ = nullptr;
};

}  // namespace lumivex
