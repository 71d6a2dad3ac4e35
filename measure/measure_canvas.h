#pragma once

#include "image/cx_image.h"
#include "measure/canvas_controller.h"
#include "measure/canvas_host.h"
#include "measure/picture_edge_detector.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace lumivex {

// The still picture's measuring canvas: shows the picture zoomed to its view, scrolls it, and turns the
// mouse into shapes through its CanvasController (content point = view point + scroll offset). It owns
// the picture, the shapes and the detector, and paints the picture with every shape, the rubber bands of
// a tool in progress and the magnifier lens. The picture and the shapes are cached at the view's
// resolution, so a rubber-band move repaints only the rectangles its old and new figures cover.
class MeasureCanvas : public QAbstractScrollArea, private CanvasHost {
 public:
  // The magnifier: zoom value 20, 30 or 40 (2 X, 3 X, 4 X) and the lens size in pixels.
  struct Lens {
    int zoomValue = 20;
    int size = 100;
    // Side of the picture square shown, in view pixels: (size / zoom value) x 10, integer division first.
    int sourceSide() const { return size / zoomValue * 10; }
  };

  // Takes the picture (already decoded). actualSize shows it pixel for pixel; otherwise the zoom follows
  // the picture's size (canvasZoom).
  MeasureCanvas(CxImage picture, bool actualSize, QWidget* parent = nullptr);
  ~MeasureCanvas() override;

  CanvasController& controller() { return controller_; }
  const CanvasController& controller() const { return controller_; }
  CxImage& picture() { return picture_; }
  const CxImage& picture() const { return picture_; }
  double zoom() const { return zoom_; }
  bool actualSize() const { return actualSize_; }
  QSize contentSize() const { return contentSize_; }
  QPoint scrollOffset() const;

  void setStyle(const DrawingStyle& style);
  void setTool(CanvasTool tool);
  void setLens(Lens lens) { lens_ = lens; }
  const Lens& lens() const { return lens_; }

  // The view rectangle the last mouse event asked to repaint (empty when nothing changed).
  QRect lastRepaint() const { return lastRepaint_; }

  // The picture was changed in place (image operations, edges): redraw it.
  void pictureChanged();
  // The picture with every shape at full size, none drawn selected: what a save writes.
  QImage renderPicture() const;

  // The calibration dialog, asked when a calibration line is finished (the canvas is disabled meanwhile);
  // the default shows the calibration dialog. Set before use in tests.
  void setCalibrationAsker(std::function<std::optional<double>(QWidget* parent)> ask) { askDistance_ = std::move(ask); }
  // Told the new calibration value when a calibration finished with OK (the workspace posts 0x8006).
  void setCalibrationListener(std::function<void(double)> listener) { calibrated_ = std::move(listener); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  std::optional<double> askCalibrationDistance() override;
  void calibrationMeasured(double value) override;
  void warn(const char* key, const QString& defaultText) override;

  void forward(CanvasEvent event, QMouseEvent* mouse);
  void updateScrollBars();
  void updatePictureArea();
  void rebuildDisplay();
  void rebuildLayer();
  // The view rectangle the overlay (rubber bands, the record being placed, the moving outline, the lens)
  // covers now.
  QRect overlayRect() const;
  void paintOverlay(QPainter& painter) const;
  void paintLens(QPainter& painter, QPoint centre) const;

  CxImage picture_;
  bool actualSize_;
  double zoom_;
  QSize contentSize_;
  CanvasController controller_;
  PictureEdgeDetector detector_;
  Lens lens_;
  QImage full_;     // the picture as it is now, top-down, for painting
  QImage display_;  // the picture at the view's resolution
  QImage layer_;    // display_ and every settled shape, for the current scroll position
  bool layerValid_ = false;
  QPoint layerScroll_;
  std::uint64_t layerRevision_ = 0;
  QRect lastOverlay_;
  QRect lastRepaint_;
  std::function<std::optional<double>(QWidget*)> askDistance_;
  std::function<void(double)> calibrated_;
};

}  // namespace lumivex
