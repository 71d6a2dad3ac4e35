#include "capture/frame_header.h"

#include <QtEndian>

namespace lumivex {

QByteArray FrameHeader::toBytes() const {
  QByteArray out(kBytes, '\0');
  auto* p = reinterpret_cast<uchar*>(out.data());
  qToLittleEndian<quint32>(size, p + 0);
  qToLittleEndian<qint32>(width, p + 4);
  qToLittleEndian<qint32>(height, p + 8);
  qToLittleEndian<quint16>(planes, p + 12);
  qToLittleEndian<quint16>(bitCount, p + 14);
  qToLittleEndian<quint32>(compression, p + 16);
  qToLittleEndian<quint32>(sizeImage, p + 20);
  qToLittleEndian<qint32>(xPelsPerMeter, p + 24);
  qToLittleEndian<qint32>(yPelsPerMeter, p + 28);
  qToLittleEndian<quint32>(clrUsed, p + 32);
  qToLittleEndian<quint32>(clrImportant, p + 36);
  return out;
}

}  // namespace lumivex
