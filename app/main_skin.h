#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace lumivex {

// The main window's background: body, title band with the window icon and title, the panels behind the
// command column and the folder buttons, and the recessed wells of the video area, thumbnail strip and
// magnifier. Drawn from code and the vector icon at the window's size and pixel ratio.
class MainSkin {
 public:
  static constexpr int kWidth = 862;
  static constexpr int kHeight = 656;
  // The band from the client origin that drags the borderless window.
  static constexpr int kDragBandWidth = 700;
  static constexpr int kDragBandHeight = 46;

  static QPixmap render(QSize size, qreal pixelRatio, const QString& title);
};

}  // namespace lumivex
