#include "app/main_skin.h"

#include "app/main_controls.h"
#include "widgets/skin_renderer.h"

#include <QLinearGradient>
#include <QPainter>

namespace lumivex {

namespace {

void insetPanel(QPainter& painter, const QRectF& rect) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
  fill.setColorAt(0, QColor(0xBC, 0xBC, 0xBC));
  fill.setColorAt(1, QColor(0xC3, 0xC3, 0xC3));
  painter.setBrush(fill);
  painter.setPen(QPen(QColor(0xA2, 0xA2, 0xA2), 1));
  painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
  painter.setPen(QPen(QColor(0xDA, 0xDA, 0xDA), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(rect.adjusted(-0.5, -0.5, 0.5, 0.5), 7, 7);
  painter.restore();
}

}  // namespace

QPixmap MainSkin::render(QSize size, qreal pixelRatio, const QString& title) {
  QPixmap pixmap(size * pixelRatio);
  pixmap.setDevicePixelRatio(pixelRatio);
  QPainter painter(&pixmap);
  const QRectF all(QPointF(0, 0), QSizeF(size));

  QLinearGradient body(all.topLeft(), all.bottomLeft());
  body.setColorAt(0, QColor(0xD2, 0xD2, 0xD2));
  body.setColorAt(1, QColor(0xC4, 0xC4, 0xC4));
  painter.fillRect(all, body);

  // Title band.
  const QRectF band(0, 0, size.width(), kDragBandHeight);
  QLinearGradient bandFill(band.topLeft(), band.bottomLeft());
  bandFill.setColorAt(0, QColor(0xE0, 0xE0, 0xE0));
  bandFill.setColorAt(1, QColor(0xCC, 0xCC, 0xCC));
  painter.fillRect(band, bandFill);
  painter.setPen(QColor(0xA6, 0xA6, 0xA6));
  painter.drawLine(QPointF(0, kDragBandHeight - 0.5), QPointF(size.width(), kDragBandHeight - 0.5));
  painter.setPen(QColor(0xDE, 0xDE, 0xDE));
  painter.drawLine(QPointF(0, kDragBandHeight + 0.5), QPointF(size.width(), kDragBandHeight + 0.5));

  painter.setRenderHint(QPainter::Antialiasing);
  SkinRenderer::paintIcon(painter, QRectF(14, 9, 28, 28), QStringLiteral("app-icon.svg"));
  QFont titleFont(QStringLiteral("Liberation Sans"));
  titleFont.setPixelSize(17);
  titleFont.setBold(true);
  painter.setFont(titleFont);
  painter.setPen(QColor(SkinRenderer::kInk));
  painter.drawText(QRectF(52, 0, 400, kDragBandHeight), Qt::AlignVCenter | Qt::AlignLeft, title);

  // Panels behind the command column and the folder buttons.
  insetPanel(painter, QRectF(21, 70, 72, 456));
  insetPanel(painter, QRectF(33, 534, 62, 114));

  // Recessed wells; the widgets on them paint their own insides.
  painter.setRenderHint(QPainter::Antialiasing, false);
  SkinRenderer::paintWell(painter, QRectF(MainControls::kVideoAreaRect));
  SkinRenderer::paintWell(painter, QRectF(97, 530, 642, 115));
  SkinRenderer::paintWell(painter, QRectF(739, 530, 119, 120));

  // Window edge: dark outline with a light inner line.
  painter.setPen(QColor(0x74, 0x74, 0x74));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(all.adjusted(0, 0, -1, -1));
  painter.setPen(QColor(0xEA, 0xEA, 0xEA));
  painter.drawLine(QPointF(1, 1), QPointF(size.width() - 2, 1));
  painter.drawLine(QPointF(1, 1), QPointF(1, size.height() - 2));
  return pixmap;
}

}  // namespace lumivex
