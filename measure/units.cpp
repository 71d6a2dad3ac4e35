#include "measure/units.h"

#include <algorithm>

namespace lumivex {

void UnitName::assign(const QString& text) {
  buffer_.fill(0);
  const qsizetype count = std::min<qsizetype>(text.size(), kCapacity - 1);
  for (qsizetype i = 0; i < count; ++i) buffer_[static_cast<std::size_t>(i)] = text[i].unicode();
}

QString UnitName::text() const {
  qsizetype length = 0;
  while (length < kCapacity && buffer_[static_cast<std::size_t>(length)] != 0) ++length;
  return QString::fromUtf16(buffer_.data(), length);
}

double unitFactorFor(const QString& unit) {
  if (unit == u"cm") return kCmFactor;
  if (unit == u"mil") return kMilFactor;
  if (unit == u"inch") return kInchFactor;
  return kMmFactor;
}

QString knownUnit(const QString& unit) {
  if (unit == u"mm" || unit == u"cm" || unit == u"mil" || unit == u"inch") return unit;
  return QStringLiteral("mm");
}

int usableDecimals(int decimals) { return decimals >= 2 && decimals <= 5 ? decimals : kDefaultDecimals; }

QString unitOfOption(int optionId) {
  switch (optionId) {
    case kUnitMmOption:
      return QStringLiteral("mm");
    case kUnitCmOption:
      return QStringLiteral("cm");
    case kUnitInchOption:
      return QStringLiteral("inch");
    case kUnitMilOption:
      return QStringLiteral("mil");
    default:
      return {};
  }
}

int optionOfUnit(const QString& unit) {
  const QString u = knownUnit(unit);
  if (u == u"cm") return kUnitCmOption;
  if (u == u"inch") return kUnitInchOption;
  if (u == u"mil") return kUnitMilOption;
  return kUnitMmOption;
}

int decimalsOfOption(int optionId) {
  return optionId >= kDecimals2Option && optionId <= kDecimals5Option ? optionId - kDecimals2Option + 2 : 0;
}

double canvasZoom(int pictureWidth, int pictureHeight, bool actualSize) {
  if (actualSize) return 1.0;
  if (pictureWidth == 1600 && pictureHeight == 1200) return 2.5;
  if (pictureWidth == 1280 && (pictureHeight == 960 || pictureHeight == 1024)) return 2.0;
  if (pictureWidth == 640 && pictureHeight == 480) return 1.0;
  return 0.5;
}

double canvasUnitFactor(const QString& unit, int pictureWidth, int pictureHeight, bool actualSize) {
  return unitFactorFor(unit) * canvasZoom(pictureWidth, pictureHeight, actualSize);
}

}  // namespace lumivex
