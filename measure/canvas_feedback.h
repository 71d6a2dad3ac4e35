#pragma once

#include "measure/geometry.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

namespace lumivex {

struct FeedbackCircle {
  QPoint centre;
  int radius = 0;
};

// A label that is not part of a stored record yet (the segments of a continuous line, the radii of two
// circles), drawn in the measurement font with its top-left at `at`.
struct FeedbackText {
  QPoint at;
  QString text;
};

// What a canvas draws over its shapes while a tool is between clicks, in content coordinates: rubber
// bands redrawn on every move, 4-pixel crosses at clicked points, dotted guide strokes, circles, the
// dragged edge-portion rectangle and labels that follow the mouse. Lines and circles take the canvas's
// line colour and type; crosses a 1-pixel pen.
struct CanvasFeedback {
  QList<Segment> lines;
  QList<Segment> guides;  // dotted
  QList<QPoint> crosses;
  QList<FeedbackCircle> circles;
  std::optional<QRect> rectangle;      // the rectangle tool's rubber band, corners inclusive
  std::optional<QRect> edgeSelection;  // the edge-portion drag, drawn dashed
  QList<FeedbackText> texts;

  bool isEmpty() const;
  // The bounding rectangle of every figure except the texts (their size needs a font), grown by margin.
  QRect figureBounds(int margin) const;
};

inline constexpr int kCrossArm = 4;

}  // namespace lumivex
