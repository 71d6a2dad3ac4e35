#include "widgets/skin_renderer.h"

#include "core/app_context.h"

#include <QFileInfo>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSvgRenderer>

#include <memory>

namespace lumivex {

namespace {

QSvgRenderer* rendererFor(const QString& fileName) {
  static QHash<QString, std::shared_ptr<QSvgRenderer>> cache;
  auto it = cache.find(fileName);
  if (it == cache.end()) {
    const QString file = SkinRenderer::path(fileName);
    auto renderer = file.isEmpty() ? nullptr : std::make_shared<QSvgRenderer>(file);
    if (renderer && !renderer->isValid()) renderer.reset();
    it = cache.insert(fileName, renderer);
  }
  return it->get();
}

QPixmap renderPixmap(const QString& fileName, int size, qreal ratio) {
  QPixmap pixmap(QSize(size, size) * ratio);
  pixmap.fill(Qt::transparent);
  pixmap.setDevicePixelRatio(ratio);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  SkinRenderer::paintIcon(painter, QRectF(0, 0, size, size), fileName);
  return pixmap;
}

}  // namespace

QString SkinRenderer::path(const QString& fileName) {
  if (!AppContext::exists()) return {};
  const QString file = AppContext::current().paths().findResource(QStringLiteral("skin/") + fileName);
  return QFileInfo::exists(file) ? file : QString();
}

bool SkinRenderer::exists(const QString& fileName) { return rendererFor(fileName) != nullptr; }

void SkinRenderer::paintIcon(QPainter& painter, const QRectF& rect, const QString& fileName, qreal opacity) {
  QSvgRenderer* renderer = rendererFor(fileName);
  if (!renderer) return;
  // Keep the source's aspect ratio inside rect.
  QSizeF size = renderer->defaultSize();
  size.scale(rect.size(), Qt::KeepAspectRatio);
  const QRectF target(rect.center() - QPointF(size.width() / 2, size.height() / 2), size);
  painter.save();
  painter.setOpacity(painter.opacity() * opacity);
  renderer->render(&painter, target);
  painter.restore();
}

void SkinRenderer::paintButtonFace(QPainter& painter, const QRectF& rect, ButtonLook look) {
  const QRectF face = rect.adjusted(0.5, 0.5, -0.5, -0.5);
  const qreal radius = std::min<qreal>(5.0, rect.height() / 6.0);
  QLinearGradient gradient(face.topLeft(), face.bottomLeft());
  QColor border(0x8E, 0x8E, 0x8E);
  switch (look) {
    case ButtonLook::Normal:
    case ButtonLook::Disabled:
      gradient.setColorAt(0, QColor(0xF7, 0xF7, 0xF7));
      gradient.setColorAt(1, QColor(0xE3, 0xE3, 0xE3));
      if (look == ButtonLook::Disabled) border = QColor(0xA8, 0xA8, 0xA8);
      break;
    case ButtonLook::Hover:
      gradient.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
      gradient.setColorAt(1, QColor(0xEC, 0xF1, 0xF7));
      border = QColor(0x6F, 0x93, 0xBE);
      break;
    case ButtonLook::Pressed:
      gradient.setColorAt(0, QColor(0xC9, 0xC9, 0xC9));
      gradient.setColorAt(1, QColor(0xD9, 0xD9, 0xD9));
      border = QColor(0x70, 0x70, 0x70);
      break;
    case ButtonLook::Latched:
      gradient.setColorAt(0, QColor(0xCF, 0xE2, 0xF8));
      gradient.setColorAt(1, QColor(0xB3, 0xD0, 0xF2));
      border = QColor(kAccentDark);
      break;
  }
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(border, 1.0));
  painter.setBrush(gradient);
  painter.drawRoundedRect(face, radius, radius);
  if (look == ButtonLook::Normal || look == ButtonLook::Hover) {
    // A hairline highlight under the top edge gives the face its slight bevel.
    painter.setPen(QPen(QColor(255, 255, 255, 170), 1.0));
    painter.drawLine(QPointF(face.left() + radius, face.top() + 1), QPointF(face.right() - radius, face.top() + 1));
  } else if (look == ButtonLook::Pressed || look == ButtonLook::Latched) {
    // An inner shadow along the top edge reads as pushed in.
    painter.setPen(QPen(QColor(0, 0, 0, 40), 1.0));
    painter.drawLine(QPointF(face.left() + radius, face.top() + 1.5), QPointF(face.right() - radius, face.top() + 1.5));
  }
  painter.restore();
}

void SkinRenderer::paintWell(QPainter& painter, const QRectF& rect) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(rect, QColor(kWell));
  // Recessed: dark shade above and left, light edge below and right, just outside the well.
  painter.setPen(QColor(0x8A, 0x8A, 0x8A));
  painter.drawLine(rect.topLeft() + QPointF(-1, -1), rect.topRight() + QPointF(0, -1));
  painter.drawLine(rect.topLeft() + QPointF(-1, -1), rect.bottomLeft() + QPointF(-1, 0));
  painter.setPen(QColor(0xEE, 0xEE, 0xEE));
  painter.drawLine(rect.bottomLeft() + QPointF(-1, 1), rect.bottomRight() + QPointF(1, 1));
  painter.drawLine(rect.topRight() + QPointF(1, -1), rect.bottomRight() + QPointF(1, 1));
  painter.setPen(QColor(kWellEdge));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
  painter.restore();
}

QIcon SkinRenderer::icon(const QString& fileName) {
  QIcon result;
  if (!exists(fileName)) return result;
  for (int size : {16, 24, 32, 48}) {
    result.addPixmap(renderPixmap(fileName, size, 1.0));
    result.addPixmap(renderPixmap(fileName, size, 2.0));
  }
  return result;
}

QCursor SkinRenderer::cursor(const QString& fileName, QPoint hotSpot, int size) {
  if (!exists(fileName)) return QCursor(Qt::CrossCursor);
  return QCursor(renderPixmap(fileName, size, 1.0), hotSpot.x(), hotSpot.y());
}

}  // namespace lumivex
