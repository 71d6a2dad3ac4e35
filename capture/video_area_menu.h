#pragma once

#include <memory>

class QMenu;
class QWidget;

namespace lumivex {

// The right-button menu of the video area: Cancel, Cross, Scale, Circle, Time and the Format submenu
// (BMP/JPG, the current still format checked). Each action carries its command id as data and
// objectName; the main window shows the menu and routes the chosen id.
class VideoAreaMenu {
 public:
  struct State {
    bool crosshair = false;
    bool timeStamp = false;
    bool scale = false;
    bool circle = false;
    int imageFormat = 2;  // 1 BMP, 2 JPEG
  };

  static std::unique_ptr<QMenu> build(QWidget* parent, const State& state);
};

}  // namespace lumivex
