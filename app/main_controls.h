#pragma once

#include "app/button_table.h"
#include "core/video_geometry.h"

#include <QRect>

#include <functional>
#include <map>

class QGroupBox;
class QLabel;
class QLineEdit;
class QStyle;
class QWidget;

namespace lumivex {

class LatchButton;
class MagnifierBox;
class SkinButton;
class ThumbnailStrip;
class VideoArea;

// The main window's controls at their places: the 46 buttons, the video area, the thumbnail strip, the
// magnifier, the group boxes, the scale label and the two edits. The window owns the widgets (they are
// its children); this holds the handles the controllers share and knows the layout.
class MainControls {
 public:
  // The video area in the normal window: 640 x 480 at (98,49).
  static constexpr QRect kVideoAreaRect{QPoint(98, 49), kVideoAreaSize};

  struct Options {
    QStyle* toolTipStyle = nullptr;         // every button's style (tool-tip delay)
    bool snapshotKeyEnabled = false;        // the switch starts released when the key is enabled
    std::function<void(int id)> onClicked;  // a button's command
  };

  MainControls(QWidget& window, const Options& options);

  SkinButton* button(int id) const;
  // The button as a LatchButton; nullptr for plain buttons.
  LatchButton* latchButton(int id) const;
  ButtonTable& buttons() { return buttons_; }
  const ButtonTable& buttons() const { return buttons_; }
  VideoArea* videoArea() const { return videoArea_; }
  ThumbnailStrip* strip() const { return strip_; }
  MagnifierBox* magnifier() const { return magnifier_; }
  QLineEdit* magnificationEdit() const { return magnificationEdit_; }  // 1147, hidden
  QLineEdit* calibrationEdit() const { return calibrationEdit_; }      // 1200

  // The Preview button's latch is the previewing state.
  bool isPreviewing() const;
  // Group-box captions and the scale label in the current language.
  void setTexts();
  // Controls the normal window keeps hidden: Preview, the ellipse and square-label tools, edit 1147.
  static bool hiddenInNormalWindow(const QWidget* widget);

 private:
  void addGroups(QWidget& window);
  void addButtons(QWidget& window, const Options& options);
  void addCalibrationFields(QWidget& window);

  ButtonTable buttons_;
  VideoArea* videoArea_ = nullptr;
  ThumbnailStrip* strip_ = nullptr;
  MagnifierBox* magnifier_ = nullptr;
  QLineEdit* magnificationEdit_ = nullptr;
  QLineEdit* calibrationEdit_ = nullptr;
  QLabel* scaleLabel_ = nullptr;
  std::map<int, QGroupBox*> groups_;
};

}  // namespace lumivex
