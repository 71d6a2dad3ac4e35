#include "tools/lumivex_image/canvas_steps.h"

#include "measure/canvas_controller.h"

#include <QRegularExpression>
#include <QStringList>

namespace lumivex::tool {

std::optional<ClickStep> parseClickStep(const QString& step) {
  static const QRegularExpression pattern(QStringLiteral("^(?:([rdm]):)?(-?\\d+),(-?\\d+)$"));
  const QRegularExpressionMatch m = pattern.match(step);
  if (!m.hasMatch()) return std::nullopt;
  ClickStep click;
  click.point = QPoint(m.captured(2).toInt(), m.captured(3).toInt());
  const QString kind = m.captured(1);
  if (kind == u"r") click.kind = ClickStep::Kind::Right;
  if (kind == u"d") click.kind = ClickStep::Kind::Double;
  if (kind == u"m") click.kind = ClickStep::Kind::Move;
  return click;
}

void replayClick(CanvasController& canvas, const ClickStep& step) {
  canvas.handle(CanvasEvent::Move, CanvasButton::None, step.point);
  if (step.kind == ClickStep::Kind::Move) return;
  const CanvasButton button = step.kind == ClickStep::Kind::Right ? CanvasButton::Right : CanvasButton::Left;
  canvas.handle(step.kind == ClickStep::Kind::Double ? CanvasEvent::DoubleClick : CanvasEvent::Press, button,
                step.point);
  canvas.handle(CanvasEvent::Release, button, step.point);
}

QString pointsText(const QList<QPoint>& points) {
  QStringList texts;
  for (const QPoint& p : points) texts.append(QStringLiteral("%1,%2").arg(p.x()).arg(p.y()));
  return texts.join(u' ');
}

}  // namespace lumivex::tool
