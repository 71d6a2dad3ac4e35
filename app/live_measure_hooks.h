#pragma once

#include <QPoint>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QMouseEvent;
class QWidget;

namespace lumivex {

struct MeasureShape;

// What the main window's live tools ask of the live measurement side. The live view fills these in when
// it wires its state to the window (LiveToolsController::hooks()); the defaults let the window run
// without it (deriveRate succeeds, nothing is pending, nothing is drawn).
struct LiveMeasureHooks {
  // Derives the live rate from the current magnification; warns ("EnterRate") and returns false when
  // there is no usable one.
  std::function<bool(QWidget* parent)> deriveRate = [](QWidget*) { return true; };
  // Clears the pending live input (points, texts, click counters, drags).
  std::function<void()> clearPendingInput = [] {};
  // Empties the pending point list only (four-point angle, arc and the automatic tools).
  std::function<void()> clearPendingPoints = [] {};
  // Asks for the next video frame as the new measurement frame (not saved as a picture).
  std::function<void()> requestMeasurementFrame = [] {};
  // Whether a shape is being drawn: the right button then belongs to the shape, not the menu.
  std::function<bool()> isDrawing = [] { return false; };
  // The font and text dialog of the text tool: the text on OK, nothing on Cancel.
  std::function<std::optional<QString>(QWidget* parent)> askText = [](QWidget*) -> std::optional<QString> {
    return std::nullopt;
  };
  // Places a live text shape at a point of the video area.
  std::function<void(const QString& text, QPoint at)> addLiveText = [](const QString&, QPoint) {};
  // The live shape list, oldest first, for the exports (borrowed: valid until the list next changes).
  // Each record keeps the live tool code that made it as its kind.
  std::function<std::vector<const MeasureShape*>()> liveShapes = [] { return std::vector<const MeasureShape*>{}; };
  // Deletes every live shape, redo entry, pending point and comparison object.
  std::function<void()> deleteAll = [] {};
  // Every mouse event of the video area (press, release, move, double click), in video coordinates,
  // while the window is normal or full screen: the live tools' click sequences start here.
  std::function<void(QMouseEvent* event)> mouse = [](QMouseEvent*) {};
  // Undo (1195) and redo (1196) of the live shapes and the comparison objects.
  std::function<void()> undo = [] {};
  std::function<void()> redo = [] {};
  // The scale (1244) and circles (1245) overlays, switched only while connected.
  std::function<void()> toggleScale = [] {};
  std::function<void()> toggleCircles = [] {};
  // The magnification text (edit 1147) changed: overlays that depend on the rate are recomputed.
  std::function<void(const QString& magnification)> magnificationChanged = [](const QString&) {};
  // A live line calibration finished (0x800d): store it for the current magnification.
  std::function<void()> liveCalibrationDone = [] {};
  // The comparison dialogs of the angle gauge (1141) and the tolerance circle (1139).
  std::function<void(QWidget* parent)> openAngleGauge = [](QWidget*) {};
  std::function<void(QWidget* parent)> openToleranceCircle = [](QWidget*) {};
};

}  // namespace lumivex
