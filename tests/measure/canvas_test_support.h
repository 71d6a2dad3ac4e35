#pragma once

#include "measure/canvas_controller.h"
#include "measure/canvas_host.h"
#include "measure/edge_detector.h"
#include "measure/measure_shape.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lumivex::test {

// Answers the calibration dialog from a queue and records what the controller reports.
class RecordingHost : public CanvasHost {
 public:
  std::optional<double> askCalibrationDistance() override {
    ++asked;
    return distance;
  }
  void calibrationMeasured(double value) override { measured.push_back(value); }
  void warn(const char* key, const QString&) override { warnings.emplace_back(key); }
  void shapeFinished(const MeasureShape& shape) override { finished.push_back(shape.kind); }

  std::optional<double> distance;
  int asked = 0;
  std::vector<double> measured;
  std::vector<std::string> warnings;
  std::vector<ShapeKind> finished;
};

// Detection answers given by the test, with every request recorded.
class ScriptedDetector : public EdgeDetector {
 public:
  std::optional<QPoint> snapToEdge(QPoint p) override {
    snaps.append(p);
    return snap ? snap(p) : std::nullopt;
  }
  std::optional<Segment> lineAlongStroke(QPoint a, QPoint b) override {
    strokes.append(Segment{a, b});
    return along ? along(a, b) : std::nullopt;
  }
  std::optional<Segment> lineInStrokeBox(QPoint a, QPoint b) override {
    strokes.append(Segment{a, b});
    return inBox;
  }
  bool overlayEdges(const QRect& area) override {
    overlays.append(area);
    return true;
  }

  std::function<std::optional<QPoint>(QPoint)> snap;
  std::function<std::optional<Segment>(QPoint, QPoint)> along;
  std::optional<Segment> inBox;
  QList<QPoint> snaps;
  QList<Segment> strokes;
  QList<QRect> overlays;
};

inline void click(CanvasController& c, QPoint p) {
  c.handle(CanvasEvent::Move, CanvasButton::None, p);
  c.handle(CanvasEvent::Press, CanvasButton::Left, p);
  c.handle(CanvasEvent::Release, CanvasButton::Left, p);
}
inline void clicks(CanvasController& c, std::initializer_list<QPoint> points) {
  for (QPoint p : points) click(c, p);
}
inline void rightClick(CanvasController& c, QPoint p) { c.handle(CanvasEvent::Press, CanvasButton::Right, p); }
inline void doubleClick(CanvasController& c, QPoint p) {
  click(c, p);
  c.handle(CanvasEvent::DoubleClick, CanvasButton::Left, p);
  c.handle(CanvasEvent::Release, CanvasButton::Left, p);
}
inline void moveTo(CanvasController& c, QPoint p) { c.handle(CanvasEvent::Move, CanvasButton::None, p); }

}  // namespace lumivex::test
