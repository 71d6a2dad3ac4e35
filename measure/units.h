#pragma once

#include <QString>

#include <array>

namespace lumivex {

// The unit of every result text, in the fixed buffer of 12 UTF-16 units the registry value is read into.
// Every assignment clears the whole buffer first, so a shorter unit never keeps a tail of a longer one.
class UnitName {
 public:
  static constexpr int kCapacity = 12;

  UnitName() { assign(QStringLiteral("mm")); }
  explicit UnitName(const QString& text) { assign(text); }

  // Copies at most kCapacity - 1 units and the terminator.
  void assign(const QString& text);
  QString text() const;
  const std::array<char16_t, kCapacity>& buffer() const { return buffer_; }

 private:
  std::array<char16_t, kCapacity> buffer_{};
};

// Option controls of the unit setting page.
inline constexpr int kUnitMmOption = 1170;
inline constexpr int kUnitCmOption = 1171;
inline constexpr int kUnitInchOption = 1172;
inline constexpr int kUnitMilOption = 1173;
inline constexpr int kDecimals2Option = 1295;
inline constexpr int kDecimals5Option = 1298;

inline constexpr double kMmFactor = 0.02963;
inline constexpr double kCmFactor = 0.002963;
inline constexpr double kMilFactor = 1.1665354330708662;
inline constexpr double kInchFactor = 0.0011665354330708663;
inline constexpr int kDefaultDecimals = 3;

// Length of one pixel in the unit at magnification 10 and the reference pixel density; any unit other
// than "cm", "mil" and "inch" counts as "mm".
double unitFactorFor(const QString& unit);
// The unit as results show it: the four known names pass, anything else becomes "mm".
QString knownUnit(const QString& unit);
// Decimals in 2..5; anything else (a damaged stored value) gives the default 3.
int usableDecimals(int decimals);

// The unit name of an option control (1170-1173), or an empty text for any other id.
QString unitOfOption(int optionId);
int optionOfUnit(const QString& unit);
// Decimals of an option control (1295-1298 give 2-5), or 0 for any other id.
int decimalsOfOption(int optionId);

// Picture pixels per view pixel of the still canvas, by the picture's own size: 2.5 for 1600 x 1200, 2 for
// 1280 x 960 and 1280 x 1024, 1 for 640 x 480 and 0.5 for any other size in the normal (640-wide) view
// mode; 1 in the actual-size view mode. It does not depend on the camera connected now: a picture is
// measured by the pixels it has.
double canvasZoom(int pictureWidth, int pictureHeight, bool actualSize);

// The still canvas's unitFactor: the unit's factor times canvasZoom, so the zoom the shapes are drawn
// and detected at and the factor their lengths are computed with never disagree.
double canvasUnitFactor(const QString& unit, int pictureWidth, int pictureHeight, bool actualSize);

}  // namespace lumivex
