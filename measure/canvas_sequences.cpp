// The click sequences of the individual tools and the rubber bands drawn while they collect points.
#include "measure/canvas_controller.h"

#include "measure/detection/region_line_detect.h"
#include "measure/detection/region_line_marking.h"
#include "measure/edge_detector.h"
#include "measure/shape_builder.h"

namespace lumivex {
namespace {

// The tools whose first click clears the selection of every shape.
bool firstClickClearsSelection(ToolMode mode) {
  return mode == ToolMode::Line || mode == ToolMode::ParallelLine || mode == ToolMode::DotLine ||
         mode == ToolMode::RadiusCircle || mode == ToolMode::Rectangle || mode == ToolMode::Angle;
}

std::optional<detection::LineSegment> toDetection(const std::optional<Segment>& s) {
  if (!s) return std::nullopt;
  return detection::LineSegment{s->a, s->b};
}

QPoint midpoint(QPoint a, QPoint b) { return {(a.x() + b.x()) / 2, (a.y() + b.y()) / 2}; }

}  // namespace

void CanvasController::clickTwoPointTool(QPoint p) {
  if (clicks_.isEmpty()) {
    if (firstClickClearsSelection(tool_.mode)) clearSelection();
    clicks_.append(p);
    phase_ = Phase::Collecting;
    return;
  }
  const QPoint a = clicks_[0];
  const UnitConversion u = conversion();
  switch (tool_.mode) {
    case ToolMode::Line:
      appendShape(makeLine(a, p, p, u));
      break;
    case ToolMode::ParallelLine:
      appendShape(makeParallelLine(a, p, p, u));
      break;
    case ToolMode::RadiusCircle:
      appendShape(makeRadiusCircle(a, p, p, u));
      break;
    case ToolMode::DiameterCircle:
      appendShape(makeDiameterCircle(a, p, p, u));
      break;
    case ToolMode::Rectangle:
      appendShape(makeRectangle(a, p, p, u));
      break;
    case ToolMode::AutoLineLength1: {
      // Without a detected edge the stroke itself is measured.
      const std::optional<Segment> found = detector_ ? detector_->lineInStrokeBox(a, p) : std::nullopt;
      appendShape(found ? makeAutoLineLength1(found->a, found->b, p, u) : makeAutoLineLength1(a, p, p, u));
      break;
    }
    default:
      resetCycle();
  }
}

void CanvasController::clickThreePointTool(QPoint p) {
  if (clicks_.isEmpty() && firstClickClearsSelection(tool_.mode)) clearSelection();
  if (clicks_.size() < 2) {
    clicks_.append(p);
    phase_ = Phase::Collecting;
    return;
  }
  const QPoint a = clicks_[0], b = clicks_[1];
  const UnitConversion u = conversion();
  switch (tool_.mode) {
    case ToolMode::DotLine:
      appendShape(makeDotLine(a, b, p, p, u));
      break;
    case ToolMode::Angle:
      appendShape(makeAngle(a, b, p, p, u));
      break;
    case ToolMode::ThreePointCircle:
      appendShape(makeThreePointCircle(a, b, p, p, u));
      break;
    case ToolMode::Arc:
      appendShape(makeArc(a, b, p, p, u));
      break;
    default:
      resetCycle();
  }
}

void CanvasController::clickFourPointAngle(QPoint p) {
  if (clicks_.size() < 3) {
    clicks_.append(p);
    phase_ = Phase::Collecting;
    return;
  }
  appendShape(makeFourPointAngle(clicks_[0], clicks_[1], clicks_[2], p, p, conversion()));
}

void CanvasController::clickStrokeTool(QPoint p) {
  if (clicks_.size() < 3) {
    clicks_.append(p);
    phase_ = Phase::Collecting;
    return;
  }
  const detection::LineSegment firstStroke{clicks_[0], clicks_[1]};
  const detection::LineSegment secondStroke{clicks_[2], p};
  std::optional<Segment> first, second;
  if (detector_) {
    first = detector_->lineAlongStroke(firstStroke.p1, firstStroke.p2);
    second = detector_->lineAlongStroke(secondStroke.p1, secondStroke.p2);
  }
  if (tool_.mode == ToolMode::AutoLineSpacing) {
    // From the middle of the first edge to the foot on the second; the strokes' middles without edges.
    const detection::SpacingPoints points =
        detection::lineSpacingPoints(toDetection(first), toDetection(second), firstStroke, secondStroke);
    appendShape(makeAutoLineSpacing(points.from, points.to, p, conversion()));
  } else {
    const std::array<QPoint, 4> ends =
        detection::angleToolPoints(toDetection(first), toDetection(second), firstStroke, secondStroke);
    appendShape(makeAutoAngle(ends[0], ends[1], ends[2], ends[3], p, conversion()));
  }
}

void CanvasController::clickTwoCircles(QPoint p) {
  const UnitConversion u = conversion();
  phase_ = Phase::Collecting;
  if (vertices_.size() < 3 || (anchors_.size() == 1 && vertices_.size() < 6)) {
    vertices_.append(p);
    const qsizetype n = vertices_.size();
    if (n != 3 && n != 6) return;
    const std::optional<CircleCentre> centre = threePointCentre(vertices_[n - 3], vertices_[n - 2], vertices_[n - 1]);
    if (!centre) {
      // Three points that form no circle: refused at the completing click.
      resetCycle();
      return;
    }
    // The radius texts as the finished record will hold them.
    const double radius =
        n == 3 ? pixelDistance(centre->rounded, vertices_[0]) : pixelDistance(centre->exact, QPointF(vertices_[5]));
    texts_.append(u.radiusText(u.length(radius)));
    labelFollows_ = true;
    return;
  }
  if (labelFollows_ && anchors_.size() < 2) {
    anchors_.append(p);
    labelFollows_ = false;
    if (anchors_.size() == 2) {
      const auto c1 = threePointCentre(vertices_[0], vertices_[1], vertices_[2]);
      const auto c2 = threePointCentre(vertices_[3], vertices_[4], vertices_[5]);
      texts_.append(u.lengthText(pixelDistance(c1->rounded, c2->rounded)));
      labelFollows_ = true;
    }
    return;
  }
  if (anchors_.size() == 2) {
    appendShape(makeTwoCircles({vertices_[0], vertices_[1], vertices_[2]}, anchors_[0],
                               {vertices_[3], vertices_[4], vertices_[5]}, anchors_[1], p, u));
  }
}

void CanvasController::clickContinuousLine(QPoint p) {
  phase_ = Phase::Collecting;
  if (vertices_.isEmpty()) {
    vertices_.append(p);
    return;
  }
  if (!measuring()) {
    // The paint menu's line: every click is a vertex, its (empty) label stands on it.
    if (vertices_.last() == p) return;
    vertices_.append(p);
    anchors_.append(p);
    texts_.append(QString());
    return;
  }
  if (labelFollows_) {
    anchors_.append(p);
    labelFollows_ = false;
    return;
  }
  if (vertices_.last() == p) return;
  texts_.append(conversion().segmentText(pixelDistance(vertices_.last(), p)));
  vertices_.append(p);
  labelFollows_ = true;
}

void CanvasController::finishContinuousLine(QPoint p) {
  // The double click's first press already added its vertex (or placed the pending label): finishing adds
  // no segment of its own.
  if (labelFollows_) {
    anchors_.append(p);
    labelFollows_ = false;
  }
  if (vertices_.size() < 2) return;
  appendShape(makeContinuousLine(vertices_, anchors_, conversion()));
}

void CanvasController::clickPolygon(QPoint p) {
  phase_ = Phase::Collecting;
  if (vertices_.isEmpty() || vertices_.last() != p) vertices_.append(p);
}

void CanvasController::finishPolygon(QPoint p) {
  if (vertices_.isEmpty() || vertices_.last() != p) vertices_.append(p);
  if (vertices_.size() < 3) return;  // keeps collecting: two vertices close nothing
  appendShape(makePolygon(vertices_, p, conversion()));
}

void CanvasController::clickAutomaticPoint(QPoint p) {
  phase_ = Phase::Collecting;
  // A click that no edge is near counts as it is, so every click adds exactly one point.
  std::optional<QPoint> snapped = detector_ ? detector_->snapToEdge(p) : std::nullopt;
  detected_.append(snapped.value_or(p));
  if (!autoComplete_) return;
  const qsizetype needed = tool_.mode == ToolMode::AutoLineLength2 ? 2 : 3;
  if (detected_.size() >= needed) completeAutomatic(p);
}

bool CanvasController::completeAutomatic(QPoint p) {
  const qsizetype needed = tool_.mode == ToolMode::AutoLineLength2 ? 2 : 3;
  if (detected_.size() < needed) return false;
  const UnitConversion u = conversion();
  const QList<QPoint> points = detected_;
  switch (tool_.mode) {
    case ToolMode::AutoCircle:
      appendShape(makeAutoCircle(points, p, u));
      break;
    case ToolMode::AutoArc:
      appendShape(makeAutoArc(points, p, u));
      break;
    case ToolMode::AutoLineLength2:
      appendShape(makeAutoLineLength2(points, p, u));
      break;
    default:
      return false;
  }
  return true;
}

void CanvasController::addSequenceFeedback() {
  CanvasFeedback& f = feedback_;
  const QPoint m = mouse_;
  const qsizetype n = clicks_.size();
  auto line = [&](QPoint a, QPoint b) { f.lines.append(Segment{a, b}); };
  auto ticks = [&](QPoint a, QPoint b, double half, bool dotted) {
    if (a == b) return;
    for (const Segment& s : endTicks(a, b, half)) (dotted ? f.guides : f.lines).append(s);
  };
  switch (tool_.mode) {
    case ToolMode::Line:
      line(clicks_[0], m);
      ticks(clicks_[0], m, 10, false);
      break;
    case ToolMode::ParallelLine:
      line(clicks_[0], m);
      ticks(clicks_[0], m, 100, false);
      break;
    case ToolMode::DotLine:
      if (n == 1) {
        line(clicks_[0], m);
      } else if (const auto foot = perpendicularFoot(clicks_[0], clicks_[1], m)) {
        line(clicks_[0], clicks_[1]);
        f.guides.append(Segment{m, roundedHalfUp(*foot)});
      }
      break;
    case ToolMode::RadiusCircle:
      f.circles.append({clicks_[0], static_cast<int>(pixelDistance(clicks_[0], m))});
      line(clicks_[0], m);
      break;
    case ToolMode::DiameterCircle:
      f.circles.append({midpoint(clicks_[0], m), static_cast<int>(pixelDistance(clicks_[0], m) / 2)});
      line(clicks_[0], m);
      break;
    case ToolMode::Rectangle:
      f.rectangle = QRect(clicks_[0], m).normalized();
      break;
    case ToolMode::Angle:
    case ToolMode::FourPointAngle:
    case ToolMode::AutoAngle:
    case ToolMode::AutoLineLength1:
      for (qsizetype i = 0; i + 1 < n; i += 2) line(clicks_[i], clicks_[i + 1]);
      if (tool_.mode == ToolMode::Angle && n == 2) line(clicks_[1], m);
      if (n % 2 == 1) line(clicks_[n - 1], m);
      break;
    case ToolMode::AutoLineSpacing:
      // Strokes across the edges, with dotted guides along the edges at their ends.
      for (qsizetype i = 0; i < n; i += 2) {
        const QPoint a = clicks_[i];
        const QPoint b = i + 1 < n ? clicks_[i + 1] : m;
        line(a, b);
        ticks(a, b, 100, true);
      }
      break;
    case ToolMode::ThreePointCircle:
    case ToolMode::Arc:
      f.crosses = clicks_;
      break;
    case ToolMode::AutoCircle:
    case ToolMode::AutoArc:
    case ToolMode::AutoLineLength2:
      f.crosses = detected_;
      break;
    case ToolMode::TwoCircles: {
      f.crosses = vertices_;
      QList<QPoint> centres;
      for (qsizetype first = 0; first + 3 <= vertices_.size(); first += 3) {
        if (const auto c = threePointCentre(vertices_[first], vertices_[first + 1], vertices_[first + 2])) {
          f.circles.append({c->rounded, static_cast<int>(pixelDistance(c->rounded, vertices_[first]))});
          centres.append(c->rounded);
        }
      }
      if (centres.size() == 2 && anchors_.size() == 2) line(centres[0], centres[1]);
      for (qsizetype i = 0; i < texts_.size(); ++i) f.texts.append({i < anchors_.size() ? anchors_[i] : m, texts_[i]});
      break;
    }
    case ToolMode::ContinuousLine:
      for (qsizetype i = 0; i + 1 < vertices_.size(); ++i) line(vertices_[i], vertices_[i + 1]);
      if (!labelFollows_ && !vertices_.isEmpty()) line(vertices_.last(), m);
      f.crosses = vertices_;
      if (measuring()) {
        for (qsizetype i = 0; i < texts_.size(); ++i)
          f.texts.append({i < anchors_.size() ? anchors_[i] : m, texts_[i]});
      }
      break;
    case ToolMode::Polygon:
      for (qsizetype i = 0; i + 1 < vertices_.size(); ++i) line(vertices_[i], vertices_[i + 1]);
      if (!vertices_.isEmpty()) line(vertices_.last(), m);
      break;
    default:
      break;
  }
}

}  // namespace lumivex
