#pragma once

#include <QList>
#include <QPoint>
#include <QString>

#include <optional>

namespace lumivex {
class CanvasController;
}

namespace lumivex::tool {

// One click of a replayed canvas session: "X,Y" (left), "r:X,Y" (right), "d:X,Y" (double) or "m:X,Y"
// (a move only), as annotate and live-overlay take them on their command lines.
struct ClickStep {
  enum class Kind { Left, Right, Double, Move };
  Kind kind = Kind::Left;
  QPoint point;
};

std::optional<ClickStep> parseClickStep(const QString& step);
// Moves the pointer to the step's point and, unless it is a move, presses and releases there.
void replayClick(CanvasController& canvas, const ClickStep& step);
// "x,y x,y ..." as the commands print a shape's points.
QString pointsText(const QList<QPoint>& points);

}  // namespace lumivex::tool
