#pragma once

#include <QColor>
#include <QCursor>
#include <QIcon>
#include <QPoint>
#include <QRectF>
#include <QString>

class QPainter;

namespace lumivex {

// How a skinned button face is drawn.
enum class ButtonLook { Normal, Hover, Pressed, Latched, Disabled };

// Draws the skin from the vector sources in resources/skin, at whatever size and pixel ratio the widget
// asks for, so one change of a colour or a stroke restyles every window. GUI thread only: the parsed
// SVG documents are cached per file.
class SkinRenderer {
 public:
  // The palette of the skin.
  static constexpr QRgb kBody = 0xFFC8C8C8;
  static constexpr QRgb kBodyLight = 0xFFD6D6D6;
  static constexpr QRgb kBodyDark = 0xFFA9A9A9;
  static constexpr QRgb kWell = 0xFF1E1E1E;
  static constexpr QRgb kWellEdge = 0xFF2A2A2A;
  static constexpr QRgb kAccent = 0xFF2F7FD8;
  static constexpr QRgb kAccentDark = 0xFF1D5CA6;
  static constexpr QRgb kInk = 0xFF3A3A3A;
  static constexpr QRgb kMenuBackground = 0xFFECE9D8;   // popup menus: RGB(236,233,216)
  static constexpr QRgb kGroupBackground = 0xFFC8C8C8;  // group boxes: RGB(200,200,200)

  // The full path of a skin file such as "button-1005.svg"; empty when it is not shipped.
  static QString path(const QString& fileName);
  static bool exists(const QString& fileName);

  // The icon centred in rect at the given opacity. Nothing is drawn for a missing file.
  static void paintIcon(QPainter& painter, const QRectF& rect, const QString& fileName, qreal opacity = 1.0);
  // A button face (without its icon) filling rect.
  static void paintButtonFace(QPainter& painter, const QRectF& rect, ButtonLook look);
  // A dark recessed well, as behind the video area and the thumbnail strip.
  static void paintWell(QPainter& painter, const QRectF& rect);

  // Icons and cursors rendered from their sources (the icon in several sizes for crisp menus).
  static QIcon icon(const QString& fileName);
  static QCursor cursor(const QString& fileName, QPoint hotSpot, int size = 32);
};

}  // namespace lumivex
