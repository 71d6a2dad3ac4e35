#pragma once

#include <QPoint>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace lumivex {

// What the main window asks of the live measurement side when a tool is chosen, cancelled or the window
// closes. The measurement library fills these in when it wires its LiveOverlayState to the window; the
// defaults let the window run without it (deriveRate succeeds, nothing is pending, no text dialog).
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
  // Deletes every live shape, redo entry, pending point and comparison object.
  std::function<void()> deleteAll = [] {};
};

}  // namespace lumivex
